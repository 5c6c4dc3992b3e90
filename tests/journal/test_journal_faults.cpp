// Journal files a hostile or failing machine leaves: a schema version no
// program writes, a damaged file, paths the journal must refuse. Each seen
// through the real programs: vekorra-journal, vekorra-settings and kestrum
// on the phone simulator.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "journal/journal.h"
#include "tests/faults/fault_rig.h"
#include "tests/journal/journal_test_util.h"
#include "tests/journal/journal_watch.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/programs.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

namespace {

ToolRun journal_tool(const QStringList& args) { return run_tool(TestEnv::build_dir() + "/vekorra-journal", args); }

QByteArray file_digest(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

int mode_of(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

const char rows_query[] = "SELECT group_concat(id || ':' || number || ':' || coalesce(outcome, ''), ',') FROM calls";

}  // namespace

class JournalFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void unknown_schema_is_refused_and_left_alone_data();
    void unknown_schema_is_refused_and_left_alone();
    void controller_dials_past_an_unknown_schema();
    void damaged_journal_is_an_error_and_never_written();
    void call_ended_under_a_lock_is_written_when_it_goes();
    void refused_paths_leave_their_folders_alone();
};

void JournalFaultsTest::unknown_schema_is_refused_and_left_alone_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("said");
    for (const int version : {-1, -2, -3, -4, -5, -2147483647 - 1})
        QTest::addRow("%d", version) << version << QStringLiteral("schema version %1 is unknown").arg(version);
    const int next = journal::schema_version + 1;
    QTest::addRow("newer") << next
                           << QStringLiteral("schema version %1 is newer than %2").arg(next).arg(journal::schema_version);
    QTest::addRow("far newer") << 1000
                               << QStringLiteral("schema version 1000 is newer than %1").arg(journal::schema_version);
}

