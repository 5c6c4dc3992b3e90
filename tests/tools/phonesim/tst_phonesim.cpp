// Drives the phone simulator through a real serial client on its
// pseudo-terminal and checks the bytes a controller would see.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial_client.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

// The +CLCC lines of a call-list reply (echo off), without the final OK.
QStringList listed(SerialClient& client)
{
    const QByteArray reply = client.exchange("AT+CLCC");
    if (!reply.endsWith("\r\nOK\r\n"))
        return {QString::fromLatin1("bad reply: ") + QString::fromLatin1(reply)};
    QStringList calls;
    for (const QByteArray& line : reply.split('\n'))
        if (line.startsWith("+CLCC: "))
            calls.append(QString::fromLatin1(line.mid(7).trimmed()));
    return calls;
}

}  // namespace

class TestPhoneSim : public QObject
{
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void whole_outgoing_call();
    void incoming_answered();
    void waiting_call_swapped_and_rejected();
    void held_call_joined();
    void withheld_caller_lists_five_fields();
    void conference_split_and_release();
    void far_end_busy_and_modem_results();
    void scripted_far_end();
    void faults_error_and_silence();
    void model_query_switched();
    void fault_error_lower_once_per_command();
    void fault_slow_sends_pieces();
    void fault_garbage();
    void fault_random_garbage_long_reply_and_broken_call_list();
    void result_follows_echo_after_delay();
    void rings_while_incoming();
    void drop_and_reconnect();
    void unread_reply_not_seen_after_reopen();
    void exclusive_mode_ends_with_its_client();
    void log_lines();
    void link_replaced_and_removed();
    void shell_client();
};

