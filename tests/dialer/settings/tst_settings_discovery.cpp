// The search for phones from the settings window, against simulated phones
// on real pseudo-terminals linked into the ports folder.
#include <QtTest>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "dialer/settings/nastr_form.h"
#include "serial/stable_names.h"
#include "tests/support/held_port.h"
#include "tests/support/phonesim_driver.h"
#include "settings_fakes.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace {

template <typename Widget>
Widget* control(const QWidget& form, const QString& name)
{
    auto* widget = form.findChild<Widget*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

bool shown(const QWidget& form, const QString& name)
{
    return control<QWidget>(form, name)->isVisibleTo(&form);
}

QTreeWidget* found_list(const QWidget& form) { return control<QTreeWidget>(form, "List1"); }

// Each entry as "<model>@<port>".
QStringList entries(const QWidget& form)
{
    QTreeWidget* list = found_list(form);
    QStringList result;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* entry = list->topLevelItem(row);
        result << QStringLiteral("%1@%2").arg(entry->text(0)).arg(entry->data(0, Qt::UserRole).toInt());
    }
    return result;
}

void select_port(const QWidget& form, int port)
{
    QTreeWidget* list = found_list(form);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (list->topLevelItem(row)->data(0, Qt::UserRole).toInt() == port)
            list->setCurrentItem(list->topLevelItem(row));
    }
}

// Each entry's device cell.
QStringList devices(const QWidget& form)
{
    QTreeWidget* list = found_list(form);
    QStringList result;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        result << list->topLevelItem(row)->text(1);
    return result;
}

// The device cell of a simulated phone: the node of its pseudo-terminal.
QString device_of(const PhoneSim& phone) { return display_name(stable_name(phone.link_path())); }

// The port the search has got to, from the progress label; 0 when none.
int progress_port(const QWidget& form)
{
    return control<QLabel>(form, "Label4")->text().section(' ', 0, 0).toInt();
}

QString kestrum(int slot, const QString& key)
{
    return read_setting("Kestrum", QString::number(slot), key, "<absent>");
}

}  // namespace

class TestSettingsDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void search_lists_answering_ports();
    void stop_during_the_search();
    void assign_and_test_call();
    void closing_during_a_search_waits_for_it_data();
    void closing_during_a_search_waits_for_it();
};

