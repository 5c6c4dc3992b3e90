// Drives the phone simulator through a real serial client on its
// pseudo-terminal and checks the bytes a controller would see.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

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
    QTest::newRow("no call list") << QStringList{"--mode", "gsm-noclcc", "--echo", "off"}
                                  << QByteArray("AT+CLCC\r\n") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("gsm without call list still dials") << QStringList{"--mode", "gsm-noclcc", "--echo", "off"}
                                                       << QByteArray("ATD0501234567;\r\n") << QByteArray("\r\nOK\r\n");
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
    PhoneSim phone({"--echo", "off"});
    QVERIFY(phone.ready());
    SerialClient client;
    QVERIFY(client.open(phone.link_path()));
    QVERIFY(phone.control("incoming-withheld"));
    QCOMPARE(client.exchange("AT+CLCC"), QByteArray("\r\n+CLCC: 1,1,4,0,0\r\n\r\nOK\r\n"));
    QCOMPARE(phone.calls(), QStringList{"1,1,4,0,0"});
}

QTEST_GUILESS_MAIN(TestPhoneSim)
#include "tst_phonesim.moc"
