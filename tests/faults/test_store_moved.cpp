// The file system changes under running programs: the store removed,
// replaced or stripped of its -wal and -shm while the dialer and a
// controller run, the runtime folder read-only, the disk full. Real
// processes on real files; a hand-over afterwards must reach the phone or
// tell the user why not.
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

#include "fault_rig.h"
#include "settings_store/settings_store.h"
#include "tests/support/store_fixture.h"
#include "tests/support/env_override.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/small_file_system.h"
#include "tests/support/main_window_stand_in.h"
#include "tests/support/test_env.h"

using namespace faults;

namespace {

const QString kModel = QStringLiteral("Demo GSM");

QString dialer_program() { return TestEnv::build_dir() + QStringLiteral("/vekorra"); }

// A hand-over, as another program hands a number to the dialer.
struct HandOver : RawProcess {
    HandOver(const QByteArray& number, const QString& folder) : RawProcess(dialer_program(), {number}, folder) {}
};

void change_store(const QString& change, const QString& path, const QString& folder)
{
    if (change == "replace") {
        // A backup put back over the store, as a restore tool does it.
        const QString copy = folder + QStringLiteral("/restored.sqlite");
        QCOMPARE(RawStore(path).exec(QStringLiteral("VACUUM INTO '%1'").arg(copy).toUtf8().constData()), SQLITE_OK);
        QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0600) == 0);
        QVERIFY(::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) == 0);
        return;
    }
    if (change == "remove")
        QVERIFY(QFile::remove(path));
    QVERIFY(QFile::remove(path + QStringLiteral("-wal")));
    QVERIFY(QFile::remove(path + QStringLiteral("-shm")));
}

}  // namespace

class TestStoreMoved : public QObject {
    Q_OBJECT

private slots:
    void store_changed_under_running_programs_data();
    void store_changed_under_running_programs();
    void read_only_runtime_folder_keeps_one_controller_per_slot();
    void full_disk_hand_over_tells_the_user();
};

void TestStoreMoved::store_changed_under_running_programs_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("store removed with its -wal and -shm") << "remove";
    QTest::newRow("store replaced by a backup") << "replace";
    QTest::newRow("-wal and -shm removed") << "journal";
}

void TestStoreMoved::store_changed_under_running_programs()
{
    QFETCH(QString, change);
    TestEnv env;
    PhoneSim phone({"--model", kModel});
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    QProcess dialer;
    dialer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dialer.start(dialer_program(), QStringList());
    QVERIFY(dialer.waitForStarted(5000));
    QVERIFY(wait_until([] { return board("1", "model") == kModel && board("1", "on_pr") == "True"; }, 15000));

    change_store(change, env.store_path(), env.root());
    // Once the controller writes into what the path names (this process
    // follows the path as well), every process works on one file again.
    QVERIFY(wait_until([] {
        settings_store::unset_setting("Kestrum", "1", "on_pr_exe");
        QThread::msleep(400);
        return board("1", "on_pr_exe") == "1";
    }, 5000));
    QTest::qWait(1100);  // the dialer's own check falls due within a second

    HandOver hand_over("0501234567", env.root());
    QVERIFY2(hand_over.ended_well(10000), hand_over.errors().constData());
    QVERIFY2(phone.wait_for_command("ATD0501234567;", 5000), qPrintable(phone.received().join('|')));
    QCOMPARE(processes_of(dialer_program(), env.store_path()).size(), 1);  // no second main window
    QCOMPARE(store_check(env.store_path()), QStringLiteral("ok"));

    ::kill(pid_t(dialer.processId()), SIGTERM);
    QVERIFY(dialer.waitForFinished(5000));
    const QString kestrum = TestEnv::build_dir() + QStringLiteral("/1/kestrum");
    QVERIFY(wait_until([&] { return processes_of(kestrum, env.store_path()).isEmpty(); }, 5000));
}

// The runtime folder is there but read-only: the lock moves to the user's
// private folder; with the temporary folder read-only as well, to a name
// in the kernel's socket space. Either way a second controller of the slot
// ends at once.
void TestStoreMoved::read_only_runtime_folder_keeps_one_controller_per_slot()
{
    TestEnv env;
    SmallFileSystem runtime(env.runtime_dir(), 64, SmallFileSystem::ReadOnly);
    if (!runtime.mounted())
        QSKIP(qPrintable(runtime.error()));
    for (const bool temporary_folder_too : {false, true}) {
        SmallFileSystem temporary(env.root() + "/tmp", 64, SmallFileSystem::ReadOnly);
        const EnvOverride tmpdir("TMPDIR", temporary_folder_too ? temporary.path().toLocal8Bit() : qgetenv("TMPDIR"));
        settings_store::unset_setting("Kestrum", "1", "on_pr_exe");
        Controller first;
        QVERIFY(wait_until([] { return board("1", "on_pr_exe") == "1"; }, 10000));
        Controller second;
        QVERIFY2(wait_until([&] { return !second.running(); }, 5000),
                 temporary_folder_too ? "with the temporary folder read-only" : "with a private lock folder");
        QVERIFY(first.running());
        QVERIFY(first.end_in_order(5000));
    }
}

// The disk is full: the number cannot be put on the blackboard, and the
// hand-over says so on standard error and in a message box, instead of
// ending as if the phone were dialling.
void TestStoreMoved::full_disk_hand_over_tells_the_user()
{
    TestEnv env;
    SmallFileSystem disk(env.root() + "/disk", 256);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.error()));
    const QString path = disk.path() + "/settings.sqlite";
    qputenv("VEKORRA_SETTINGS", path.toLocal8Bit());
    settings_store::reopen();
    const MainWindowStandIn main_window;
    set_board("1", "on_pr", "True");
    QCOMPARE(RawStore(path).exec("PRAGMA wal_checkpoint(TRUNCATE)"), SQLITE_OK);
    QVERIFY(disk.fill());

    HandOver hand_over("0501234567", env.root());
    QVERIFY(wait_until([&] { return hand_over.errors().contains("Vekorra: Не удалось передать номер телефону!"); },
                       10000));
    QVERIFY(becomes_idle(hand_over.pid(), 500, 10000));  // the box waits for the user
    QCOMPARE(board("1", "pozvonit"), QStringLiteral("<absent>"));
    QCOMPARE(processes_of(dialer_program(), path).size(), 1);  // no main window was started
}

QTEST_GUILESS_MAIN(TestStoreMoved)
#include "test_store_moved.moc"
