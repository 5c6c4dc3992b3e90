// The dial entry from both of its callers, with the real chooser window
// offscreen and a real store; the platform is written down.
#include <QtTest>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>

#include "dialer/dial/dial_entry.h"
#include "dialer/dial/number_chooser.h"
#include "dialer/dial/number_chooser_window.h"
#include "recording_seams.h"
#include "tests/support/store_fixture.h"
#include "settings_store/settings_store.h"
#include "tests/support/small_file_system.h"
#include "tests/support/main_window_stand_in.h"
#include "tests/support/test_env.h"

Q_DECLARE_METATYPE(DialCaller)
Q_DECLARE_METATYPE(DialOutcome)

namespace {

const QString kNoNumberBox = QStringLiteral("message Vekorra error: Не введён номер!");

// A main window runs and phone 1 is the only, connected phone; completion
// is off, so pozvonit of slot 1 shows exactly what reached the dispatcher.
std::unique_ptr<MainWindowStandIn> main_window;

void set_up_single_connected_phone()
{
    main_window = std::make_unique<MainWindowStandIn>();
    write_setting("Kestrum", "1", "on_pr", "True");
    write_setting("MyApp", "vekorra", "kodGor_Plus", "0");
}

QString dispatched() { return read_setting("Kestrum", "1", "pozvonit", "<none>"); }

// Acts on the chooser once it is open (the entry blocks in its loop).
void when_chooser_opens(const std::function<void(Dialog*)>& action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            action(dialog);
            QTimer::singleShot(3000, dialog, &QDialog::reject);  // never hang the test
        }
    });
    timer->start();
}

}  // namespace

class TestDialEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { install_number_chooser(); }
    void texts_data();
    void texts();
    void chooser_choice_is_dispatched_data();
    void chooser_choice_is_dispatched();
    void cancelled_chooser_is_no_number_data();
    void cancelled_chooser_is_no_number();
    void no_chooser_installed_refuses();
    void a_number_that_cannot_be_written_is_reported_data();
    void a_number_that_cannot_be_written_is_reported();
};

void TestDialEntry::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<DialCaller>("caller");
    QTest::addColumn<DialOutcome>("outcome");
    QTest::addColumn<QString>("reaches_dispatcher");  // "<none>": nothing dispatched

    const auto main_window = DialCaller::MainWindow;
    const auto hand_over = DialCaller::HandOver;
    const auto dispatched = DialOutcome::Dispatched;
    const auto no_number = DialOutcome::NoNumber;
    QTest::newRow("trunk 8 form") << "8 (067) 123-45-67" << main_window << dispatched << "0671234567";
    QTest::newRow("international form") << "+38 (067) 123-45-67" << hand_over << dispatched << "+380671234567";
    QTest::newRow("local number unchanged") << "1234567" << main_window << dispatched << "1234567";
    QTest::newRow("one number and an extension") << "0671234567, 123" << main_window << dispatched
                                                 << "0671234567123";
    QTest::newRow("tel: address handed over") << "tel:+380671234567" << hand_over << dispatched << "+380671234567";
    QTest::newRow("no digits, main window") << "tel." << main_window << no_number << "<none>";
    QTest::newRow("no digits, hand-over") << "tel." << hand_over << no_number << "<none>";
    QTest::newRow("one space") << " " << main_window << no_number << "<none>";
    // Marks only: something to clean, nothing to dial.
    QTest::newRow("a mark only") << "^" << main_window << no_number << "<none>";
    QTest::newRow("marks only, hand-over") << "^^^" << hand_over << no_number << "<none>";
    // The longest dial string still goes; one more digit is no number.
    const QString longest = QStringLiteral("00") + QString(38, QLatin1Char('7'));
    QTest::newRow("40 characters") << longest << hand_over << dispatched << longest;
    QTest::newRow("41 characters") << longest + "7" << hand_over << no_number << "<none>";
    QTest::newRow("a page of digits, main window") << QString(100000, QLatin1Char('5')) << main_window << no_number
                                                   << "<none>";
}

void TestDialEntry::texts()
{
    QFETCH(QString, text);
    QFETCH(DialCaller, caller);
    QFETCH(DialOutcome, outcome);
    QFETCH(QString, reaches_dispatcher);
    TestEnv env;
    RecordingSeams seams;
    set_up_single_connected_phone();
    const QStringList before = store_contents();

    QCOMPARE(call_number(text, caller), outcome);

    QCOMPARE(dispatched(), reaches_dispatcher);
    if (outcome == DialOutcome::NoNumber) {
        QCOMPARE(seams.events, QStringList{kNoNumberBox});
        QCOMPARE(store_contents(), before);  // the window's state stays as it was
    } else {
        QCOMPARE(seams.events, QStringList{});
    }
}

