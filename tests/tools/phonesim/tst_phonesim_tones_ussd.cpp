// The simulator's tones (AT+VTS) and USSD (AT+CUSD), through a real serial
// client on its pseudo-terminal.
#include <QtTest>

#include "serial_client.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

const QByteArray ok = "\r\nOK\r\n";
const QByteArray error = "\r\nERROR\r\n";

// The unsolicited line that follows a request's OK, read until its line end.
QByteArray unsolicited(SerialClient& client, int timeout_ms = 2000)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (!(got.startsWith("\r\n") && got.size() > 2 && got.endsWith("\r\n")) && timer.elapsed() < timeout_ms) {
        client.port().waitForReadyRead(50);
        got += client.port().readAll();
    }
    return got;
}

struct Line {
    TestEnv env;
    PhoneSim phone;
    SerialClient client;
    explicit Line(const QStringList& options) : phone(QStringList{"--echo", "off"} + options) {}
    bool open() { return phone.ready() && client.open(phone.link_path()); }
};

}  // namespace

class TestPhoneSimTonesUssd : public QObject
{
    Q_OBJECT
private slots:
    void tones_only_in_an_active_call();
    void tones_of_cdma_and_modem();
    void ussd_answers_data();
    void ussd_answers();
    void ussd_menu_answered_and_cancelled();
    void ussd_answer_inside_a_later_reply();
    void ussd_cancel_drops_an_answer_not_sent();
    void ussd_refused_forms_and_other_modes();
    void phonebook();
};

void TestPhoneSimTonesUssd::tones_only_in_an_active_call()
{
    Line line({"--alert-ms", "10000"});
    QVERIFY(line.open());
    SerialClient& client = line.client;
    QCOMPARE(client.exchange("AT+VTS=5"), error);  // no call
    QCOMPARE(client.exchange("ATD0501234567;"), ok);
    QCOMPARE(client.exchange("AT+VTS=5"), error);  // still dialling
    QVERIFY(line.phone.control("answer"));
    for (const char* tone : {"AT+VTS=5", "AT+VTS=#", "AT+VTS=*", "AT+VTS=\"A\"", "at+vts=d", "AT+VTS=0,100"})
        QVERIFY2(client.exchange(tone) == ok, tone);
    for (const char* wrong : {"AT+VTS=E", "AT+VTS=12", "AT+VTS=", "AT+VTS=\"", "AT+VTS=;"})
        QVERIFY2(client.exchange(wrong) == error, wrong);
    // A second call on the way: the first waits on hold, nothing is active.
    QCOMPARE(client.exchange("ATD0672222222;"), ok);
    QCOMPARE(client.exchange("AT+VTS=1"), error);
    QVERIFY(line.phone.control("hangup"));
    QCOMPARE(client.exchange("AT+VTS=1"), error);

    // Every tone is logged as received, the played ones also as events, in order.
    const QStringList log = line.phone.log_lines();
    QCOMPARE(line.phone.count_received("AT+VTS="), 14);
    QCOMPARE(line.phone.count_received("at+vts="), 1);
    QStringList played;
    for (const QString& entry : log)
        if (entry.contains(QLatin1String(" EV tone ")))
            played.append(entry.section(QLatin1Char(' '), 3));
    QCOMPARE(played, (QStringList{"5", "#", "*", "A", "D", "0"}));
    QVERIFY(line.phone.received_at("AT+VTS=#") >= line.phone.received_at("AT+VTS=5"));
}

void TestPhoneSimTonesUssd::tones_of_cdma_and_modem()
{
    Line cdma({"--mode", "cdma"});
    QVERIFY(cdma.open());
    QCOMPARE(cdma.client.exchange("AT+VTS=1"), error);
    QCOMPARE(cdma.client.exchange("AT+CDV0501234567;"), ok);
    QCOMPARE(cdma.client.exchange("AT+VTS=1"), ok);
    QCOMPARE(cdma.client.exchange("AT+CHUP"), ok);
    QCOMPARE(cdma.client.exchange("AT+VTS=1"), error);

    PhoneSim modem({"--echo", "off", "--mode", "modem"}, 2);
    SerialClient client;
    QVERIFY(modem.ready() && client.open(modem.link_path()));
    QCOMPARE(client.exchange("ATD0442345678;"), ok);
    QCOMPARE(client.exchange("AT+VTS=1"), error);  // a wired modem has no tones
}