void TestPhoneSim::replies_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("echo on") << QStringList{} << QByteArray("AT\r\n") << QByteArray("AT\r\r\nOK\r\n");
    QTest::newRow("echo off") << QStringList{"--echo", "off"} << QByteArray("AT\r\n") << QByteArray("\r\nOK\r\n");
    QTest::newRow("lower case, CR only") << QStringList{} << QByteArray("at\r") << QByteArray("at\r\r\nOK\r\n");
    QTest::newRow("lone LF ends a line") << QStringList{"--echo", "off"} << QByteArray("AT\n") << QByteArray("\r\nOK\r\n");
    QTest::newRow("empty lines ignored") << QStringList{"--echo", "off"} << QByteArray("\r\n\r\nAT\r\n")
                                         << QByteArray("\r\nOK\r\n");
    QTest::newRow("ATE0 stops echo") << QStringList{} << QByteArray("ATE0\r\nAT\r\n")
                                     << QByteArray("ATE0\r\r\nOK\r\n\r\nOK\r\n");
    QTest::newRow("unknown command") << QStringList{"--echo", "off"} << QByteArray("AT+XYZ\r\n")
                                     << QByteArray("\r\nERROR\r\n");
    QTest::newRow("model") << QStringList{"--model", "Nokia 6230i"} << QByteArray("AT+GMM\r\n")
                           << QByteArray("AT+GMM\r\r\nNokia 6230i\r\n\r\nOK\r\n");
    QTest::newRow("model with prefix") << QStringList{"--model", "K750i", "--gmm-prefix"} << QByteArray("AT+GMM\r\n")
                                       << QByteArray("AT+GMM\r\r\n+GMM: K750i\r\n\r\nOK\r\n");
    QTest::newRow("model on two lines") << QStringList{"--model", "Siemens\\nME45", "--echo", "off"}
                                        << QByteArray("AT+CGMM\r\n")
                                        << QByteArray("\r\nSiemens\r\n\r\nME45\r\n\r\nOK\r\n");
    QTest::newRow("model only by AT+CGMM") << QStringList{"--model", "K750i", "--model-query", "cgmm", "--echo", "off"}
                                           << QByteArray("AT+GMM\r\nAT+CGMM\r\nATI\r\n")
                                           << QByteArray("\r\nERROR\r\n\r\nK750i\r\n\r\nOK\r\n\r\nK750i\r\n\r\nOK\r\n");
    QTest::newRow("model only by ATI") << QStringList{"--model", "K750i", "--model-query", "ati", "--echo", "off"}
                                       << QByteArray("AT+GMM\r\nAT+CGMM\r\nATI\r\n")
                                       << QByteArray("\r\nERROR\r\n\r\nERROR\r\n\r\nK750i\r\n\r\nOK\r\n");
    QTest::newRow("ATI gives the model by default") << QStringList{"--model", "K750i", "--echo", "off"}
                                                    << QByteArray("ATI\r\n") << QByteArray("\r\nK750i\r\n\r\nOK\r\n");
    QTest::newRow("no call list") << QStringList{"--mode", "gsm-noclcc", "--echo", "off"}
                                  << QByteArray("AT+CLCC\r\n") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("gsm without call list still dials") << QStringList{"--mode", "gsm-noclcc", "--echo", "off"}
                                                       << QByteArray("ATD0501234567;\r\n") << QByteArray("\r\nOK\r\n");
    QTest::newRow("spaces in the number") << QStringList{"--echo", "off"} << QByteArray("ATD 050 123 45 67;\r\n")
                                          << QByteArray("\r\nOK\r\n");
    QTest::newRow("letters in the number") << QStringList{"--echo", "off"} << QByteArray("ATD05012x4567;\r\n")
                                           << QByteArray("\r\nERROR\r\n");
    QTest::newRow("data call refused") << QStringList{"--echo", "off"} << QByteArray("ATD0501234567\r\n")
                                       << QByteArray("\r\nNO CARRIER\r\n");
    QTest::newRow("cdma dial") << QStringList{"--mode", "cdma"} << QByteArray("AT+CDV911;\r\n")
                               << QByteArray("AT+CDV911;\r\r\nOK\r\n");
    QTest::newRow("cdma refuses ATD") << QStringList{"--mode", "cdma", "--echo", "off"}
                                      << QByteArray("ATD911;\r\n") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("cdma has no call list") << QStringList{"--mode", "cdma", "--echo", "off"}
                                           << QByteArray("AT+CLCC\r\n") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("modem dial") << QStringList{"--mode", "modem", "--echo", "off"} << QByteArray("ATD911;\r\n")
                                << QByteArray("\r\nOK\r\n");
    QTest::newRow("modem off hook, on hook") << QStringList{"--mode", "modem", "--echo", "off"}
                                             << QByteArray("ATH1\r\nATH\r\n") << QByteArray("\r\nOK\r\n\r\nOK\r\n");
    QTest::newRow("modem has no call list") << QStringList{"--mode", "modem", "--echo", "off"}
                                            << QByteArray("AT+CLCC\r\n") << QByteArray("\r\nERROR\r\n");
}

void TestPhoneSim::replies()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, expected);
    TestEnv env;
    PhoneSim phone(options);
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    client.write(sent);
    QByteArray got;
    QVERIFY(wait_until([&] { return (got += client.port().readAll()).size() >= expected.size(); }, 2000));
    got += client.read_for(50);
    QCOMPARE(got, expected);
}

void TestPhoneSim::whole_outgoing_call()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off", "--alert-ms", "100"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QCOMPARE(client.exchange("ATD0501234567;"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), QStringList{"1,0,2,0,0,\"0501234567\",129"});
    QVERIFY(wait_until([&] { return listed(client) == QStringList{"1,0,3,0,0,\"0501234567\",129"}; }, 2000));
    QVERIFY(phone.control("answer"));
    QCOMPARE(listed(client), QStringList{"1,0,0,0,0,\"0501234567\",129"});
    QCOMPARE(client.exchange("AT+CHUP"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), QStringList{});
    QCOMPARE(client.exchange("AT+CLCC"), QByteArray("\r\nOK\r\n"));
    QVERIFY(!phone.control("answer"));  // nothing left to answer
}

