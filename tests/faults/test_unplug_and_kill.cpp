// The phone unplugged in the middle of a call and plugged back, and the
// dialer and a controller killed without warning: the main window's panel
// shows what the blackboard holds throughout, the store stays sound, and
// a new dialer works with the controllers it finds or starts.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <csignal>
#include <sys/stat.h>

#include "child_launcher.h"
#include "dialer/main_window/form_port.h"
#include "fault_rig.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

using main_window::DisplayColour;
using namespace faults;

namespace {

const QString kModel = QStringLiteral("Demo GSM");
const QString kTalking = QStringLiteral("Разг. / (Исх. вызов) 0501234567\r\n");

// The talk time running beside a call ("  0:03") is left out of the text.
bool panel_shows(FormPort& form, const QString& text, DisplayColour colour)
{
    QString shown = form.frame(1)->display_text();
    shown.remove(QRegularExpression(QStringLiteral("  \\d+:\\d\\d(?=\\r\\n)")));
    return shown == text && form.frame(1)->display_colour() == colour;
}

QString kestrum_program() { return TestEnv::build_dir() + QStringLiteral("/1/kestrum"); }

// A dialer in a process of its own, as a user starts it; true once the
// controller it started has connected the phone of slot 1.
bool start_dialer_until_phone_one_connects(QProcess& dialer)
{
    dialer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dialer.start(TestEnv::build_dir() + QStringLiteral("/vekorra"), QStringList());
    return dialer.waitForStarted(5000)
           && wait_until([] { return board("1", "model") == kModel && board("1", "on_pr") == "True"; }, 15000);
}

}  // namespace

class TestUnplugAndKill : public QObject {
    Q_OBJECT

private slots:
    void phone_unplugged_mid_call_and_plugged_back();
    void dialer_and_controller_killed();
    void dialer_and_controller_asked_to_end_by_signal();
};

void TestUnplugAndKill::phone_unplugged_mid_call_and_plugged_back()
{
    TestEnv env;
    PhoneSim phone({"--alert-ms", "50", "--model", kModel});
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    MessageRecorder messages;
    ChildLauncher controllers;
    FormPort form(TestEnv::build_dir());
    form.start_up();
    form.show();
    QVERIFY(wait_until([&] { return panel_shows(form, kModel, DisplayColour::LightYellow); }, 15000));

    set_board("1", "pozvonit", "0501234567");
    QVERIFY(phone.wait_for_command("ATD0501234567;", 5000));
    QVERIFY(phone.control("answer"));
    QVERIFY2(wait_until([&] { return panel_shows(form, kTalking, DisplayColour::LightGreen); }, 5000),
             qPrintable(form.frame(1)->display_text()));

    // The cable is pulled (its link in the ports folder points nowhere):
    // the controller closes the port and publishes the loss; the panel shows
    // the phone as not connected for as long as it is away.
    QVERIFY(phone.control("drop keep-link"));
    const QString away = kModel + " < НЕТ СВЯЗИ >";
    QVERIFY2(wait_until([&] { return panel_shows(form, away, DisplayColour::LightGrey); }, 15000),
             qPrintable(form.frame(1)->display_text()));
    QCOMPARE(board("1", "on_pr"), QStringLiteral("False"));
    QCOMPARE(board("1", "knopki_zv"), QStringLiteral("0@0@0@0@0@0@0@0@0@0@0"));
    QVERIFY(!wait_until([&] { return !panel_shows(form, away, DisplayColour::LightGrey); }, 1000));

    // Plugged back: reopened and probed again, the call is back on the panel.
    int probes = phone.count_received("AT+GMM");
    QVERIFY(phone.control("reconnect"));
    QVERIFY(phone.wait_for_command("AT+GMM", 15000, probes + 1));
    QVERIFY2(wait_until([&] { return panel_shows(form, kTalking, DisplayColour::LightGreen); }, 15000),
             qPrintable(form.frame(1)->display_text()));
    QCOMPARE(board("1", "on_pr"), QStringLiteral("True"));

    // Pulled with its link removed as well: port 1 falls back to its usual
    // device (/dev/ttyS0), which may be there and silent, so the probe can
    // time out on it while the phone comes back. The controller must still
    // take the phone back as one with a call list.
    QVERIFY(phone.control("drop"));
    QVERIFY(wait_until([] { return board("1", "on_pr") == "False"; }, 15000));
    const bool on_fallback = wait_until([] { return board("1", "on_pr") == "True"; }, 3000);
    qInfo("port 1 without its link %s", on_fallback ? "opened /dev/ttyS0" : "did not open");
    probes = phone.count_received("AT+GMM");
    QVERIFY(phone.control("reconnect"));
    QVERIFY(phone.wait_for_command("AT+GMM", 30000, probes + 1));
    QVERIFY2(wait_until([&] { return panel_shows(form, kTalking, DisplayColour::LightGreen); }, 15000),
             qPrintable(form.frame(1)->display_text()));
    QCOMPARE(controllers.running(), 1);  // the same controller all along
    set_board("1", "poloz_t", "1");
    QVERIFY2(phone.wait_for_command("AT+CHUP", 5000), qPrintable(phone.received().join('|')));
    QVERIFY(wait_until([&] { return panel_shows(form, kModel, DisplayColour::LightYellow); }, 5000));
    QVERIFY(messages.texts.isEmpty());

    form.close();
    QVERIFY(wait_until([&] { return controllers.running() == 0; }, 5000));
}

