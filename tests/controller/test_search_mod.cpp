// The controller's own phone search ("Поиск телефонов") in a development
// controller, against simulated phones on real pseudo-terminals linked into
// the ports folder. The clock seam shortens every wait to a few
// milliseconds; the controller's timers run for real.
#include <QtTest>

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <algorithm>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/form_port.h"
#include "controller/search_mod.h"
#include "serial/qt_serial_component.h"
#include "serial/serial_component.h"
#include "serial/stable_names.h"
#include "settings_store/settings_store.h"
#include "tests/support/message_recorder.h"
#include "tests/support/mock_clock.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

namespace {

const QString kSlot = QStringLiteral("Проект");

QString board(const QString& key) { return board(kSlot, key); }
void set_board(const QString& key, const QString& value) { set_board(kSlot, key, value); }

// A development controller (slot "Проект", started by hand) with phones on
// ports 3 and 11, and its search dialog.
struct SearchRig {
    SearchRig()
        : phone3({"--model", "Nokia 6230i"}, 3), phone11({"--echo", "off", "--model", "SIM300"}, 11)
    {
        // Every wait takes at most 5 ms; a test may look at the windows at
        // every pump (not again inside a pump it caused itself).
        clock.real_wait = [](int ms) { return std::min(ms, 5); };
        clock.follow_real_time(true);
        kestrum::set_slot_identity_source([] { return kSlot; });
        shield_real_ports(env.ports_dir());
        set_board(QStringLiteral("port"), QStringLiteral("4"));
        set_board(QStringLiteral("Tip_tlf"), QStringLiteral("CDMA"));
        controller = std::make_unique<kestrum::Controller>(std::make_unique<QtSerialComponent>());
        controller->set_end_process([] {});
        controller->start(false);
        dialog = std::make_unique<kestrum::SearchMod>(*controller);
    }
    ~SearchRig()
    {
        clock.on_pump = nullptr;
        dialog.reset();
        controller.reset();
        kestrum::set_slot_identity_source({});
    }

    template <typename Widget>
    Widget* find(const QString& name)
    {
        auto* widget = dialog->findChild<Widget*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QPushButton* button(const QString& caption)
    {
        for (QPushButton* candidate : dialog->findChildren<QPushButton*>())
            if (candidate->text() == caption)
                return candidate;
        qFatal("no button %s", qPrintable(caption));
    }
    QString progress() { return find<QLabel>(QStringLiteral("progress_label"))->text(); }
    QTreeWidget* list() { return find<QTreeWidget>(QStringLiteral("List1")); }
    QLineEdit* port_box() { return find<QLineEdit>(QStringLiteral("Text1")); }
    bool red() { return port_box()->palette().color(QPalette::Base) == QColor(255, 0, 0); }
    // Each entry as "<text>@<port>", and each entry's device cell.
    QStringList entries()
    {
        QStringList result;
        for (int row = 0; row < list()->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* entry = list()->topLevelItem(row);
            result << QStringLiteral("%1@%2").arg(entry->text(0)).arg(entry->data(0, Qt::UserRole).toInt());
        }
        return result;
    }
    QStringList devices()
    {
        QStringList result;
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            result << list()->topLevelItem(row)->text(1);
        return result;
    }
    QTreeWidgetItem* entry_of(int port)
    {
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            if (list()->topLevelItem(row)->data(0, Qt::UserRole).toInt() == port)
                return list()->topLevelItem(row);
        return nullptr;
    }
    void click(QTreeWidgetItem* item)
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    }
    // The first click of the pair, then the second one that makes it double.
    void double_click(QTreeWidgetItem* item)
    {
        click(item);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    }
    // Shows the dialog; its opening steps run the whole search before this
    // returns.
    void open_and_search()
    {
        find<QLabel>(QStringLiteral("progress_label"))->clear();
        dialog->show();
        QVERIFY(wait_until([&] { return progress() == QStringLiteral("Готово!"); }, 60000));
    }