void TestPhoneSim::incoming_answered()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming +380501234567"));
    QCOMPARE(listed(client), QStringList{"1,1,4,0,0,\"+380501234567\",145"});
    QCOMPARE(client.exchange("ATA"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), QStringList{"1,1,0,0,0,\"+380501234567\",145"});
    QCOMPARE(client.exchange("ATA"), QByteArray("\r\nERROR\r\n"));
    QVERIFY(phone.control("hangup"));
    QCOMPARE(listed(client), QStringList{});
}

void TestPhoneSim::waiting_call_swapped_and_rejected()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off", "--auto-answer", "0"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QCOMPARE(client.exchange("ATD0501111111;"), QByteArray("\r\nOK\r\n"));
    QVERIFY(wait_until([&] { return listed(client) == QStringList{"1,0,0,0,0,\"0501111111\",129"}; }, 2000));

    QVERIFY(phone.control("incoming 0672222222"));
    QCOMPARE(listed(client), (QStringList{"1,0,0,0,0,\"0501111111\",129", "2,1,5,0,0,\"0672222222\",129"}));
    QCOMPARE(client.exchange("AT+CHLD=2"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), (QStringList{"1,0,1,0,0,\"0501111111\",129", "2,1,0,0,0,\"0672222222\",129"}));
    QCOMPARE(client.exchange("AT+CHLD=2"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), (QStringList{"1,0,0,0,0,\"0501111111\",129", "2,1,1,0,0,\"0672222222\",129"}));

    // A further caller while one is held: rejecting it keeps both others.
    QVERIFY(phone.control("hangup 0672222222"));
    QVERIFY(phone.control("waiting 0633333333"));
    QCOMPARE(listed(client), (QStringList{"1,0,0,0,0,\"0501111111\",129", "2,1,5,0,0,\"0633333333\",129"}));
    QCOMPARE(client.exchange("AT+CHLD=0"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), QStringList{"1,0,0,0,0,\"0501111111\",129"});

    // Hanging up the conversation leaves a waiting call ringing alone.
    QVERIFY(phone.control("waiting 0633333333"));
    QCOMPARE(client.exchange("AT+CHUP"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), QStringList{"2,1,4,0,0,\"0633333333\",129"});
    QCOMPARE(client.exchange("ATA"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), QStringList{"2,1,0,0,0,\"0633333333\",129"});
}