void TestSettingsDiscovery::search_lists_answering_ports()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    PhoneSim plain({"--echo", "off", "--model", "Nokia 6230i"}, 3);
    PhoneSim echoing({"--echo", "on", "--gmm-prefix", "--model", "SIM300"}, 5);
    PhoneSim two_lines({"--echo", "off", "--model", "Siemens\\nMC35i"}, 7);
    PhoneSim refusing({}, 9);
    PhoneSim silent({}, 11);
    PhoneSim same_model({"--echo", "off", "--model-query", "ati", "--model", "Nokia 6230i"}, 12);
    for (PhoneSim* phone : {&plain, &echoing, &two_lines, &refusing, &silent, &same_model})
        QVERIFY2(phone->ready(), qPrintable(phone->output()));
    QVERIFY(refusing.control("fault error on"));
    QVERIFY(silent.control("fault silence on"));
    HeldPort held(13);
    QVERIFY2(held.held(), qPrintable(held.output()));
    // Phone 1's controller is connected to the phone on port 3, which is
    // port 14 too: listed from what the controller reports, never opened.
    QVERIFY(QFile::link(plain.link_path(), env.ports_dir() + QStringLiteral("/com14")));
    write_setting("Kestrum", "1", "on_pr", "True");
    write_setting("Kestrum", "1", "port", "3");
    write_setting("Kestrum", "1", "model", "Nokia 6230i");
    shield_real_ports(env.ports_dir());

    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();
    QStringList progress;
    bool stop_shown = true;
    bool test_call_offered = false;
    clock.on_pump = [&] {
        const QString text = control<QLabel>(form, "Label4")->text();
        if (progress.isEmpty() || progress.last() != text)
            progress << text;
        stop_shown = stop_shown && shown(form, "Command4");
        // A test call now would take the port away from the query in progress.
        test_call_offered = test_call_offered || control<QPushButton>(form, "Command3")->isEnabled() ||
                            control<QPushButton>(form, "Command6")->isEnabled();
    };
    click_search(form);

    QCOMPARE(entries(form),
             (QStringList{"Nokia 6230i@3", "SIM300@5", "Siemens  MC35i@7", "ERROR@9", "Nokia 6230i@12"}));
    // Two phones of one model: their devices tell them apart.
    QCOMPARE(devices(form), (QStringList{device_of(plain), device_of(echoing), device_of(two_lines),
                                         device_of(refusing), device_of(same_model)}));
    QVERIFY(devices(form).first().startsWith(QStringLiteral("pts/")));
    QVERIFY(devices(form).first() != devices(form).last());
    // The port another program holds is named below the list, with the holder.
    QVERIFY(shown(form, "zanyatye_porty"));
    QCOMPARE(control<QLabel>(form, "zanyatye_porty")->text(),
             QStringLiteral("Порт 13: Порт занят программой port_holder (PID %1). "
                            "Закройте её и подключите телефон снова.").arg(held.pid()));
    // The ports are asked many at once; the label follows the lowest port
    // still unanswered, forwards only.
    QCOMPARE(progress.first(), QStringLiteral("1 из 256"));
    for (qsizetype step = 1; step + 1 < progress.size(); ++step)
        QVERIFY2(progress[step].section(' ', 0, 0).toInt() > progress[step - 1].section(' ', 0, 0).toInt(),
                 qPrintable(progress.join(", ")));
    QVERIFY(stop_shown);
    QVERIFY(!test_call_offered);
    QVERIFY(control<QPushButton>(form, "Command3")->isEnabled());
    QCOMPARE(control<QLabel>(form, "Label4")->text(), QStringLiteral("Готово!"));
    QVERIFY(!shown(form, "Command4"));
    QCOMPARE(found_list(form)->toolTip(), QStringLiteral("Привет!"));
    // The controllers are not sent away: there is no wait for them.
    QVERIFY(!clock.sleeps.contains(3000));
    QCOMPARE(main_window.poisk_aktiv(), 1);
    QVERIFY(!main_window.serial_port().PortOpen());
    QVERIFY2(plain.received().isEmpty(), qPrintable(plain.received().join(", ")));
    QCOMPARE(kestrum(1, "on_przv_exe"), QStringLiteral("<absent>"));
}

void TestSettingsDiscovery::stop_during_the_search()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    PhoneSim early({"--echo", "off", "--model", "Early"}, 2);
    // Ports are asked many at once but answered in order: port 3, which
    // refuses every model query (three reply waits), holds the search there
    // long enough to press stop.
    PhoneSim refusing({}, 3);
    PhoneSim late({"--echo", "off", "--model", "Late"}, 200);
    QVERIFY(early.ready() && refusing.ready() && late.ready());
    QVERIFY(refusing.control("fault error on"));
    shield_real_ports(env.ports_dir());

    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();
    bool clicked = false;
    clock.on_pump = [&] {
        if (progress_port(form) == 3 && !clicked) {
            clicked = true;  // a second start during the search is ignored
            QTest::mouseClick(control<QPushButton>(form, "Command2"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(form, "Command4"), Qt::LeftButton);
        }
    };
    click_search(form);

    QVERIFY(clicked);
    QCOMPARE(entries(form), QStringList{"Early@2"});
    QVERIFY(!shown(form, "zanyatye_porty"));
    QCOMPARE(control<QLabel>(form, "Label4")->text(), QString());
    QVERIFY(!shown(form, "Command4"));
    QVERIFY(found_list(form)->toolTip().isEmpty());
    QCOMPARE(clock.sleeps.count(3000), 0);

    // A new search starts from an empty list.
    clock.on_pump = nullptr;
    click_search(form);
    QCOMPARE(entries(form), (QStringList{"Early@2", "ERROR@3", "Late@200"}));
}