    TestEnv env;
    MockClock clock;
    MessageRecorder messages;
    PhoneSim phone3;
    PhoneSim phone11;
    std::unique_ptr<kestrum::Controller> controller;
    std::unique_ptr<kestrum::SearchMod> dialog;
};

}  // namespace

class TestSearchMod : public QObject {
    Q_OBJECT

private slots:
    void opening_searches_all_ports_and_lists_the_phones();
    void port_box_takes_numbers_only();
    void connect_needs_a_port();
    void stop_ends_the_search_before_the_next_port();
    void double_click_connects_within_a_service_tick();
    void connecting_during_a_search_waits_for_its_end();
    void reopened_during_its_search_goes_on_with_it();
    void connect_from_the_main_window_ends_a_closed_search();
};

void TestSearchMod::opening_searches_all_ports_and_lists_the_phones()
{
    SearchRig rig;
    QVERIFY(rig.phone3.ready() && rig.phone11.ready());
    rig.controller->start_engine();  // a connected phone is let go by the search
    QStringList progress;
    bool stop_only = true;
    QString status_during;
    rig.clock.on_pump = [&] {
        if (progress.isEmpty() || progress.last() != rig.progress())
            progress << rig.progress();
        stop_only = stop_only && rig.button("Остановить")->isVisibleTo(rig.dialog.get())
                    && !rig.button("Повторить поиск")->isVisibleTo(rig.dialog.get())
                    && !rig.button("Подключить")->isVisibleTo(rig.dialog.get());
        if (rig.progress() == QStringLiteral("100 из 256"))
            status_during = rig.find<QLabel>("status_label")->text();
    };
    rig.open_and_search();
    rig.clock.on_pump = nullptr;

    QCOMPARE(rig.dialog->windowTitle(), QStringLiteral("Поиск телефонов"));
    QVERIFY(rig.find<QRadioButton>(QString())->group());  // the choices are one group
    for (QRadioButton* choice : rig.dialog->findChildren<QRadioButton*>())
        QCOMPARE(choice->isChecked(), choice->text() == QStringLiteral("CDMA телефон"));
    QCOMPARE(rig.controller->state().tip_tlf, QStringLiteral("CDMA"));
    QCOMPARE(board("Tip_tlf"), QStringLiteral("CDMA"));
    QCOMPARE(rig.port_box()->text(), QStringLiteral("4"));
    QCOMPARE(board("port"), QStringLiteral("4"));

    // The model text as the query leaves it: "OK" and "+GMM:" taken out,
    // nothing trimmed.
    QCOMPARE(rig.entries(), (QStringList{"3 - Nokia 6230i @3", "11 - SIM300 @11"}));
    // Beside each, the device it is: here the simulators' pseudo-terminals.
    QCOMPARE(rig.devices(), (QStringList{display_name(stable_name(rig.phone3.link_path())),
                                         display_name(stable_name(rig.phone11.link_path()))}));
    QVERIFY(rig.devices().first().startsWith(QStringLiteral("pts/")));
    QCOMPARE(rig.list()->headerItem()->text(0), QStringLiteral("Телефон"));
    QCOMPARE(rig.list()->headerItem()->text(1), QStringLiteral("Устройство"));
    QCOMPARE(progress.mid(1, 3), (QStringList{"1 из 256", "2 из 256", "3 из 256"}));
    QCOMPARE(progress.last(), QStringLiteral("256 из 256"));
    QCOMPARE(rig.progress(), QStringLiteral("Готово!"));
    QVERIFY(stop_only);
    QCOMPARE(status_during, QStringLiteral("Подождите, выполняется поиск...."));
    QCOMPARE(rig.find<QLabel>("status_label")->text(), QString());
    QVERIFY(!rig.button("Остановить")->isVisible());
    QVERIFY(rig.button("Повторить поиск")->isVisible());
    QVERIFY(rig.button("Подключить")->isVisible());
    QVERIFY(!rig.controller->engine_running());
    QVERIFY(!rig.controller->serial().PortOpen());

    // Another type is written back at the next opening.
    set_board("Tip_tlf", "Provod");
    rig.dialog->hide();
    rig.open_and_search();
    QVERIFY(rig.find<QRadioButton>(QString())->group()->checkedButton());
    QCOMPARE(rig.find<QRadioButton>(QString())->group()->checkedButton()->text(), QStringLiteral("Проводной модем"));
    // A type that is none of the three selects no choice.
    set_board("Tip_tlf", "gsm");
    rig.dialog->hide();
    rig.open_and_search();
    QCOMPARE(rig.find<QRadioButton>(QString())->group()->checkedButton(), nullptr);
    QCOMPARE(board("Tip_tlf"), QStringLiteral("gsm"));
    // Choosing writes the slot's type.
    rig.find<QRadioButton>(QString())->group()->buttons().first()->click();
    QCOMPARE(board("Tip_tlf"), QStringLiteral("GSM"));
}