void TestPhoneSim::held_call_joined()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming 0501111111"));
    QCOMPARE(client.exchange("ATA"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(client.exchange("AT+CHLD=3"), QByteArray("\r\nERROR\r\n"));  // nobody to join
    // Dialling a second party puts the first on hold.
    QCOMPARE(client.exchange("ATD+380672222222;"), QByteArray("\r\nOK\r\n"));
    QVERIFY(phone.control("answer"));
    QCOMPARE(listed(client), (QStringList{"1,1,1,0,0,\"0501111111\",129", "2,0,0,0,0,\"+380672222222\",145"}));
    QCOMPARE(client.exchange("AT+CHLD=3"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(listed(client), (QStringList{"1,1,0,0,1,\"0501111111\",129", "2,0,0,0,1,\"+380672222222\",145"}));
    // One party leaves: the other is no conference any more.
    QVERIFY(phone.control("hangup 0501111111"));
    QCOMPARE(listed(client), QStringList{"2,0,0,0,0,\"+380672222222\",145"});
}

void TestPhoneSim::withheld_caller_lists_five_fields()
{
    TestEnv env;
    PhoneSim phone({});
    QVERIFY(phone.ready());
    QVERIFY(phone.control("echo off"));
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming-withheld"));
    QCOMPARE(client.exchange("AT+CLCC"), QByteArray("\r\n+CLCC: 1,1,4,0,0\r\n\r\nOK\r\n"));
    QCOMPARE(phone.calls(), QStringList{"1,1,4,0,0"});
}

void TestPhoneSim::conference_split_and_release()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming 0501111111"));
    QCOMPARE(client.exchange("ATA"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(client.exchange("ATD0672222222;"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(client.exchange("ATD0633333333;"), QByteArray("\r\nERROR\r\n"));  // one setup at a time
    QVERIFY(phone.control("answer"));
    QCOMPARE(client.exchange("ATD0633333333;"), QByteArray("\r\nERROR\r\n"));  // active and held already
    QCOMPARE(client.exchange("AT+CHLD=3"), QByteArray("\r\nOK\r\n"));

    const QString a = QStringLiteral(",\"0501111111\",129"), b = QStringLiteral(",\"0672222222\",129");
    const QList<QPair<QByteArray, QStringList>> steps {
        {"AT+CHLD=21", {"1,1,0,0,0" + a, "2,0,1,0,0" + b}},  // private talk with call 1
        {"AT+CHLD=2", {"1,1,1,0,0" + a, "2,0,0,0,0" + b}},
        {"AT+CHLD=12", {"1,1,1,0,0" + a}},
        {"AT+CHLD=2", {"1,1,0,0,0" + a}},                    // back from hold
    };
    for (const auto& [command, calls] : steps) {
        QCOMPARE(client.exchange(command), QByteArray("\r\nOK\r\n"));
        QCOMPARE(listed(client), calls);
    }
    QVERIFY(phone.control("waiting 0633333333"));
    QCOMPARE(client.exchange("AT+CHLD=1"), QByteArray("\r\nOK\r\n"));  // end this one, take the other
    QCOMPARE(listed(client), QStringList{"2,1,0,0,0,\"0633333333\",129"});
    for (const char* refused : {"AT+CHLD=19", "AT+CHLD=4", "AT+CHLD=3"})
        QCOMPARE(client.exchange(refused), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(client.exchange("AT+CHLD=?"), QByteArray("\r\n+CHLD: (0,1,1x,2,2x,3)\r\n\r\nOK\r\n"));
}

void TestPhoneSim::far_end_busy_and_modem_results()
{
    TestEnv env;
    PhoneSim gsm({"--echo", "off"}, 1);
    PhoneSim modem({"--echo", "off", "--mode", "modem"}, 2);
    QVERIFY(gsm.ready() && modem.ready());
    SerialClient gsm_line, modem_line;
    QVERIFY(gsm_line.open(gsm.link_path()));
    QVERIFY(modem_line.open(modem.link_path()));

    QCOMPARE(gsm_line.exchange("ATD0501234567;"), QByteArray("\r\nOK\r\n"));
    QVERIFY(gsm.control("busy"));
    QCOMPARE(listed(gsm_line), QStringList{});
    QVERIFY(!gsm.control("busy"));
    QVERIFY(!gsm.control("result NO DIALTONE"));  // only a modem has dial results

    const QList<QPair<QString, QByteArray>> cases {
        {"result NO DIALTONE", "\r\nNO DIALTONE\r\n"},
        {"busy", "\r\nBUSY\r\n"},
        {"result NO CARRIER", "\r\nNO CARRIER\r\n"},
        {"", "\r\nOK\r\n"},  // a set result holds for one dial only
    };
    for (const auto& [order, reply] : cases) {
        if (!order.isEmpty())
            QVERIFY(modem.control(order));
        QCOMPARE(modem_line.exchange("ATD0442345678;"), reply);
    }
    QVERIFY(!modem.control("result MAYBE"));
    QVERIFY(!modem.control("incoming 0501234567"));
}

void TestPhoneSim::scripted_far_end()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off", "--alert-ms", "20", "--auto-answer", "60", "--far-hangup-after", "150",
                    "--ring-after", "400", "0509876543"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QCOMPARE(client.exchange("ATD0501234567;"), QByteArray("\r\nOK\r\n"));
    QVERIFY(wait_until([&] { return phone.calls() == QStringList{"1,1,4,0,0,\"0509876543\",129"}; }, 3000));
    const QStringList events = phone.log_lines().filter(QStringLiteral(" EV call 1"));
    QCOMPARE(events.size(), 5);
    QVERIFY(events[0].endsWith(QLatin1String("EV call 1,0,2,0,0,\"0501234567\",129")));
    QVERIFY(events[1].endsWith(QLatin1String("EV call 1,0,3,0,0,\"0501234567\",129")));
    QVERIFY(events[2].endsWith(QLatin1String("EV call 1,0,0,0,0,\"0501234567\",129")));
    QVERIFY(events[3].endsWith(QLatin1String("EV call 1 released")));
    QVERIFY(events[4].endsWith(QLatin1String("EV call 1,1,4,0,0,\"0509876543\",129")));
}

void TestPhoneSim::faults_error_and_silence()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));

    QVERIFY(phone.control("fault error on"));
    QCOMPARE(client.exchange("AT"), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(client.exchange("ATD0501234567;"), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(phone.calls(), QStringList{});  // refused commands do nothing
    QVERIFY(phone.control("fault error off"));

    QVERIFY(phone.control("fault silence on"));
    client.write("AT+GMM\r\n");
    QVERIFY(phone.wait_for_command("AT+GMM", 2000));
    QCOMPARE(client.read_for(200), QByteArray());
    QVERIFY(phone.control("fault silence off"));
    QCOMPARE(client.exchange("AT"), QByteArray("\r\nOK\r\n"));
    QVERIFY(!phone.control("fault sleepy on"));
    QVERIFY(!phone.control("fault error maybe"));
}

void TestPhoneSim::model_query_switched()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("model-query ati"));
    QCOMPARE(client.exchange("AT+CGMM"), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(client.exchange("ATI"), QByteArray("\r\nPhoneSim 3000\r\n\r\nOK\r\n"));
    QVERIFY(phone.control("model-query gmm"));
    QCOMPARE(client.exchange("AT+GMM"), QByteArray("\r\nPhoneSim 3000\r\n\r\nOK\r\n"));
    QVERIFY(!phone.control("model-query atz"));
}

void TestPhoneSim::fault_error_lower_once_per_command()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("fault error-lower on"));
    QCOMPARE(client.exchange("AT+GMM"), QByteArray("AT+GMM\r\r\nerror\r\n"));
    QCOMPARE(client.exchange("AT+GMM"), QByteArray("AT+GMM\r\r\nPhoneSim 3000\r\n\r\nOK\r\n"));
    QCOMPARE(client.exchange("AT+GMM"), QByteArray("AT+GMM\r\r\nerror\r\n"));
    QCOMPARE(client.exchange("AT"), QByteArray("AT\r\r\nerror\r\n"));
    QCOMPARE(client.exchange("AT"), QByteArray("AT\r\r\nOK\r\n"));
}

void TestPhoneSim::fault_slow_sends_pieces()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("fault slow on 4 20"));
    const QByteArray expected("AT+GMM\r\r\nPhoneSim 3000\r\n\r\nOK\r\n");
    QCOMPARE(client.exchange("AT+GMM", 5000), expected);
    // The log shows what went out in one write: never more than four bytes.
    const QStringList sent = phone.log_lines().filter(QStringLiteral(" TX "));
    QCOMPARE(sent.size(), (expected.size() + 3) / 4);
    QVERIFY(sent.first().endsWith(QLatin1String(" TX AT+G")));
    QVERIFY(phone.control("fault slow off"));
    QCOMPARE(client.exchange("AT"), QByteArray("AT\r\r\nOK\r\n"));
    QCOMPARE(phone.log_lines().filter(QStringLiteral(" TX ")).size(), sent.size() + 2);  // echo, result
}

