// The number chooser and the conference-add windows, driven like a user
// would: offscreen, by clicks and typing.
#include <QtTest>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

#include "dialer/dial/conference_add.h"
#include "dialer/dial/conference_add_window.h"
#include "dialer/dial/dispatcher.h"
#include "dialer/dial/number_chooser.h"
#include "dialer/dial/number_chooser_window.h"
#include "platform/link_opener.h"
#include "platform/messages.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace {

// Acts on the chooser as soon as it is open: pick_number blocks in the
// dialog's own event loop, where this timer still fires.
class ChooserDriver {
public:
    explicit ChooserDriver(std::function<void(Dialog*)> action) : action_(std::move(action))
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer_.stop();
            opened = true;
            action_(dialog);
            // An action that failed to close the chooser fails the test
            // instead of hanging it.
            QTimer::singleShot(3000, dialog, &QDialog::reject);
        });
        timer_.start();
    }
    bool opened = false;

private:
    std::function<void(Dialog*)> action_;
    QTimer timer_;
};

QListWidget* list_of(Dialog* dialog) { return dialog->findChild<QListWidget*>("List1"); }

QStringList entries_of(Dialog* dialog)
{
    QStringList entries;
    for (int row = 0; row < list_of(dialog)->count(); ++row)
        entries << list_of(dialog)->item(row)->text();
    return entries;
}

void click(QWidget* window, const char* button_name)
{
    QTest::mouseClick(window->findChild<QPushButton*>(button_name), Qt::LeftButton);
}

QString pozvonit_of(int slot)
{
    return read_setting("Kestrum", QString::number(slot), "pozvonit", "<absent>");
}

bool wait_pointer_shown()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

// Notes whether the busy pointer was up while the address was opened and
// while the failure box was open.
class PointerWitness : public platform::LinkOpener, public platform::Messages {
public:
    PointerWitness() { platform::set_link_opener(this); platform::set_messages(this); }
    ~PointerWitness() override { platform::set_link_opener(nullptr); platform::set_messages(nullptr); }
    platform::OpenResult open_address(const QString&) override
    {
        busy_while_opening = wait_pointer_shown();
        return {succeed, 2};
    }
    void show(const QString&, const QString&, platform::MessageIcon) override
    {
        box_shown = true;
        busy_while_box_open = wait_pointer_shown();
    }
    bool succeed = true;
    bool busy_while_opening = false;
    bool box_shown = false;
    bool busy_while_box_open = true;
};

const QString kTwoNumbers = QStringLiteral("067-123-45-67, 050-765-43-21");

}  // namespace

class TestDialWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { install_number_chooser(); }
    void chooser_shows_candidates_first_selected();
    void chooser_takes_selected_entry();
    void chooser_double_click();
    void chooser_cancel_data();
    void chooser_cancel();
    void chooser_lists_duplicates_and_only_the_new_text();
    void one_candidate_opens_no_window();
    void open_link_shows_busy_pointer();
    void conference_add_captions();
    void conference_add_cancel_keeps_text();
    void conference_add_ok_writes_as_typed_data();
    void conference_add_ok_writes_as_typed();
    void conference_add_empty_ok_withdraws_request();
};

void TestDialWindows::chooser_shows_candidates_first_selected()
{
    QStringList entries;
    int current_row = -1;
    bool first_selected = false;
    QString caption, call_text, cancel_text;
    ChooserDriver driver([&](Dialog* dialog) {
        entries = entries_of(dialog);
        current_row = list_of(dialog)->currentRow();
        first_selected = list_of(dialog)->item(0)->isSelected();
        caption = dialog->windowTitle();
        call_text = dialog->findChild<QPushButton*>("OKButton")->text();
        cancel_text = dialog->findChild<QPushButton*>("CancelButton")->text();
        click(dialog, "OKButton");
    });
    QCOMPARE(pick_number(kTwoNumbers), QStringLiteral("0671234567"));
    QCOMPARE(entries, (QStringList{"0671234567", "0507654321"}));
    QCOMPARE(current_row, 0);
    QVERIFY(first_selected);
    QCOMPARE(caption, QStringLiteral("Выбор номера"));
    QCOMPARE(call_text, QStringLiteral("Позвонить"));
    QCOMPARE(cancel_text, QStringLiteral("Отмена"));
}

void TestDialWindows::chooser_takes_selected_entry()
{
    ChooserDriver driver([](Dialog* dialog) {
        list_of(dialog)->setCurrentRow(1);
        click(dialog, "OKButton");
    });
    QCOMPARE(pick_number(kTwoNumbers), QStringLiteral("0507654321"));
}

void TestDialWindows::chooser_double_click()
{
    ChooserDriver driver([](Dialog* dialog) {
        QListWidget* list = list_of(dialog);
        const QPoint second = list->visualItemRect(list->item(1)).center();
        // What the window system sends for a double click: the widget
        // variant of mouseDClick alone sends no press before it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
    });
    QCOMPARE(pick_number(kTwoNumbers), QStringLiteral("0507654321"));
}

void TestDialWindows::chooser_cancel_data()
{
    QTest::addColumn<bool>("by_close_box");
    QTest::newRow("Отмена") << false;
    QTest::newRow("close box") << true;
}

