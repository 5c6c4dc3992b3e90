// The call journal as the real controller writes it: kestrum of slot 1 on
// the phone simulator, driven through the blackboard as the dialer drives
// it, every kind of call in one run.
#include <QtTest>

#include "journal/journal.h"
#include "tests/faults/fault_rig.h"
#include "tests/journal/journal_watch.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

using journal_watch::wait_for_call;

namespace {

void press(const QString& key, const QString& value = QStringLiteral("1"))
{
    set_board(QStringLiteral("1"), key, value);
}

}  // namespace

class JournalCallsTest : public QObject {
    Q_OBJECT

private slots:
    void controller_records_every_kind_of_call();
};

void JournalCallsTest::controller_records_every_kind_of_call()
{
    TestEnv env;
    PhoneSim phone({"--mode", "gsm", "--alert-ms", "100", "--model", "Journal GSM"});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    press("port", "1");
    press("Tip_Tlf", "GSM");
    auto controller = std::make_unique<faults::Controller>();
    QVERIFY(controller->running());
    QVERIFY(phone.wait_for_command("AT+CLCC", 15000, 3));

    // Incoming, answered from this program, hung up by the caller.
    QVERIFY(phone.control("incoming 0501000001"));
    QVERIFY(wait_for_call("1 in 0501000001 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000001 talking"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 in 0501000001 answered"));

    // Incoming, given up by the caller: missed.
    QVERIFY(phone.control("incoming 0501000002"));
    QVERIFY(wait_for_call("1 in 0501000002 open"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 in 0501000002 missed"));

    // Incoming, declined here ("AT+CHUP"): rejected.
    QVERIFY(phone.control("incoming 0501000003"));
    QVERIFY(wait_for_call("1 in 0501000003 open"));
    press("poloz_t");
    QVERIFY(phone.wait_for_command("AT+CHUP", 10000));
    QVERIFY(wait_for_call("1 in 0501000003 rejected"));

    // A waiting call answered: both parties talked.
    QVERIFY(phone.control("incoming 0501000004"));
    QVERIFY(wait_for_call("1 in 0501000004 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000004 talking"));
    QVERIFY(phone.control("waiting 0501000005"));
    QVERIFY(wait_for_call("1 in 0501000005 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000005 talking"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 in 0501000004 answered"));
    QVERIFY(wait_for_call("1 in 0501000005 answered"));

    // A waiting call declined here ("AT+CHLD=0"): rejected; the call going
    // on stays answered.
    QVERIFY(phone.control("incoming 0501000006"));
    QVERIFY(wait_for_call("1 in 0501000006 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000006 talking"));
    QVERIFY(phone.control("waiting 0501000007"));
    QVERIFY(wait_for_call("1 in 0501000007 open"));
    press("ud_otklon");
    QVERIFY(phone.wait_for_command("AT+CHLD=0", 10000));
    QVERIFY(wait_for_call("1 in 0501000007 rejected"));
    QVERIFY(wait_for_call("1 in 0501000006 talking"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 in 0501000006 answered"));

    // Outgoing, answered by the far end; then one the far end is busy for.
    press("pozvonit", "0671000008");
    QVERIFY(wait_for_call("1 out 0671000008 open"));
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_for_call("1 out 0671000008 talking"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 out 0671000008 answered"));
    press("pozvonit", "0671000009");
    QVERIFY(wait_for_call("1 out 0671000009 open"));
    QVERIFY(phone.control("busy"));
    QVERIFY(wait_for_call("1 out 0671000009 unanswered"));

    // A conference of three: a call in, a call out beside it, joined; each
    // party keeps its own record.
    QVERIFY(phone.control("incoming 0501000010"));
    QVERIFY(wait_for_call("1 in 0501000010 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000010 talking"));
    press("pozvonit", "0671000011");
    QVERIFY(wait_for_call("1 out 0671000011 open"));
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_for_call("1 out 0671000011 talking"));
    press("kf1");
    QVERIFY(phone.wait_for_command("AT+CHLD=3", 10000));
    QVERIFY(wait_until([&] { return phone.calls().filter(",1,\"").size() == 2; }, 10000));
    QVERIFY(phone.control("hangup 0501000010"));
    QVERIFY(wait_for_call("1 in 0501000010 answered"));
    QVERIFY(wait_for_call("1 out 0671000011 talking"));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 out 0671000011 answered"));

    // The controller killed in the middle of a call: its next start closes
    // the call as interrupted, with the talk time last seen.
    QVERIFY(phone.control("incoming 0501000012"));
    QVERIFY(wait_for_call("1 in 0501000012 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000012 talking"));
    QTest::qWait(2500);  // seen going on for a while (written each second)
    faults::kill_hard(controller->pid());
    QVERIFY(wait_until([&] { return !controller->running(); }, 5000));
    QVERIFY(phone.control("hangup"));
    QCOMPARE(journal_watch::calls().filter("0501000012").first(), QStringLiteral("1 in 0501000012 talking"));
    controller = std::make_unique<faults::Controller>();
    QVERIFY(wait_for_call("1 in 0501000012 interrupted"));
    const journal::CallRecord interrupted = journal::Journal().fetch_all({}).first();
    QCOMPARE(interrupted.number, QStringLiteral("0501000012"));
    QVERIFY2(interrupted.talk_seconds() >= 1, qPrintable(QString::number(interrupted.talk_seconds())));
    QCOMPARE(interrupted.model, QStringLiteral("Journal GSM"));

    // Killed and back while the call still goes on: the call keeps its one
    // record, and ends answered.
    QVERIFY(phone.control("incoming 0501000013"));
    QVERIFY(wait_for_call("1 in 0501000013 open"));
    press("vzat_t");
    QVERIFY(wait_for_call("1 in 0501000013 talking"));
    faults::kill_hard(controller->pid());
    QVERIFY(wait_until([&] { return !controller->running(); }, 5000));
    const int polls = phone.count_received("AT+CLCC");
    controller = std::make_unique<faults::Controller>();
    QVERIFY(phone.wait_for_command("AT+CLCC", 10000, polls + 2));
    QCOMPARE(journal_watch::calls().filter("0501000013"), QStringList{"1 in 0501000013 talking"});
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_for_call("1 in 0501000013 answered"));

    // An orderly end leaves nothing open, and every call is there once.
    QVERIFY(controller->end_in_order(10000));
    const QStringList calls = journal_watch::calls();
    QVERIFY2(calls.size() == 13, qPrintable(calls.join(" | ")));
    QVERIFY2(calls.filter(QRegularExpression(" (open|talking)$")).isEmpty(), qPrintable(calls.join(" | ")));
}

QTEST_GUILESS_MAIN(JournalCallsTest)
#include "test_journal_calls.moc"