void TestPhoneSim::fault_garbage()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("fault garbage"));
    QByteArray got;
    QVERIFY(wait_until([&] { return (got += client.port().readAll()).size() >= 11; }, 2000));
    QVERIFY(got.contains('\0'));
    QVERIFY(got.contains('\xff'));
    QVERIFY(!got.contains("OK"));
    QCOMPARE(client.exchange("AT"), QByteArray("AT\r\r\nOK\r\n"));  // the phone itself is fine
}

void TestPhoneSim::fault_random_garbage_long_reply_and_broken_call_list()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));

    // 100 000 random bytes, far more than the pseudo-terminal holds: all of
    // them arrive, in the order one seed gives every time.
    QVERIFY(phone.control("fault garbage 100000 7"));
    QByteArray first;
    QVERIFY(wait_until([&] { return (first += client.port().readAll()).size() >= 100000; }, 10000));
    QCOMPARE(first.size(), 100000);
    QVERIFY(first.count('\0') > 100 && first.count('\xff') > 100);
    QVERIFY(phone.control("fault garbage 100000 7"));
    QByteArray second;
    QVERIFY(wait_until([&] { return (second += client.port().readAll()).size() >= 100000; }, 10000));
    QCOMPARE(second, first);
    QVERIFY(!phone.control("fault garbage many"));

    // A reply of 100 KB: one long information line, then the result.
    QVERIFY(phone.control("fault long on"));
    const QByteArray long_reply = client.exchange("AT", 10000);
    QCOMPARE(long_reply.size(), 2 + 102400 + 2 + 6);
    QVERIFY(long_reply.startsWith("\r\n!\"#$"));
    QVERIFY(long_reply.endsWith("\r\n\r\nOK\r\n"));
    QVERIFY(phone.control("fault long on 10"));
    QCOMPARE(client.exchange("AT"), QByteArray("\r\n!\"#$%&'()*\r\n\r\nOK\r\n"));
    QVERIFY(phone.control("fault long off"));

    // A broken call list with bytes that are no text, exactly as ordered.
    QVERIFY(phone.control(R"(fault clcc \r\n+CLCC: 1,0,\xff\xd0,"05\r\n+CLCC:\\\r\n)"));
    QCOMPARE(client.exchange("AT+CLCC"),
             QByteArray("\r\n+CLCC: 1,0,\xff\xd0,\"05\r\n+CLCC:\\\r\n\r\nOK\r\n"));
    QVERIFY(phone.control("fault clcc off"));
    QVERIFY(phone.control("incoming 0501112233"));
    QCOMPARE(client.exchange("AT+CLCC"), QByteArray("\r\n+CLCC: 1,1,4,0,0,\"0501112233\",129\r\n\r\nOK\r\n"));
}