void TestSearchMod::port_box_takes_numbers_only()
{
    SearchRig rig;
    QVERIFY(rig.phone3.ready());
    rig.open_and_search();

    rig.click(rig.entry_of(3));
    QCOMPARE(rig.port_box()->text(), QStringLiteral("3"));
    QCOMPARE(board("port"), QStringLiteral("3"));
    QCOMPARE(rig.controller->state().port_1, qint16(3));
    QVERIFY(!rig.red());

    QTest::keyClick(rig.port_box(), Qt::Key_End);
    QTest::keyClick(rig.port_box(), Qt::Key_A);
    QCOMPARE(rig.port_box()->text(), QStringLiteral("3a"));
    QVERIFY(rig.red());
    QCOMPARE(board("port"), QStringLiteral("3"));
    QCOMPARE(rig.controller->state().port_1, qint16(3));
    set_board("port", "9");  // so that the number is seen to be written again
    QTest::keyClick(rig.port_box(), Qt::Key_Backspace);
    QVERIFY(!rig.red());
    QCOMPARE(board("port"), QStringLiteral("3"));

    const struct {
        const char* text;
        bool number;
        qint16 port;
    } cases[] = {
        {"", false, 0},        {"12", true, 12},       {"99999", false, 0}, {"32767", true, 32767},
        {"1e2", false, 0},     {" 7 ", true, 7},       {"2.5", true, 2},    {"COM3", false, 0},
        {"-", false, 0},       {"٣", false, 0},
    };
    for (const auto& c : cases) {
        rig.controller->choose_port(1);
        set_board("port", "1");
        rig.port_box()->setText(QString::fromUtf8(c.text));
        QVERIFY2(rig.red() == !c.number, c.text);
        QCOMPARE(rig.controller->state().port_1, c.number ? c.port : qint16(1));
        QCOMPARE(board("port"), c.number ? QString::fromUtf8(c.text) : QStringLiteral("1"));
    }
}

void TestSearchMod::connect_needs_a_port()
{
    SearchRig rig;
    rig.open_and_search();
    for (const char* text : {"0", "x", "99999", ""}) {
        rig.port_box()->setText(QString::fromLatin1(text));
        rig.button("Подключить")->click();
        QVERIFY(rig.dialog->isVisible());
        QCOMPARE(rig.controller->state().Podkl_tel, qint16(0));
    }
    QCOMPARE(rig.messages.texts, QStringList(4, QStringLiteral("Телефон не подключен!")));
    QVERIFY(std::all_of(rig.messages.icons.begin(), rig.messages.icons.end(),
                        [](platform::MessageIcon icon) { return icon == platform::MessageIcon::None; }));

    // "Подключить" with a port hands over to the service tick.
    rig.port_box()->setText(QStringLiteral("3"));
    set_board("port", "5");  // changed behind the box's back: the box wins
    rig.button("Подключить")->click();
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.controller->state().port_1, qint16(3));
    QCOMPARE(board("port"), QStringLiteral("3"));
    QVERIFY(wait_until([&] { return rig.controller->engine_running(); }, 1000));
    QVERIFY(wait_until([] { return board("model") == QStringLiteral("Nokia 6230i"); }, 5000));
}

