// A real controller process against a phone that talks garbage: random
// bytes, a reply of 100 KB, broken call lists, bytes that are no text,
// replies in one-byte pieces. The controller must neither crash nor stall
// beyond its exchange time limit, and must show the calls again as soon as
// the phone answers properly.
#include <QtTest>

#include "fault_rig.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

using namespace faults;

namespace {

// An exchange that gets no answer gives up after about 10.7 s; a tick may
// add a probe of two more exchanges and the pauses after a lost line.
constexpr int kStallLimitMs = 3 * 10700 + 3000;

const QString kCallShown = QStringLiteral("@Разг. / (Исх. вызов)@@@@@");
const QString kCallNumber = QStringLiteral("@0501234567@@@@@");

}  // namespace

class TestPhoneGarbage : public QObject {
    Q_OBJECT

private slots:
    void garbage_never_stops_the_controller();
};

void TestPhoneGarbage::garbage_never_stops_the_controller()
{
    TestEnv env;
    PhoneSim phone({"--alert-ms", "50"});
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    Controller controller;
    QVERIFY(wait_until([] { return board("1", "on_pr") == "True"; }, 10000));
    set_board("1", "pozvonit", "0501234567");
    QVERIFY(phone.wait_for_command("ATD0501234567;", 5000));
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_until([] { return board("1", "status") == kCallShown && board("1", "zvonok") == kCallNumber; }, 5000));

    const struct {
        const char* name;
        QStringList on;   // control lines that start the fault
        QStringList off;  // and end it
    } faults[] = {
        {"random bytes, 100 000 of them", {"fault garbage 100000 3"}, {}},
        {"random bytes between replies", {"fault garbage 5000 4", "fault garbage 5000 5", "fault garbage"}, {}},
        {"a reply of 100 KB", {"fault long on"}, {"fault long off"}},
        {"a call without its number",
         {R"(fault clcc \r\n+CLCC: 1,1,4,0,0\r\n+CLCC: 2,0,0,0,0,"0501234567",129\r\n)"}, {"fault clcc off"}},
        {"cut and empty call lines",
         {R"(fault clcc \r\n+CLCC: 1,0,0,0,0,"050\r\n+CLCC:\r\n+CLCC: ,,,,,,\r\n+CLCC: 9999999999,x,-1\r\n)"},
         {"fault clcc off"}},
        {"more calls than rows",
         {R"(fault clcc \r\n+CLCC: 1,0,0,0,1,"1",129\r\n+CLCC: 2,0,0,0,1,"2",129\r\n+CLCC: 3,0,0,0,1,"3",129\r\n)"
          R"(+CLCC: 4,0,0,0,1,"4",129\r\n+CLCC: 5,0,0,0,1,"5",129\r\n+CLCC: 6,0,0,0,1,"6",129\r\n)"
          R"(+CLCC: 7,0,0,0,1,"7",129\r\n+CLCC: 8,0,0,0,1,"8",129\r\n)"},
         {"fault clcc off"}},
        {"bytes that are no text",
         {R"(fault clcc \r\n+CLCC: 1,0,0,0,0,"\xd0\x9f\xff\x00\x80\x1b[2J",129\r\n\xfe\xfe\r\n)"}, {"fault clcc off"}},
        {"replies in one-byte pieces", {"fault slow on 1 15"}, {"fault slow off"}},
        {"one-byte pieces of garbage", {"fault slow on 1 2", "fault garbage 2000 6"}, {"fault slow off"}},
    };
    for (const auto& fault : faults) {
        const int polls = phone.count_received("AT+CLCC");
        for (const QString& line : fault.on)
            QVERIFY2(phone.control(line), fault.name);
        // The controller goes on polling through the fault.
        QVERIFY2(phone.wait_for_command("AT+CLCC", kStallLimitMs, polls + 3), fault.name);
        QVERIFY2(controller.running(), fault.name);
        for (const QString& line : fault.off)
            QVERIFY2(phone.control(line), fault.name);
        // The next good replies show the call again, connected.
        QVERIFY2(wait_until([] { return board("1", "status") == kCallShown && board("1", "zvonok") == kCallNumber
                                        && board("1", "on_pr") == "True"; },
                            kStallLimitMs),
                 qPrintable(QString::fromLatin1(fault.name) + ": " + board("1", "status") + " " + board("1", "zvonok")));
    }

    // A figure, not a verdict: the longest the phone waited for the next
    // command while the faults ran.
    double longest = 0;
    double last = -1;
    for (const QString& line : phone.log_lines()) {
        if (!line.contains(QLatin1String(" RX ")))
            continue;
        const double at = line.section(QLatin1Char(' '), 0, 0).toDouble();
        if (last >= 0)
            longest = qMax(longest, at - last);
        last = at;
    }
    qInfo("longest pause between two commands to the phone: %.2f s", longest);

    // Still in command of the phone.
    set_board("1", "poloz_t", "1");
    QVERIFY(phone.wait_for_command("AT+CHUP", 5000));
    QVERIFY(wait_until([] { return board("1", "status") == "@@@@@@"; }, 5000));
    QCOMPARE(board("1", "model"), QStringLiteral("PhoneSim 3000"));
    QVERIFY(controller.end_in_order(3000));
    QCOMPARE(board("1", "on_pr_exe"), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TestPhoneGarbage)
#include "test_phone_garbage.moc"