void TestPhoneSim::result_follows_echo_after_delay()
{
    TestEnv env;
    PhoneSim phone({"--reply-delay", "100"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QCOMPARE(client.exchange("AT"), QByteArray("AT\r\r\nOK\r\n"));
    const QStringList sent = phone.log_lines().filter(QStringLiteral(" TX "));
    QCOMPARE(sent.size(), 2);
    QVERIFY(sent[0].endsWith(QLatin1String(" TX AT\\x0d")));
    QVERIFY(sent[1].endsWith(QLatin1String(" TX \\x0d\\x0aOK\\x0d\\x0a")));
    QVERIFY(sent[1].section(' ', 0, 0).toDouble() - sent[0].section(' ', 0, 0).toDouble() >= 0.09);

    QVERIFY(phone.control("delay 0"));
    QVERIFY(!phone.control("delay soon"));
    QCOMPARE(client.exchange("AT+GMM"), QByteArray("AT+GMM\r\r\nPhoneSim 3000\r\n\r\nOK\r\n"));
}

void TestPhoneSim::rings_while_incoming()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off", "--ring-urc", "40"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming 0501234567"));
    QByteArray got;
    QVERIFY(wait_until([&] { return (got += client.port().readAll()).count("\r\nRING\r\n") >= 2; }, 3000));
    QVERIFY(got.replace("\r\nRING\r\n", "").isEmpty());
    QVERIFY(client.exchange("ATA").endsWith("\r\nOK\r\n"));
    QCOMPARE(client.read_for(150), QByteArray());  // answered: no more rings
}