void TestSearchMod::stop_ends_the_search_before_the_next_port()
{
    SearchRig rig;
    QVERIFY(rig.phone3.ready() && rig.phone11.ready());
    QStringList progress;
    rig.clock.on_pump = [&] {
        if (progress.isEmpty() || progress.last() != rig.progress())
            progress << rig.progress();
        if (rig.progress() == QStringLiteral("10 из 256"))
            rig.button("Остановить")->click();
    };
    rig.open_and_search();
    rig.clock.on_pump = nullptr;
    QCOMPARE(progress.last(), QStringLiteral("10 из 256"));
    QCOMPARE(rig.progress(), QStringLiteral("Готово!"));
    QCOMPARE(rig.entries(), QStringList{"3 - Nokia 6230i @3"});
    QVERIFY(rig.phone11.received().isEmpty());
    QVERIFY(rig.button("Повторить поиск")->isVisible());
    QVERIFY(!rig.button("Остановить")->isVisible());

    // "Повторить поиск" starts again from an empty list and goes through.
    rig.button("Повторить поиск")->click();
    QCOMPARE(rig.entries(), (QStringList{"3 - Nokia 6230i @3", "11 - SIM300 @11"}));
    QCOMPARE(rig.progress(), QStringLiteral("Готово!"));
}

void TestSearchMod::double_click_connects_within_a_service_tick()
{
    SearchRig rig;
    QVERIFY(rig.phone3.ready());
    set_board("Tip_tlf", "GSM");
    rig.open_and_search();
    QVERIFY(!rig.controller->engine_running());
    const QString link_before = QFileInfo(rig.phone3.link_path()).symLinkTarget();
    rig.double_click(rig.entry_of(3));
    QVERIFY(!rig.dialog->isVisible());
    // Pinned: the simulator's link already names its device, and stays.
    QCOMPARE(QFileInfo(rig.phone3.link_path()).symLinkTarget(), link_before);
    QCOMPARE(rig.port_box()->text(), QStringLiteral("3"));
    QCOMPARE(board("port"), QStringLiteral("3"));
    QCOMPARE(rig.controller->state().port_1, qint16(3));
    QCOMPARE(rig.controller->state().Podkl_tel, qint16(1));
    QVERIFY(wait_until([&] { return rig.controller->engine_running(); }, 1000));
    QCOMPARE(rig.controller->state().Podkl_tel, qint16(0));
    QVERIFY(wait_until([&] { return rig.controller->serial().PortOpen(); }, 5000));
    QCOMPARE(rig.controller->serial().CommPort(), 3);
    QVERIFY(wait_until([] { return board("model") == QStringLiteral("Nokia 6230i"); }, 5000));
    QVERIFY(rig.messages.texts.isEmpty());
}

void TestSearchMod::connecting_during_a_search_waits_for_its_end()
{
    SearchRig rig;
    QVERIFY(rig.phone3.ready() && rig.phone11.ready());
    set_board("Tip_tlf", "GSM");
    QStringList progress;
    bool clicked = false;
    rig.clock.on_pump = [&] {
        if (progress.isEmpty() || progress.last() != rig.progress())
            progress << rig.progress();
        if (!clicked && rig.progress() == QStringLiteral("5 из 256")) {
            clicked = true;
            rig.double_click(rig.entry_of(3));
        }
    };
    rig.dialog->show();
    QVERIFY(wait_until([&] { return rig.progress() == QStringLiteral("Готово!"); }, 60000));
    rig.clock.on_pump = nullptr;
    QVERIFY(clicked);
    QVERIFY(!rig.dialog->isVisible());
    // The search ended before the next port and left the engine alone.
    QCOMPARE(progress.last(), QStringLiteral("5 из 256"));
    QVERIFY(rig.phone11.received().isEmpty());
    QVERIFY(wait_until([&] { return rig.controller->engine_running(); }, 1000));
    QVERIFY(wait_until([] { return board("model") == QStringLiteral("Nokia 6230i"); }, 5000));
    QTest::qWait(700);  // a few engine ticks: nothing takes the port away again
    QVERIFY(rig.controller->engine_running());
    QVERIFY(rig.controller->serial().PortOpen());
    QCOMPARE(rig.controller->serial().CommPort(), 3);
}