void TestPhoneSimTonesUssd::ussd_answers_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<QByteArray>("answer");  // "" = none within a while

    const QByteArray balance_hex = "041204300448002004310430043B0430043D0441003A0020003100320035002C00340030002004330440"
                                   "043D002E000A0411043E043D04430441003A0020003500300020041C041100200434043E0020003300"
                                   "31002E00310032";
    QTest::newRow("default balance, UCS2 under 72")
        << QStringList{} << QByteArray("AT+CUSD=1,\"*100#\",15") << ok << "\r\n+CUSD: 0,\"" + balance_hex + "\",72\r\n";
    QTest::newRow("*111# alike") << QStringList{} << QByteArray("AT+CUSD=1,\"*111#\"") << ok
                                 << "\r\n+CUSD: 0,\"" + balance_hex + "\",72\r\n";
    QTest::newRow("unknown code not supported") << QStringList{} << QByteArray("AT+CUSD=1,\"*5#\",15") << ok
                                                << QByteArray("\r\n+CUSD: 4\r\n");
    QTest::newRow("GSM text, line break kept")
        << QStringList{"--ussd", "*100#=text:Balans 12.50 grn\\nTarif Smart"} << QByteArray("AT+CUSD=1,\"*100#\",15")
        << ok << QByteArray("\r\n+CUSD: 0,\"Balans 12.50 grn\nTarif Smart\",15\r\n");
    QTest::newRow("UCS2 under 72") << QStringList{"--ussd", "*101#=ucs2:Баланс: 12,50 грн"}
                                   << QByteArray("AT+CUSD=1,\"*101#\",15") << ok
                                   << QByteArray("\r\n+CUSD: 0,\"04110430043B0430043D0441003A002000310032002C00350030"
                                                 "002004330440043D\",72\r\n");
    QTest::newRow("UCS2 under 15") << QStringList{"--ussd", "*102#=ucs2-dcs15:Остаток 5 МБ"}
                                   << QByteArray("AT+CUSD=1,\"*102#\",15") << ok
                                   << QByteArray("\r\n+CUSD: 0,\"041E0441044204300442043E043A002000350020041C0411\",15\r\n");
    QTest::newRow("any code") << QStringList{"--ussd", "any=text:Nevernyi zapros"} << QByteArray("AT+CUSD=1,\"*9#\",15")
                              << ok << QByteArray("\r\n+CUSD: 0,\"Nevernyi zapros\",15\r\n");
    QTest::newRow("no answer") << QStringList{"--ussd", "*100#=silent"} << QByteArray("AT+CUSD=1,\"*100#\",15") << ok
                               << QByteArray();
    QTest::newRow("refused") << QStringList{"--ussd", "*100#=error"} << QByteArray("AT+CUSD=1,\"*100#\",15") << error
                             << QByteArray();
    QTest::newRow("presentation off") << QStringList{} << QByteArray("AT+CUSD=0,\"*100#\",15") << ok << QByteArray();
}

void TestPhoneSimTonesUssd::ussd_answers()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, result);
    QFETCH(QByteArray, answer);
    Line line(options);
    QVERIFY(line.open());
    QCOMPARE(line.client.exchange(request), result);  // the OK comes first, alone
    if (answer.isEmpty())
        QCOMPARE(line.client.read_for(300), QByteArray());
    else
        QCOMPARE(unsolicited(line.client), answer);
    QVERIFY(line.phone.wait_for_command(QString::fromLatin1(request), 1000));
}