void TestPhoneSim::drop_and_reconnect()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming 0501234567"));
    QVERIFY(!phone.control("reconnect"));  // the line is still up
    QVERIFY(phone.control("drop"));
    QVERIFY(!QFile::exists(phone.link_path()));
    client.write("AT\r\n");
    client.read_for(100);
    QVERIFY(client.port().error() != QSerialPort::NoError);
    client.close();

    QVERIFY(phone.control("reconnect"));
    QVERIFY(QFile::exists(phone.link_path()));
    SerialClient again;
    QVERIFY(again.open(phone.link_path()));
    QCOMPARE(listed(again), QStringList{"1,1,4,0,0,\"0501234567\",129"});  // the phone kept its call

    // Unplugged with its link left behind: the link points nowhere until
    // the phone is back; not at the old terminal's name, which the next
    // terminal opened on this machine may get.
    const QString device = QFileInfo(phone.link_path()).symLinkTarget();
    again.close();
    QVERIFY(phone.control("drop keep-link"));
    QVERIFY(QFileInfo(phone.link_path()).isSymLink());
    QVERIFY(QFileInfo(phone.link_path()).symLinkTarget() != device);
    QVERIFY(!QFile::exists(phone.link_path()));  // dangling
    QVERIFY(!phone.control("drop now"));
    QVERIFY(phone.control("reconnect"));
    SerialClient third;
    QVERIFY(third.open(phone.link_path()));
    QCOMPARE(listed(third).size(), 1);
}

// A serial port forgets what its user left unread when it was closed.
void TestPhoneSim::unread_reply_not_seen_after_reopen()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    {
        SerialClient test_call;
        QVERIFY(test_call.open(phone.link_path()));
        test_call.write("ATD911;\r");
        QVERIFY(phone.wait_for_command("ATD911;", 2000));
        QVERIFY(wait_until([&] { return phone.log_lines().last().contains(QLatin1String(" TX ")); }, 2000));
    }
    // The simulator learns of the close a moment after it happened.
    QVERIFY(phone.wait_for_log(QStringLiteral(" EV line closed 0"), 2000));
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    const QByteArray reply = client.exchange("AT+GMM");
    QVERIFY2(reply == "AT+GMM\r\r\nPhoneSim 3000\r\n\r\nOK\r\n",
             qPrintable(QString::fromLatin1(reply.toPercentEncoding()) + "\n" + phone.log_lines().join('\n')));
}

// A client that dies leaves no close-time cleanup behind; the line must
// not stay exclusive (ordinary users could never open it again) nor keep
// the dead client's line settings.
void TestPhoneSim::exclusive_mode_ends_with_its_client()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    const QByteArray path = QFile::encodeName(phone.link_path());
    const int dead = ::open(path.constData(), O_RDWR | O_NOCTTY);
    QVERIFY(dead >= 0);
    QCOMPARE(::ioctl(dead, TIOCEXCL), 0);
    termios cooked {};
    QCOMPARE(tcgetattr(dead, &cooked), 0);
    cooked.c_lflag |= ECHO | ICANON;
    QCOMPARE(tcsetattr(dead, TCSANOW, &cooked), 0);
    ::close(dead);  // no TIOCNXCL, as when the process is killed

    int exclusive = 1;
    QVERIFY(wait_until([&] {
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);  // root may open even while exclusive
        if (fd < 0)
            return false;
        termios now {};
        const bool reset = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && !exclusive
                           && tcgetattr(fd, &now) == 0 && !(now.c_lflag & (ECHO | ICANON));
        ::close(fd);
        return reset;
    }, 2000));
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QCOMPARE(client.exchange("AT"), QByteArray("AT\r\r\nOK\r\n"));
}