void TestSettingsDiscovery::assign_and_test_call()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    MessageRecorder messages;
    PhoneSim gsm({"--echo", "off", "--model", "Nokia 6230i"}, 7);
    PhoneSim cdma({"--mode", "cdma", "--echo", "off", "--model", "CDMA 1X"}, 3);
    QVERIFY(gsm.ready() && cdma.ready());
    shield_real_ports(env.ports_dir());
    write_setting("Kestrum", "2", "ON", "1");

    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();

    // Nothing selected yet: refused, nothing written.
    control<QPushButton>(form, "Command5_1")->click();
    control<QPushButton>(form, "Command3")->click();
    QCOMPARE(messages.texts, (QStringList{"Не выбран телефон!", "Не выбран телефон!"}));
    QCOMPARE(kestrum(2, "name_tlf"), QStringLiteral("<absent>"));

    click_search(form);
    QCOMPARE(entries(form), (QStringList{"CDMA 1X@3", "Nokia 6230i@7"}));
    QVERIFY(!shown(form, "Frame3"));

    select_port(form, 7);
    QVERIFY(shown(form, "Frame3"));
    QCOMPARE(control<QLabel>(form, "Frame3_phone")->text(), QStringLiteral("Nokia 6230i"));
    QVERIFY(shown(form, "Command5_0") && shown(form, "Command5_1"));
    const QString link_before = QFileInfo(gsm.link_path()).symLinkTarget();
    QTest::mouseClick(control<QPushButton>(form, "Command5_1"), Qt::LeftButton);
    // The simulator's link already names its device: it stays as it is.
    QCOMPARE(QFileInfo(gsm.link_path()).symLinkTarget(), link_before);
    QCOMPARE(control<QLineEdit>(form, "Text6_1")->text(), QStringLiteral("7"));
    QCOMPARE(kestrum(2, "port"), QStringLiteral("7"));
    QCOMPARE(kestrum(2, "name_tlf"), QStringLiteral("Nokia 6230i"));
    // The box already shows 7, the store holds another port: stored again.
    write_setting("Kestrum", "2", "port", "5");
    QTest::mouseClick(control<QPushButton>(form, "Command5_1"), Qt::LeftButton);
    QCOMPARE(kestrum(2, "port"), QStringLiteral("7"));

    select_port(form, 3);
    clock.sleeps.clear();
    control<QLineEdit>(form, "Text2")->setText(QStringLiteral("0671234567"));
    QTest::mouseClick(control<QPushButton>(form, "Command6"), Qt::LeftButton);
    QVERIFY(cdma.wait_for_command("AT+CDV0671234567;", 3000));
    QCOMPARE(cdma.received().last(), QStringLiteral("AT+CDV0671234567;"));
    QCOMPARE(clock.sleeps, QList<int>{500});
    QVERIFY(!main_window.serial_port().PortOpen());
    QCOMPARE(messages.texts.size(), 2);

    // A phone that went away: the test call reports it.
    cdma.stop();
    shield_real_ports(env.ports_dir());
    QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
    QCOMPARE(messages.texts.last(), QStringLiteral("Ошибка модема!"));

    // Another program holds the port: the message says which.
    HeldPort held(3);
    QVERIFY2(held.held(), qPrintable(held.output()));
    QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
    QVERIFY(messages.texts.last().startsWith(QStringLiteral("Ошибка модема!\n\nПорт занят программой port_holder")));

    // Closing hides the test-call frame.
    QTest::mouseClick(control<QPushButton>(form, "OKButton"), Qt::LeftButton);
    QVERIFY(!shown(form, "Frame3"));
}

void TestSettingsDiscovery::closing_during_a_search_waits_for_it_data()
{
    QTest::addColumn<bool>("close_box");
    QTest::newRow("close box") << true;
    QTest::newRow("Закрыть") << false;
}

void TestSettingsDiscovery::closing_during_a_search_waits_for_it()
{
    QFETCH(bool, close_box);
    TestEnv env;
    MockClock clock(shortened_search_wait);
    // Port 20 refuses every model query: it holds the search there.
    PhoneSim refusing({}, 20);
    QVERIFY(refusing.ready() && refusing.control("fault error on"));
    shield_real_ports(env.ports_dir());
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();
    int last_port = 0;
    clock.on_pump = [&] {
        last_port = std::max(last_port, progress_port(form));
        if (last_port != 20 || !form.isVisible())
            return;
        if (close_box)
            form.close();
        else
            QTest::mouseClick(control<QPushButton>(form, "OKButton"), Qt::LeftButton);
        // The controllers may not come back while ports are still asked.
        QVERIFY(main_window.started().isEmpty());
    };
    click_search(form);

    QCOMPARE(last_port, 20);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.unload_requested(), close_box);
    QVERIFY(!form.searching());
    QCOMPARE(main_window.started(), QList<int>{1});
    QCOMPARE(main_window.poisk_aktiv(), 0);
}

QTEST_MAIN(TestSettingsDiscovery)
#include "tst_settings_discovery.moc"