void TestUnplugAndKill::dialer_and_controller_killed()
{
    TestEnv env;
    PhoneSim phone({"--alert-ms", "50", "--model", kModel});
    QVERIFY(phone.ready());
    set_board("1", "port", "1");

    // A dialer in its own process starts the controller, then dies.
    QProcess first_dialer;
    QVERIFY(start_dialer_until_phone_one_connects(first_dialer));
    const QList<qint64> first_controllers = processes_of(kestrum_program(), env.store_path());
    QCOMPARE(first_controllers.size(), 1);
    kill_hard(first_dialer.processId());
    QVERIFY(first_dialer.waitForFinished(5000));
    QCOMPARE(store_check(env.store_path()), QStringLiteral("ok"));

    // Its controller goes on serving the blackboard without it.
    set_board("1", "pozvonit", "0501234567");
    QVERIFY(phone.wait_for_command("ATD0501234567;", 5000));
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_until([] { return board("1", "zvonok") == "@0501234567@@@@@"; }, 5000));

    // A new dialer: the controller it starts finds its slot taken and
    // ends; the running one is shown and obeys.
    MessageRecorder messages;
    ChildLauncher controllers;
    FormPort form(TestEnv::build_dir());
    form.start_up();
    form.show();
    QVERIFY(wait_until([&] { return controllers.running() == 0; }, 5000));
    QVERIFY2(wait_until([&] { return panel_shows(form, kTalking, DisplayColour::LightGreen); }, 5000),
             qPrintable(form.frame(1)->display_text()));
    QCOMPARE(processes_of(kestrum_program(), env.store_path()), first_controllers);

    // The controller dies in the middle of the call. Nothing cleans up
    // after it: the panel keeps showing the last call it published.
    kill_hard(first_controllers.first());
    QVERIFY(wait_until([&] { return !alive(first_controllers.first()); }, 5000));
    QCOMPARE(store_check(env.store_path()), QStringLiteral("ok"));
    QTest::qWait(1000);  // a few status passes
    QVERIFY(panel_shows(form, kTalking, DisplayColour::LightGreen));
    QCOMPARE(board("1", "on_pr_exe"), QStringLiteral("1"));

    // "Подключиться" starts a new controller; it takes the port over,
    // probes the phone and shows the call that still runs on it.
    const int probes = phone.count_received("AT+GMM");
    form.connect_action()->trigger();
    QCOMPARE(controllers.running(), 1);
    QVERIFY(phone.wait_for_command("AT+GMM", 10000, probes + 1));
    const QList<qint64> second_controllers = processes_of(kestrum_program(), env.store_path());
    QCOMPARE(second_controllers.size(), 1);
    QVERIFY(second_controllers != first_controllers);
    form.number_field()->setText(QStringLiteral("067 123 45 67"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_until([&] { return panel_shows(form, kModel, DisplayColour::LightYellow); }, 5000));
    QTest::mouseClick(form.call_button(), Qt::LeftButton);
    QVERIFY(phone.wait_for_command("ATD0671234567;", 10000));
    QVERIFY(messages.texts.isEmpty());

    form.close();
    QVERIFY(wait_until([&] { return controllers.running() == 0; }, 5000));
    QCOMPARE(store_check(env.store_path()), QStringLiteral("ok"));
    QCOMPARE(board("1", "on_pr_exe"), QStringLiteral("0"));
    // Processes killed at any moment leave the store as private as they
    // found it (the store's own tests check how it is created).
    for (const char* suffix : {"", "-wal", "-shm"}) {
        struct stat file {};
        if (::stat(QFile::encodeName(env.store_path() + suffix).constData(), &file) == 0)
            QCOMPARE(file.st_mode & 0777, 0600u);
    }
}

// The desktop's session ends, or someone types `kill` or Ctrl+C: each
// program ends as it would by the window or the blackboard, so no
// controller outlives its dialer and no slot claims a phone that is gone.
void TestUnplugAndKill::dialer_and_controller_asked_to_end_by_signal()
{
    TestEnv env;
    PhoneSim phone({"--model", kModel});
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    const auto ended_in_order = [] {
        return board("1", "on_pr_exe") == "0" && board("1", "on_pr") == "False"
               && board("1", "knopki_zv") == "@@@@@@@@@@";
    };

    QProcess dialer;
    QVERIFY(start_dialer_until_phone_one_connects(dialer));
    const QList<qint64> controllers = processes_of(kestrum_program(), env.store_path());
    QCOMPARE(controllers.size(), 1);
    ::kill(static_cast<pid_t>(dialer.processId()), SIGTERM);
    QVERIFY(dialer.waitForFinished(5000));
    QCOMPARE(dialer.exitStatus(), QProcess::NormalExit);
    for (const char* slot : {"1", "2", "3", "4"})
        QCOMPARE(board(slot, "on_przv_exe"), QStringLiteral("0"));
    QVERIFY(wait_until([&] { return !alive(controllers.first()); }, 5000));
    QVERIFY(ended_in_order());

    // A controller asked to end by itself, with its dialer running.
    QProcess second_dialer;
    QVERIFY(start_dialer_until_phone_one_connects(second_dialer));
    const QList<qint64> second_controllers = processes_of(kestrum_program(), env.store_path());
    QCOMPARE(second_controllers.size(), 1);
    ::kill(static_cast<pid_t>(second_controllers.first()), SIGINT);
    QVERIFY(wait_until([&] { return !alive(second_controllers.first()); }, 5000));
    QVERIFY(ended_in_order());
    QVERIFY(second_dialer.state() == QProcess::Running);
    ::kill(static_cast<pid_t>(second_dialer.processId()), SIGHUP);
    QVERIFY(second_dialer.waitForFinished(5000));
    QCOMPARE(board("1", "on_przv_exe"), QStringLiteral("0"));
    QCOMPARE(store_check(env.store_path()), QStringLiteral("ok"));
}

QTEST_MAIN(TestUnplugAndKill)
#include "test_unplug_and_kill.moc"