void TestDialEntry::chooser_choice_is_dispatched_data()
{
    QTest::addColumn<DialCaller>("caller");
    QTest::newRow("main window") << DialCaller::MainWindow;
    QTest::newRow("hand-over") << DialCaller::HandOver;
}

void TestDialEntry::chooser_choice_is_dispatched()
{
    QFETCH(DialCaller, caller);
    TestEnv env;
    RecordingSeams seams;
    set_up_single_connected_phone();
    QStringList listed;
    when_chooser_opens([&listed](Dialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>("List1");
        for (int row = 0; row < list->count(); ++row)
            listed << list->item(row)->text();
        list->setCurrentRow(1);
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    });

    QCOMPARE(call_number(QStringLiteral("067-123-45-67, 050-765-43-21"), caller), DialOutcome::Dispatched);
    QCOMPARE(listed, (QStringList{"0671234567", "0507654321"}));
    QCOMPARE(dispatched(), QStringLiteral("0507654321"));
    QCOMPARE(seams.events, QStringList{});
}

void TestDialEntry::cancelled_chooser_is_no_number_data()
{
    chooser_choice_is_dispatched_data();
}

void TestDialEntry::cancelled_chooser_is_no_number()
{
    QFETCH(DialCaller, caller);
    TestEnv env;
    RecordingSeams seams;
    set_up_single_connected_phone();
    const QStringList before = store_contents();
    when_chooser_opens([](Dialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
    });

    QCOMPARE(call_number(QStringLiteral("067-123-45-67, 050-765-43-21"), caller), DialOutcome::NoNumber);
    QCOMPARE(seams.events, QStringList{kNoNumberBox});
    QCOMPARE(store_contents(), before);
}

void TestDialEntry::no_chooser_installed_refuses()
{
    TestEnv env;
    RecordingSeams seams;
    set_up_single_connected_phone();
    set_number_chooser(nullptr);
    QCOMPARE(call_number(QStringLiteral("0671234567, 0501234567"), DialCaller::HandOver), DialOutcome::NoNumber);
    install_number_chooser();
    QCOMPARE(dispatched(), QStringLiteral("<none>"));
    QCOMPARE(seams.events, QStringList{kNoNumberBox});
}

void TestDialEntry::a_number_that_cannot_be_written_is_reported_data()
{
    QTest::addColumn<DialCaller>("caller");
    QTest::addColumn<QString>("rule");  // of KS (067), "" for phone 1 alone
    QTest::newRow("main window, phone 1 alone") << DialCaller::MainWindow << "";
    QTest::newRow("hand-over, phone 1 alone") << DialCaller::HandOver << "";
    QTest::newRow("hand-over, phone 2 by rule") << DialCaller::HandOver << "1";
}

// The disk is full: the number never reaches the blackboard, and the user
// hears so instead of waiting for a call that does not come.
void TestDialEntry::a_number_that_cannot_be_written_is_reported()
{
    QFETCH(DialCaller, caller);
    QFETCH(QString, rule);
    TestEnv env;
    SmallFileSystem disk(env.root() + "/disk", 256);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.error()));
    qputenv("VEKORRA_SETTINGS", (disk.path() + "/settings.sqlite").toLocal8Bit());
    settings_store::reopen();
    RecordingSeams seams;
    set_up_single_connected_phone();
    if (!rule.isEmpty()) {
        write_setting("Kestrum", "2", "ON", "1");
        write_setting("Kestrum", "2", "on_pr", "True");
        write_setting("Vekorra", "pravila", "KS", rule);
    }
    // Every page of the log in use again, so that the next write needs room.
    QCOMPARE(RawStore(settings_store::store_path()).exec("PRAGMA wal_checkpoint(TRUNCATE)"), SQLITE_OK);
    QVERIFY(disk.fill());

    QCOMPARE(call_number(QStringLiteral("0671234567"), caller), DialOutcome::NotHandedOver);
    QCOMPARE(seams.events, QStringList{"message Vekorra error: Не удалось передать номер телефону!"});
    QCOMPARE(read_setting("Kestrum", rule.isEmpty() ? "1" : "2", "pozvonit", "<none>"), QStringLiteral("<none>"));
}

QTEST_MAIN(TestDialEntry)
#include "test_dial_entry.moc"