void TestDialWindows::chooser_cancel()
{
    QFETCH(bool, by_close_box);
    ChooserDriver driver([by_close_box](Dialog* dialog) {
        list_of(dialog)->setCurrentRow(1);
        if (by_close_box)
            dialog->close();
        else
            click(dialog, "CancelButton");
    });
    QCOMPARE(pick_number(kTwoNumbers), QString());
}

void TestDialWindows::chooser_lists_duplicates_and_only_the_new_text()
{
    QStringList first, second;
    {
        ChooserDriver driver([&](Dialog* dialog) {
            first = entries_of(dialog);
            click(dialog, "CancelButton");
        });
        pick_number(QStringLiteral("0671234567; 0671234567"));
    }
    {
        ChooserDriver driver([&](Dialog* dialog) {
            second = entries_of(dialog);
            click(dialog, "OKButton");
        });
        QCOMPARE(pick_number(QStringLiteral("0931112233 / 0501112233")), QStringLiteral("0931112233"));
    }
    QCOMPARE(first, (QStringList{"0671234567", "0671234567"}));
    QCOMPARE(second, (QStringList{"0931112233", "0501112233"}));
}

void TestDialWindows::one_candidate_opens_no_window()
{
    ChooserDriver driver([](Dialog* dialog) { dialog->reject(); });
    const QString text = QStringLiteral("0671234567, 123");
    QCOMPARE(pick_number(text), text);
    QCoreApplication::processEvents();
    QVERIFY(!driver.opened);
}

void TestDialWindows::open_link_shows_busy_pointer()
{
    PointerWitness witness;
    open_link(QStringLiteral("skype:0671234567"));
    QVERIFY(witness.busy_while_opening);
    QVERIFY(!wait_pointer_shown());

    witness.succeed = false;
    open_link(QStringLiteral("skype:0671234567"));
    QVERIFY(witness.busy_while_opening);
    QVERIFY(witness.box_shown);
    QVERIFY(!witness.busy_while_box_open);
    QVERIFY(!wait_pointer_shown());
}

void TestDialWindows::conference_add_captions()
{
    const QStringList captions{
        "Добавление абонента в конференцию (Телефон 1)",
        "Добавление телефона в конференцию (Телефон 2)",
        "Добавление абонента в конференцию (Телефон 3)",
        "Добавление абонента в конференцию (Телефон 4)",
    };
    TestEnv env;
    for (int slot = 1; slot <= 4; ++slot) {
        show_conference_add_window(slot, nullptr);
        Dob_kf* window = conference_add_window(slot);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), captions[slot - 1]);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->findChild<QPushButton*>("OKButton")->text(), QStringLiteral("OK"));
        QCOMPARE(window->findChild<QPushButton*>("CancelButton")->text(), QStringLiteral("Cancel"));
        window->hide();
    }
}

void TestDialWindows::conference_add_cancel_keeps_text()
{
    TestEnv env;
    show_conference_add_window(2, nullptr);
    Dob_kf* window = conference_add_window(2);
    auto* text = window->findChild<QLineEdit*>("Text1");
    text->clear();
    QTest::keyClicks(text, "0671234567");
    click(window, "CancelButton");
    QVERIFY(!window->isVisible());
    QCOMPARE(pozvonit_of(2), QStringLiteral("<absent>"));

    show_conference_add_window(2, nullptr);
    QCOMPARE(conference_add_window(2), window);  // the same window, shown again
    QVERIFY(window->isVisible());
    QCOMPARE(text->text(), QStringLiteral("0671234567"));
    window->hide();
}

void TestDialWindows::conference_add_ok_writes_as_typed_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("typed");
    QTest::newRow("phone 1") << 1 << "050 111-22-33";
    QTest::newRow("phone 3, letters stay") << 3 << "tel 8067";
    QTest::newRow("phone 4") << 4 << "+380671234567";
}

void TestDialWindows::conference_add_ok_writes_as_typed()
{
    QFETCH(int, slot);
    QFETCH(QString, typed);
    TestEnv env;
    show_conference_add_window(slot, nullptr);
    Dob_kf* window = conference_add_window(slot);
    auto* text = window->findChild<QLineEdit*>("Text1");
    text->clear();
    QTest::keyClicks(text, typed);
    click(window, "OKButton");
    QCOMPARE(pozvonit_of(slot), typed);
    for (int other = 1; other <= 4; ++other) {
        if (other != slot)
            QCOMPARE(pozvonit_of(other), QStringLiteral("<absent>"));
    }
    QVERIFY(text->text().isEmpty());
    QVERIFY(!window->isVisible());
}

void TestDialWindows::conference_add_empty_ok_withdraws_request()
{
    TestEnv env;
    write_setting("Kestrum", "3", "pozvonit", "0671234567");
    show_conference_add_window(3, nullptr);
    Dob_kf* window = conference_add_window(3);
    window->findChild<QLineEdit*>("Text1")->clear();
    click(window, "OKButton");
    QCOMPARE(pozvonit_of(3), QString());
}

QTEST_MAIN(TestDialWindows)
#include "test_dial_windows.moc"
