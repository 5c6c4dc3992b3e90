// The real kestrum executable in slot folders: start-up rules, one process
// per slot, the orderly end, and one whole call through the blackboard.
#include <QtTest>

#include <QDir>
#include <QProcess>

#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

namespace {

// A controller process started from a copy of the built executable in
// <root>/slots/<slot>/kestrum; killed at the end of the test if still
// running.
class Kestrum {
public:
    Kestrum(const TestEnv& env, const QString& slot, const QStringList& arguments = {"0"})
    {
        const QString folder = env.root() + QStringLiteral("/slots/") + slot;
        QDir().mkpath(folder);
        const QString program = folder + QStringLiteral("/kestrum");
        if (!QFile::exists(program))
            QFile::copy(TestEnv::build_dir() + QStringLiteral("/1/kestrum"), program);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, arguments);
        process.waitForStarted(5000);
    }
    ~Kestrum()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    bool running() const { return process.state() == QProcess::Running; }
    bool ends_within(int ms) { return process.state() == QProcess::NotRunning || process.waitForFinished(ms); }

    QProcess process;
};
}  // namespace

class TestKestrumProcess : public QObject {
    Q_OBJECT

private slots:
    void disabled_slot_ends_at_first_watchdog_tick();
    void one_controller_per_slot_and_orderly_end();
    void start_without_arguments_shows_about_and_writes_nothing();
    void development_folder_runs_without_permission();
    void one_whole_call();
};

void TestKestrumProcess::disabled_slot_ends_at_first_watchdog_tick()
{
    TestEnv env;
    set_board("2", "on_przv_exe", "1");
    set_board("2", "ON", "0");
    Kestrum controller(env, "2");
    QVERIFY(controller.ends_within(5000));
    QCOMPARE(controller.process.exitCode(), 0);
    QCOMPARE(board("2", "on_pr_exe"), QStringLiteral("0"));
    QCOMPARE(board("2", "on_pr"), QStringLiteral("False"));
}

void TestKestrumProcess::one_controller_per_slot_and_orderly_end()
{
    TestEnv env;
    set_board("1", "on_przv_exe", "1");
    set_board("2", "on_przv_exe", "1");
    set_board("2", "ON", "1");
    Kestrum first(env, "1");
    QVERIFY(wait_until([] { return board("1", "on_pr_exe") == "1"; }, 5000));
    Kestrum other_slot(env, "2");
    QVERIFY(wait_until([] { return board("2", "on_pr_exe") == "1"; }, 5000));
    Kestrum second(env, "1");
    QVERIFY(second.ends_within(3000));
    QTest::qWait(1500);  // past a watchdog tick: slot 1 needs no ON
    QVERIFY(first.running());
    QVERIFY(other_slot.running());

    set_board("1", "on_przv_exe", "0");
    QVERIFY(first.ends_within(3000));
    QCOMPARE(board("1", "on_pr"), QStringLiteral("False"));
    QCOMPARE(board("1", "model"), QString());
    QCOMPARE(board("1", "knopki_zv"), QStringLiteral("@@@@@@@@@@"));
    QCOMPARE(board("1", "on_pr_exe"), QStringLiteral("0"));
    QCOMPARE(board("1", "status"), QStringLiteral("@@@@@@"));
    QVERIFY(other_slot.running());
    set_board("2", "ON", "0");
    QVERIFY(other_slot.ends_within(3000));
    QCOMPARE(board("2", "on_pr_exe"), QStringLiteral("0"));
}

void TestKestrumProcess::start_without_arguments_shows_about_and_writes_nothing()
{
    TestEnv env;
    set_board("3", "on_przv_exe", "1");
    Kestrum controller(env, "3", {});
    QTest::qWait(1500);
    QVERIFY(controller.running());  // the About window waits for the user
    QCOMPARE(settings_store::list_settings("Kestrum", "3").size(), 1);
}

void TestKestrumProcess::development_folder_runs_without_permission()
{
    TestEnv env;
    Kestrum controller(env, "Проект", {});
    QVERIFY(wait_until([] { return board("Проект", "on_pr_exe") == "1"; }, 5000));
    QTest::qWait(1500);
    QVERIFY(controller.running());
    QCOMPARE(board("Проект", "on_pr"), QStringLiteral("False"));  // engine off until "Подклчюить"
}

void TestKestrumProcess::one_whole_call()
{
    TestEnv env;
    PhoneSim phone({"--alert-ms", "100"}, 1);
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    set_board("1", "on_przv_exe", "1");
    Kestrum controller(env, "1");
    QVERIFY(wait_until([] { return board("1", "on_pr") == "True"; }, 5000));
    QVERIFY(wait_until([] { return board("1", "model") == "PhoneSim 3000"; }, 5000));

    set_board("1", "pozvonit", "0501234567");
    QVERIFY(phone.wait_for_command("ATD0501234567;", 5000));
    QCOMPARE(board("1", "pozvonit"), QString());
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_until([] { return board("1", "status") == "@Разг. / (Исх. вызов)@@@@@"; }, 5000));
    QCOMPARE(board("1", "zvonok"), QStringLiteral("@0501234567@@@@@"));
    QCOMPARE(board("1", "knopki_zv"), QStringLiteral("0@0@0@0@1@0@0@0@0@0@1"));

    set_board("1", "poloz_t", "1");
    QVERIFY(phone.wait_for_command("AT+CHUP", 5000));
    QVERIFY(wait_until([&] { return phone.calls().isEmpty(); }, 3000));
    QVERIFY(wait_until([] { return board("1", "status") == "@@@@@@" && board("1", "zvonok") == "@@@@@@"; }, 5000));
    QCOMPARE(board("1", "knopki_zv"), QStringLiteral("0@0@0@0@0@0@0@0@0@0@0"));

    set_board("1", "on_przv_exe", "0");
    QVERIFY(controller.ends_within(3000));
}

QTEST_GUILESS_MAIN(TestKestrumProcess)
#include "test_kestrum_process.moc"
