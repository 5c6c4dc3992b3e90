// What a hostile phone, a hostile request and a hostile machine did to the
// controller: control characters from the phone, a USSD request with a
// final line feed, a second controller of a slot that saw the runtime
// folder read-only, and a port that points at no serial device. The real
// kestrum of slot 1 on the phone simulator; the store as witness.
#include <QtTest>

#include <QFile>
#include <QProcess>

#include <unistd.h>

#include "fault_rig.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/programs.h"
#include "tests/support/test_env.h"

using namespace faults;

namespace {

QString slot1(const QString& key) { return board(QStringLiteral("1"), key, QString()); }

bool ussd_answered(const QString& request, const QString& state)
{
    set_board(QStringLiteral("1"), QStringLiteral("ussd_state"), QString());
    set_board(QStringLiteral("1"), QStringLiteral("ussd"), request);
    return wait_until([&] { return slot1(QStringLiteral("ussd_state")) == state; }, 10000);
}

}  // namespace

class TestControllerFaults : public QObject {
    Q_OBJECT

private slots:
    void phone_texts_and_requests_stay_single_lines_and_clean();
    void second_controller_of_a_slot_ends_whatever_its_folders();
    void port_to_no_serial_device_names_no_holder();
};

void TestControllerFaults::phone_texts_and_requests_stay_single_lines_and_clean()
{
    TestEnv env;
    PhoneSim phone({"--model", QString::fromUtf8("Sim\x1b[2JPhone\x07"), "--ussd",
                    QString::fromUtf8("*101#=text:Bal\x1b[31m 5\x07 grn\\nOK\tdone\xc2\x9b")});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    set_board("1", "port", "1");
    set_board("1", "Tip_Tlf", "GSM");
    Controller controller;
    QVERIFY2(wait_until([] { return slot1("model") == "Sim[2JPhone"; }, 15000), qPrintable(slot1("model")));

    // "$" matched before a final line feed: this went out as two lines.
    QVERIFY(ussd_answered("*100#\n", "error"));
    QCOMPARE(phone.count_received("AT+CUSD"), 0);

    // The simulator sends its text as UTF-8: U+009B (CSI) comes as the
    // bytes C2 9B, one character each on the line; the C1 CSI goes.
    QVERIFY(ussd_answered("*101#", "0"));
    const QString clean = QString::fromUtf8("Bal[31m 5 grn\nOK\tdone\xc3\x82");
    QCOMPARE(slot1("ussd_reply"), clean);
    const QString printed = run_program(TestEnv::build_dir() + "/vekorra-settings", {"get", "Kestrum", "1", "ussd_reply"});
    QCOMPARE(printed, clean + "\n");
}

// Controller A holds the slot; B sees the runtime folder read-only (a bind
// mount of its own), C has none at all: neither may run beside A.
void TestControllerFaults::second_controller_of_a_slot_ends_whatever_its_folders()
{
    TestEnv env;
    Controller first;
    QVERIFY(wait_until([] { return slot1("on_pr_exe") == "1"; }, 5000));
    const QString kestrum = TestEnv::build_dir() + "/1/kestrum";

    QProcess without_runtime;
    QProcessEnvironment no_runtime = QProcessEnvironment::systemEnvironment();
    no_runtime.remove("XDG_RUNTIME_DIR");
    without_runtime.setProcessEnvironment(no_runtime);
    without_runtime.start(kestrum, {"0"});
    QVERIFY(without_runtime.waitForFinished(5000));
    QCOMPARE(without_runtime.exitCode(), 0);

    if (::geteuid() != 0)
        QSKIP("a read-only runtime folder of one process takes a mount namespace (root)");
    QProcess read_only;
    read_only.start("unshare", {"-m", "--propagation", "private", "sh", "-c",
                                "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" && "
                                "touch \"$1\"/probe 2>/dev/null; exec \"$2\" 0",
                                "sh", env.runtime_dir(), kestrum});
    QVERIFY(read_only.waitForFinished(5000));
    QCOMPARE(read_only.exitStatus(), QProcess::NormalExit);
    QCOMPARE(read_only.exitCode(), 0);
    QVERIFY(!QFile::exists(env.runtime_dir() + "/probe"));
    QVERIFY(first.running());
    QVERIFY(first.end_in_order(5000));
}

void TestControllerFaults::port_to_no_serial_device_names_no_holder()
{
    TestEnv env;
    QVERIFY(QFile::link("/dev/null", env.ports_dir() + "/com1"));
    set_board("1", "port", "1");
    set_board("1", "Tip_Tlf", "GSM");
    Controller controller;
    QVERIFY(wait_until([] { return !slot1("port_zanyat").isEmpty(); }, 15000));
    QCOMPARE(slot1("port_zanyat"), QStringLiteral("Не последовательный порт: указывает на /dev/null"));
}

QTEST_GUILESS_MAIN(TestControllerFaults)
#include "test_controller_faults.moc"