void TestPhoneSimTonesUssd::ussd_menu_answered_and_cancelled()
{
    Line line({"--ussd", "*123#=menu:1 Balans\\n2 Tarif|Tarif Smart vkliuchen"});
    QVERIFY(line.open());
    SerialClient& client = line.client;
    QCOMPARE(client.exchange("AT+CUSD=1,\"*123#\",15"), ok);
    QCOMPARE(unsolicited(client), QByteArray("\r\n+CUSD: 1,\"1 Balans\n2 Tarif\",15\r\n"));
    QCOMPARE(client.exchange("AT+CUSD=1,\"2\",15"), ok);
    QCOMPARE(unsolicited(client), QByteArray("\r\n+CUSD: 0,\"Tarif Smart vkliuchen\",15\r\n"));
    QCOMPARE(client.exchange("AT+CUSD=1,\"2\",15"), ok);  // the menu is over: "2" is a code of its own
    QCOMPARE(unsolicited(client), QByteArray("\r\n+CUSD: 4\r\n"));

    // Cancelled: the next request is a new one, not the menu's answer.
    QCOMPARE(client.exchange("AT+CUSD=1,\"*123#\",15"), ok);
    QVERIFY(unsolicited(client).startsWith("\r\n+CUSD: 1,"));
    QCOMPARE(client.exchange("AT+CUSD=2"), ok);
    QVERIFY(line.phone.control("ussd *124#=text:OK 2"));
    QCOMPARE(client.exchange("AT+CUSD=1,\"*124#\",15"), ok);
    QCOMPARE(unsolicited(client), QByteArray("\r\n+CUSD: 0,\"OK 2\",15\r\n"));
    const QStringList events = line.phone.log_lines().filter(QStringLiteral(" EV ussd"));
    QVERIFY2(events.size() == 7, qPrintable(events.join('\n')));
    QVERIFY(events[1].endsWith(QLatin1String(" EV ussd menu answered 2")));
    QVERIFY(events[4].endsWith(QLatin1String(" EV ussd cancelled")));
    QVERIFY(events[6].endsWith(QLatin1String(" EV ussd *124# text")));
    QVERIFY(!line.phone.control("ussd *1#=loud"));
    QVERIFY(!line.phone.control("ussd *1#=menu:no follow-up"));
}

// With the phone slow to reply, the answer comes out while the next
// command (a call-list poll) waits for its result.
void TestPhoneSimTonesUssd::ussd_answer_inside_a_later_reply()
{
    Line line({"--echo", "on", "--reply-delay", "300", "--ussd-delay", "100", "--ussd", "*100#=text:Balans 5 grn"});
    QVERIFY(line.open());
    QVERIFY(line.phone.control("incoming 0501234567"));
    SerialClient& client = line.client;
    QCOMPARE(client.exchange("ATA"), QByteArray("ATA\r" + ok));
    QCOMPARE(client.exchange("AT+CUSD=1,\"*100#\",15"), QByteArray("AT+CUSD=1,\"*100#\",15\r" + ok));
    const QByteArray poll = client.exchange("AT+CLCC");
    const QByteArray answer = "\r\n+CUSD: 0,\"Balans 5 grn\",15\r\n";
    QVERIFY2(poll.contains(answer), poll.constData());
    QByteArray without = poll;
    without.replace(answer, "");
    QCOMPARE(without, QByteArray("AT+CLCC\r\r\n+CLCC: 1,1,0,0,0,\"0501234567\",129\r\n" + ok));
}

void TestPhoneSimTonesUssd::ussd_cancel_drops_an_answer_not_sent()
{
    Line line({"--ussd-delay", "400"});
    QVERIFY(line.open());
    QCOMPARE(line.client.exchange("AT+CUSD=1,\"*100#\",15"), ok);
    QCOMPARE(line.client.exchange("AT+CUSD=2"), ok);
    QCOMPARE(line.client.read_for(700), QByteArray());
    // A new delay takes effect at once.
    QVERIFY(line.phone.control("ussd-delay 0"));
    QVERIFY(!line.phone.control("ussd-delay soon"));
    line.client.write("AT+CUSD=1,\"*5#\",15\r\n");
    QCOMPARE(line.client.read_for(300), ok + "\r\n+CUSD: 4\r\n");
}