void TestPhoneSim::log_lines()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming 0501234567"));
    client.exchange("AT");
    client.exchange("at+clcc");
    client.write("\x01junk\r");
    QVERIFY(phone.wait_for_command("\\x01junk", 2000));
    QCOMPARE(phone.received(), (QStringList{"AT", "at+clcc", "\\x01junk"}));
    QCOMPARE(phone.count_received("AT"), 1);
    QVERIFY(phone.received_at("AT") > 1.7e9);
    QVERIFY(phone.received_at("at+clcc") >= phone.received_at("AT"));
    QCOMPARE(phone.received_at("ATD"), -1.0);

    static const QRegularExpression entry(QStringLiteral("^\\d{10}\\.\\d{6} (RX|TX|EV) \\S.*$"));
    for (const QString& line : phone.log_lines())
        QVERIFY2(entry.match(line).hasMatch(), qPrintable(line));
    QCOMPARE(phone.log_lines().filter(QRegularExpression(QStringLiteral(" EV incoming 0501234567$"))).size(), 1);
    QVERIFY(phone.log_lines().contains(phone.log_lines().filter(QStringLiteral(" RX AT")).first()));
    QCOMPARE(client.read_for(100), QByteArray("\x01junk\r"));  // echoed, but no result: not an AT line
}

void TestPhoneSim::link_replaced_and_removed()
{
    TestEnv env;
    const QString simulator = TestEnv::build_dir() + QStringLiteral("/tools/phonesim/phonesim");
    const QString link = env.ports_dir() + QStringLiteral("/com2");
    auto start = [&](QProcess& process, const QString& control) {
        process.start(simulator, {"--ports", env.ports_dir(), "--port", "2", "--control", control});
        return process.waitForReadyRead(5000) && process.readAll().startsWith("ready " + link.toLocal8Bit());
    };
    QProcess first, second;
    QVERIFY(start(first, env.root() + QStringLiteral("/first.control")));
    const QString first_target = QFile::symLinkTarget(link);
    QVERIFY(start(second, env.root() + QStringLiteral("/second.control")));
    const QString second_target = QFile::symLinkTarget(link);
    QVERIFY(first_target != second_target);

    first.terminate();
    QVERIFY(first.waitForFinished(3000));
    QCOMPARE(QFile::symLinkTarget(link), second_target);  // not the first one's to remove
    second.terminate();
    QVERIFY(second.waitForFinished(3000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(env.root() + QStringLiteral("/second.control")));
}

void TestPhoneSim::shell_client()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    const QString simulator = TestEnv::build_dir() + QStringLiteral("/tools/phonesim/phonesim");
    auto run = [&](const QStringList& args, QByteArray* out) {
        QProcess process;
        process.start(simulator, args);
        process.waitForFinished(5000);
        *out = process.readAllStandardOutput();
        return process.exitCode();
    };
    QByteArray out;
    QCOMPARE(run({"--send", phone.control_path(), "incoming", "0501234567"}, &out), 0);
    QCOMPARE(out, QByteArray("OK\n"));
    QCOMPARE(run({"ctl", phone.control_path(), "calls"}, &out), 0);
    QCOMPARE(out, QByteArray("1,1,4,0,0,\"0501234567\",129\nOK\n"));
    QCOMPARE(run({"ctl", phone.control_path(), "fly"}, &out), 1);
    QVERIFY(out.startsWith("ERROR "));
    QCOMPARE(run({"ctl", env.root() + QStringLiteral("/nothing.control"), "calls"}, &out), 2);
    QCOMPARE(run({"--mode", "satellite"}, &out), 2);
    QCOMPARE(run({"--model-query", "atz"}, &out), 2);
    QCOMPARE(run({"--ussd", "*100#"}, &out), 2);
    QCOMPARE(run({"--help"}, &out), 0);
    for (const char* word : {"--ring-after", "--reply-delay", "--ring-urc", "delay", "--auto-answer", "--far-hangup-after", "incoming-withheld", "waiting",
                             "hangup", "result", "error-lower", "slow", "garbage", "drop", "calls", "quit",
                             "--model-query", "model-query", "--ussd ", "--ussd-delay", "ussd-delay", "ucs2-dcs15",
                             "AT+VTS", "AT+CUSD=2"})
        QVERIFY2(out.contains(word), word);
    QVERIFY(phone.control("quit"));
    QVERIFY(wait_until([&] { return !QFile::exists(phone.link_path()); }, 3000));
}

QTEST_GUILESS_MAIN(TestPhoneSim)
#include "tst_phonesim.moc"