void JournalFaultsTest::unknown_schema_is_refused_and_left_alone()
{
    QFETCH(int, version);
    QFETCH(QString, said);
    TestEnv env;
    {
        journal::Journal journal;
        QVERIFY(journal.handed_over("skype", "0671112233", 1714550400000) > 0);
    }
    QVERIFY(journal_test::run_sql(env.journal_path(), qPrintable(QStringLiteral("PRAGMA user_version=%1").arg(version))));
    const QString rows = journal_test::sql_value(env.journal_path(), rows_query);

    for (const QStringList& args : {QStringList{"list"}, QStringList{"list", "--format", "json"},
                                    QStringList{"clear", "--before", "2030-01-01"}}) {
        const ToolRun run = journal_tool(args);
        QCOMPARE(run.exit_code, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
    }
    // A writer records nothing and says so once.
    journal_test::JournalWarnings warnings;
    journal::Journal journal;
    QCOMPARE(journal.call_started("1", "", journal::Direction::Out, "0501234567", 1714550500000), qint64(0));
    QCOMPARE(journal.handed_over("skype", "0501234567", 1714550500000), qint64(0));
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(journal_test::sql_value(env.journal_path(), rows_query), rows);
    QCOMPARE(journal_test::sql_value(env.journal_path(), "PRAGMA user_version"), QString::number(version));
}

// The controller of a line whose journal it cannot use still dials.
void JournalFaultsTest::controller_dials_past_an_unknown_schema()
{
    TestEnv env;
    QVERIFY(journal_test::run_sql(env.journal_path(), "CREATE TABLE calls (id INTEGER); PRAGMA user_version=-4"));
    PhoneSim phone({"--mode", "gsm", "--alert-ms", "100"});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    set_board("1", "port", "1");
    set_board("1", "Tip_Tlf", "GSM");
    faults::Controller controller;
    QVERIFY(phone.wait_for_command("AT+CLCC", 15000));
    set_board("1", "pozvonit", "0501234567");
    QVERIFY(phone.wait_for_command("ATD0501234567;", 10000));
    QVERIFY(controller.running());
    QVERIFY(controller.end_in_order(5000));
    QCOMPARE(journal_test::sql_value(env.journal_path(), "PRAGMA user_version"), QString("-4"));
}

void JournalFaultsTest::damaged_journal_is_an_error_and_never_written()
{
    TestEnv env;
    journal_test::write_damaged_journal(env.journal_path(), 3000, 4096);
    const QByteArray before = file_digest(env.journal_path());

    for (const char* format : {"tsv", "json"}) {
        const ToolRun run = journal_tool({"list", "--format", format});
        QCOMPARE(run.exit_code, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains("malformed"), qPrintable(run.err));
    }
    QCOMPARE(journal_tool({"clear", "--before", "2030-01-01"}).exit_code, 1);
    journal::Journal journal;
    QCOMPARE(journal.call_started("1", "", journal::Direction::Out, "0501234567", 1714550500000), qint64(0));
    QVERIFY(journal.damaged());
    QCOMPARE(file_digest(env.journal_path()), before);
    QVERIFY(!QFile::exists(env.journal_path() + "-wal") || QFileInfo(env.journal_path() + "-wal").size() == 0);

    // Set aside, the path starts a new journal; the damaged file is kept.
    const QString aside = journal.move_damaged_aside(QDateTime(QDate(2024, 5, 1), QTime(10, 0, 5)));
    QCOMPARE(aside, env.journal_path() + ".damaged-20240501-100005");
    QCOMPARE(file_digest(aside), before);
    QVERIFY(journal.call_started("1", "", journal::Direction::Out, "0501234567", 1714550500000) > 0);
    QCOMPARE(journal_tool({"list"}).exit_code, 0);
}

// Another program holds the journal's write lock while a call ends: the
// end is kept, not lost, and written once the lock goes.
void JournalFaultsTest::call_ended_under_a_lock_is_written_when_it_goes()
{
    TestEnv env;
    PhoneSim phone({"--mode", "gsm", "--alert-ms", "100"});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    set_board("1", "port", "1");
    set_board("1", "Tip_Tlf", "GSM");
    faults::Controller controller;
    QVERIFY(phone.wait_for_command("AT+CLCC", 15000));
    QVERIFY(phone.control("incoming 0501000002"));
    QVERIFY(journal_watch::wait_for_call("1 in 0501000002 open"));

    sqlite3* holder = nullptr;
    sqlite3_open(QFile::encodeName(env.journal_path()).constData(), &holder);
    QCOMPARE(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QVERIFY(phone.control("hangup"));
    QVERIFY(phone.wait_for_command("AT+CLCC", 10000, phone.count_received("AT+CLCC") + 6));
    QCOMPARE(journal_watch::calls(), QStringList{"1 in 0501000002 open"});
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    QVERIFY(journal_watch::wait_for_call("1 in 0501000002 missed"));
    QVERIFY(controller.end_in_order(5000));
}

// As root, a refused path once closed /dev. Here the system folders are
// tmpfs mounts of a private mount namespace, so a fault closes only those.
void JournalFaultsTest::refused_paths_leave_their_folders_alone()
{
    TestEnv env;
    const QString shared = env.root() + "/shared";
    QVERIFY(QDir().mkpath(shared + "/journal.sqlite") && QDir().mkpath(shared + "/settings.sqlite"));
    ::chmod(QFile::encodeName(shared).constData(), 0755);
    QProcessEnvironment folders = QProcessEnvironment::systemEnvironment();
    folders.insert("VEKORRA_JOURNAL", shared + "/journal.sqlite");
    folders.insert("VEKORRA_SETTINGS", shared + "/settings.sqlite");
    QVERIFY(run_program(TestEnv::build_dir() + "/vekorra-journal", {"list"}, folders).isNull());
    QVERIFY(run_program(TestEnv::build_dir() + "/vekorra-settings", {"set", "a", "b", "c", "d"}, folders).isNull());
    QCOMPARE(mode_of(shared), 0755);

    // An accepted file's own folder is closed.
    QDir().mkpath(env.root() + "/own");
    ::chmod(QFile::encodeName(env.root() + "/own").constData(), 0755);
    folders.insert("VEKORRA_SETTINGS", env.root() + "/own/settings.sqlite");
    QVERIFY(!run_program(TestEnv::build_dir() + "/vekorra-settings", {"set", "a", "b", "c", "d"}, folders).isNull());
    QCOMPARE(mode_of(env.root() + "/own"), 0700);

    if (::geteuid() != 0)
        QSKIP("the system folders are tried as root only");
    // The tools are copied out first: the build may lie below /tmp.
    const QString script = QStringLiteral(
        "mount -t tmpfs tmpfs /mnt && cp \"$1\"/vekorra-journal \"$1\"/vekorra-settings /mnt/ && "
        "mount -t tmpfs -o mode=0755 tmpfs /dev && mknod -m 666 /dev/null c 1 3 && "
        "mount -t tmpfs -o mode=0755 tmpfs /tmp && "
        "VEKORRA_JOURNAL=/dev/null /mnt/vekorra-journal list; echo journal $?; "
        "VEKORRA_SETTINGS=/tmp/settings.sqlite /mnt/vekorra-settings set a b c d; echo store $?; "
        "stat -c %a /dev /tmp");
    QProcess namespaced;
    namespaced.start("unshare", {"-m", "--propagation", "private", "sh", "-c", script, "sh", TestEnv::build_dir()});
    QVERIFY(namespaced.waitForFinished(20000));
    if (namespaced.exitCode() != 0 && namespaced.readAllStandardOutput().isEmpty())
        QSKIP("no private mount namespace here");
    const QString out = QString::fromUtf8(namespaced.readAllStandardOutput());
    QCOMPARE(out.split('\n', Qt::SkipEmptyParts), QStringList({"journal 1", "store 0", "755", "755"}));
}

QTEST_GUILESS_MAIN(JournalFaultsTest)
#include "test_journal_faults.moc"