void TestPhoneSimTonesUssd::ussd_refused_forms_and_other_modes()
{
    Line line({});
    QVERIFY(line.open());
    for (const char* wrong : {"AT+CUSD=1,*100#,15", "AT+CUSD=3", "AT+CUSD=1,\"*100#", "AT+CUSD"})
        QVERIFY2(line.client.exchange(wrong) == error, wrong);
    QCOMPARE(line.client.exchange("AT+CUSD=?"), QByteArray("\r\n+CUSD: (0-2)\r\n" + ok));
    QCOMPARE(line.client.exchange("AT+CUSD?"), QByteArray("\r\n+CUSD: 1\r\n" + ok));
    QCOMPARE(line.client.exchange("AT+CUSD=0"), ok);
    QCOMPARE(line.client.exchange("AT+CUSD?"), QByteArray("\r\n+CUSD: 0\r\n" + ok));
    QCOMPARE(line.client.read_for(200), QByteArray());  // none of these has an answer
    QVERIFY(line.phone.log_lines().filter(QStringLiteral(" EV ussd refused =1,*100#,15")).size() == 1);

    PhoneSim cdma({"--echo", "off", "--mode", "cdma"}, 2);
    SerialClient client;
    QVERIFY(cdma.ready() && client.open(cdma.link_path()));
    QCOMPARE(client.exchange("AT+CUSD=1,\"*100#\",15"), error);
    QCOMPARE(client.read_for(200), QByteArray());
}


// The phonebook as phones present it: memories, places, names in UCS2 and
// in GSM text, and the quirks of phones that refuse ranges or hex-encode
// numbers.
void TestPhoneSimTonesUssd::phonebook()
{
    Line line({"--contact", "SM,+380671234567,Мама", "--contact", "SM,0442223344,Office",
               "--contact", "ME,0939998877,Сосед", "--phonebook-quirk", "hex-numbers"});
    QVERIFY(line.open());
    SerialClient& client = line.client;
    QCOMPARE(client.exchange("AT+CSCS?"), "\r\n+CSCS: \"GSM\"\r\n" + ok);
    QCOMPARE(client.exchange("AT+CPBS?"), "\r\n+CPBS: \"SM\",2,250\r\n" + ok);
    QCOMPARE(client.exchange("AT+CPBR=?"), "\r\n+CPBR: (1-250),40,18\r\n" + ok);
    QCOMPARE(client.exchange("AT+CPBR=1,10"),
             "\r\n+CPBR: 1,\"+380671234567\",145,\"????\"\r\n\r\n+CPBR: 2,\"0442223344\",129,\"Office\"\r\n" + ok);
    QCOMPARE(client.exchange("AT+CSCS=\"UCS2\""), ok);
    QCOMPARE(client.exchange("AT+CPBR=1"),
             "\r\n+CPBR: 1,\"002B003300380030003600370031003200330034003500360037\",145,\"041C0430043C0430\"\r\n" + ok);
    QCOMPARE(client.exchange("AT+CPBR=3"), "\r\n+CME ERROR: 22\r\n");
    QCOMPARE(client.exchange("AT+CPBR=251"), "\r\n+CME ERROR: 21\r\n");
    QCOMPARE(client.exchange("AT+CPBS=\"ME\""), ok);
    QCOMPARE(client.exchange("AT+CPBS=?"), "\r\n+CPBS: (\"SM\",\"ME\")\r\n" + ok);
    QCOMPARE(client.exchange("AT+CPBR=?"), "\r\n+CPBR: (1-500),40,18\r\n" + ok);
    QCOMPARE(client.exchange("AT+CPBS=\"XX\""), "\r\n+CME ERROR: 3\r\n");

    Line refusing({"--contact", "SM,0501112233,A", "--phonebook-quirk", "no-range"});
    QVERIFY(refusing.open());
    QCOMPARE(refusing.client.exchange("AT+CPBR=1,5"), "\r\n+CME ERROR: 4\r\n");
    QCOMPARE(refusing.client.exchange("AT+CPBR=1"), "\r\n+CPBR: 1,\"0501112233\",129,\"A\"\r\n" + ok);
}

QTEST_GUILESS_MAIN(TestPhoneSimTonesUssd)
#include "tst_phonesim_tones_ussd.moc"