void TestSearchMod::reopened_during_its_search_goes_on_with_it()
{
    SearchRig rig;
    rig.dialog.reset();  // the main window creates its own
    QVERIFY(rig.phone3.ready() && rig.phone11.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    QPushButton* search_button = window.findChild<QPushButton*>(QStringLiteral("poisk"));
    QVERIFY(search_button && search_button->text() == QStringLiteral("Поиск телефонов"));
    QStringList progress;
    kestrum::SearchMod* dialog = nullptr;
    bool reopened_modal = false;
    rig.clock.on_pump = [&] {
        dialog = window.findChild<kestrum::SearchMod*>();
        if (!dialog)
            return;
        const QString now = dialog->findChild<QLabel*>(QStringLiteral("progress_label"))->text();
        if (progress.isEmpty() || progress.last() != now)
            progress << now;
        if (now == QStringLiteral("20 из 256") && dialog->isVisible()) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Закрыть"))
                    b->click();  // hidden; the search goes on
        }
        if (now == QStringLiteral("30 из 256") && !dialog->isVisible()) {
            search_button->click();
            reopened_modal = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
        }
    };
    // The user closes the dialog once the search is over.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        auto* shown = window.findChild<kestrum::SearchMod*>();
        if (shown && shown->isVisible()
            && shown->findChild<QLabel*>(QStringLiteral("progress_label"))->text() == QStringLiteral("Готово!"))
            shown->hide();
    });
    closer.start(10);
    QTimer::singleShot(0, [&] { QVERIFY(window.findChild<kestrum::SearchMod*>()->isModal()); });
    search_button->click();  // returns once the dialog is closed
    rig.clock.on_pump = nullptr;
    QVERIFY(dialog);
    QVERIFY(reopened_modal);
    // One search from port 1 to 256, not a second one inside it.
    QCOMPARE(progress.count(QStringLiteral("1 из 256")), 1);
    QVERIFY(progress.contains(QStringLiteral("256 из 256")));
    QCOMPARE(dialog->findChild<QTreeWidget*>(QStringLiteral("List1"))->topLevelItemCount(), 2);
    QVERIFY(!dialog->isVisible());
}

void TestSearchMod::connect_from_the_main_window_ends_a_closed_search()
{
    SearchRig rig;
    rig.dialog.reset();
    QVERIFY(rig.phone3.ready() && rig.phone11.ready());
    rig.controller->choose_port(3);  // the opening puts it into the box, which writes `port`
    set_board("Tip_tlf", "GSM");
    kestrum::FormPort window(*rig.controller);
    window.show();
    QString last_asked;
    rig.clock.on_pump = [&] {
        auto* dialog = window.findChild<kestrum::SearchMod*>();
        if (!dialog)
            return;
        last_asked = dialog->findChild<QLabel*>(QStringLiteral("progress_label"))->text();
        if (last_asked == QStringLiteral("2 из 256") && dialog->isVisible()) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Закрыть"))
                    b->click();
        }
        if (last_asked == QStringLiteral("5 из 256") && rig.controller->state().Podkl_tel == 0
            && !rig.controller->engine_running())
            window.findChild<QPushButton*>(QStringLiteral("podkl"))->click();
    };
    window.findChild<QPushButton*>(QStringLiteral("poisk"))->click();
    rig.clock.on_pump = nullptr;
    // The search ended there instead of taking the port back at port 11.
    QCOMPARE(last_asked, QStringLiteral("5 из 256"));
    QVERIFY(rig.phone11.received().isEmpty());
    QVERIFY(wait_until([] { return board("model") == QStringLiteral("Nokia 6230i"); }, 5000));
    QTest::qWait(700);
    QVERIFY(rig.controller->engine_running());
    QCOMPARE(rig.controller->serial().CommPort(), 3);
    QVERIFY(rig.controller->serial().PortOpen());
}

QTEST_MAIN(TestSearchMod)
#include "test_search_mod.moc"
