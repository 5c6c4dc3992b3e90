// USSD logic of the controller: requests, the network's answers cut out of
// real reply shapes, their decoding, and one request at a time on fixed times.
#include "controller/ussd.h"

#include <QtTest>

namespace {

const QString balance = QStringLiteral("Баланс: 12,50 грн");
const QString balance_hex = QStringLiteral("04110430043B0430043D0441003A002000310032002C00350030002004330440043D");
const QString call = QStringLiteral("\r\n+CLCC: 1,0,0,0,0,\"0501234567\",129\r\n");
const QString ok = QStringLiteral("\r\nOK\r\n");

QStringList answers_of(const ussd::CutReply& cut)
{
    QStringList list;
    for (const ussd::Answer& answer : cut.answers)
        list.append(answer.state + QLatin1Char('|') + answer.text);
    return list;
}

QString command_reply(const QString& command) { return command + QLatin1Char('\r') + ok; }

}  // namespace

class TestUssd : public QObject
{
    Q_OBJECT
private slots:
    void requests_data();
    void requests();
    void decoding_data();
    void decoding();
    void states();
    void cutting_data();
    void cutting();
    void answer_after_ok_and_inside_a_poll();
    void answer_in_its_own_reply_error_and_failure();
    void timeout_and_late_answer();
    void menu_answered_then_cancelled();
    void requests_wait_their_turn();
    void line_cut_short_carried_or_given_up();
};

void TestUssd::requests_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("balance") << "*100#" << true;
    QTest::newRow("tariff menu") << "*111*1#" << true;
    QTest::newRow("menu answer") << "2" << true;
    QTest::newRow("number") << "+380501234567" << true;
    QTest::newRow("64 characters") << QString(64, QLatin1Char('1')) << true;
    QTest::newRow("65 characters") << QString(65, QLatin1Char('1')) << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("quote") << "*100#\",15;+CHUP" << false;
    QTest::newRow("line end") << "*100#\r\nATD0501234567;" << false;
    QTest::newRow("space") << "*100# " << false;
    QTest::newRow("comma") << "*100#,72" << false;
    QTest::newRow("letters") << "*A#" << false;
    QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("*١#") << false;
    QTest::newRow("full-width star") << QString::fromUtf8("＊100#") << false;
}

void TestUssd::requests()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(ussd::valid_request(text), valid);
    ussd::Session session;
    QCOMPARE(session.request(text), valid);
    QCOMPARE(session.next_command(0), valid ? "AT+CUSD=1,\"" + text + "\",15" : QString());
    QCOMPARE(ussd::cancel_command(), QStringLiteral("AT+CUSD=2"));
}

void TestUssd::decoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("dcs");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("GSM text, 15") << "Balans 12.50 grn" << 15 << "Balans 12.50 grn";
    QTest::newRow("GSM text, 0") << "Balans 12.50 grn" << 0 << "Balans 12.50 grn";
    QTest::newRow("UCS2, 72") << balance_hex << 72 << balance;
    QTest::newRow("UCS2, 72, lower case") << balance_hex.toLower() << 72 << balance;
    QTest::newRow("UCS2 with class, 73") << balance_hex << 73 << balance;
    QTest::newRow("UCS2 under 15") << balance_hex << 15 << balance;
    QTest::newRow("UCS2, no dcs") << balance_hex << -1 << balance;
    QTest::newRow("UCS2 over two lines") << "0411043E043D04430441000A0031002004130411" << 15
                                         << QString::fromUtf8("Бонус\n1 ГБ");
    QTest::newRow("hryvnia sign and dash") << "0035002020B42014006F006B" << 72 << QString::fromUtf8("5 ₴—ok");
    QTest::newRow("one letter under 72") << "0041" << 72 << "A";
    QTest::newRow("surrogate pair") << "D83DDE00" << 72 << QString::fromUtf8("😀");
    QTest::newRow("already text under 72") << QString::fromUtf8("Баланс 5 грн") << 72 << QString::fromUtf8("Баланс 5 грн");
    QTest::newRow("lone surrogate under 72") << "D800D800" << 72 << "D800D800";
    QTest::newRow("private use under 72") << "E000E001" << 72 << "E000E001";
    QTest::newRow("control characters under 15") << "00000001" << 15 << "00000001";
    QTest::newRow("number under 15") << "380501234567" << 15 << "380501234567";
    QTest::newRow("four digits under 15") << "0123" << 15 << "0123";
    QTest::newRow("eight digits under 15") << "12345678" << 15 << "12345678";
    QTest::newRow("not groups of four") << "041104300" << 72 << "041104300";
    QTest::newRow("empty") << "" << 72 << "";
}

void TestUssd::decoding()
{
    QFETCH(QString, text);
    QFETCH(int, dcs);
    QFETCH(QString, decoded);
    QCOMPARE(ussd::decode(text, dcs), decoded);
}

void TestUssd::states()
{
    const QList<QPair<QString, QString>> table {
        {"0", "0"}, {"1", "1"}, {"2", "2"}, {"3", "2"}, {"4", "4"}, {"5", "5"}, {"6", "error"}, {"10", "error"}};
    for (const auto& [mode, state] : table)
        QCOMPARE(ussd::state_of_mode(mode), state);
}

void TestUssd::cutting_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("rest");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("incomplete");

    const QString echo = QStringLiteral("AT+CUSD=1,\"*100#\",15\r");
    const QString unsolicited = "\r\n+CUSD: 0,\"" + balance_hex + "\",72\r\n";
    QTest::newRow("after the OK") << echo + ok + unsolicited << echo + ok << QStringList{"0|" + balance} << "";
    QTest::newRow("before the OK") << unsolicited + ok << ok << QStringList{"0|" + balance} << "";
    QTest::newRow("ahead of a poll's echo")
        << unsolicited + "AT+CLCC\r" + call + ok << "AT+CLCC\r" + call + ok << QStringList{"0|" + balance} << "";
    QTest::newRow("amid a call list, menu over two lines")
        << "AT+CLCC\r" + call + "\r\n+CUSD: 1,\"1 Balans\r\n2 Tarif\",15\r\n" + call + ok
        << "AT+CLCC\r" + call + call + ok << QStringList{"1|1 Balans\r\n2 Tarif"} << "";
    QTest::newRow("several") << "\r\n+CUSD: 4\r\n" + ok + "\r\n+CUSD: 2\r\n"
                             << ok << QStringList{"4|", "2|"} << "";
    QTest::newRow("two back to back") << ok + "\r\n+CUSD: 0,\"a\",15\r\n\r\n+CUSD: 0,\"b\",15\r\n"
                                      << ok << QStringList{"0|a", "0|b"} << "";
    QTest::newRow("single line breaks") << "\r\n+CLCC: 9\r\n+CUSD: 0,\"a\",15\r\nOK\r\n"
                                        << "\r\n+CLCC: 9\r\nOK\r\n" << QStringList{"0|a"} << "";
    QTest::newRow("lone line feeds") << "\n+CLCC: 9\n\n+CUSD: 5\n\nOK\n" << "\n+CLCC: 9\n\nOK\n"
                                     << QStringList{"5|"} << "";
    QTest::newRow("spaces, no space after the colon") << "\r\n+CUSD:0 , \"a\" , 15 \r\n" << ""
                                                      << QStringList{"0|a"} << "";
    QTest::newRow("without quotes") << "\r\n+CUSD: 0,Balans 5,15\r\n" + ok << ok << QStringList{"0|Balans 5"} << "";
    QTest::newRow("a marker inside the text") << "\r\n+CUSD: 0,\"x\n+CUSD: 4\",15\r\n"
                                              << "" << QStringList{"0|x\n+CUSD: 4"} << "";
    QTest::newRow("UCS2 under 15 amid a call list")
        << "AT+CLCC\r" + call + "\r\n+CUSD: 0,\"" + balance_hex + "\",15\r\n" + ok << "AT+CLCC\r" + call + ok
        << QStringList{"0|" + balance} << "";
    QTest::newRow("echo of a request is no answer") << echo + ok << echo + ok << QStringList{} << "";
    QTest::newRow("answer to a query is no answer") << "\r\n+CUSD: (0-2)\r\n" + ok << "\r\n+CUSD: (0-2)\r\n" + ok
                                                    << QStringList{} << "";
    QTest::newRow("not at a line start") << "\r\n+CLCC: 1,0,0,0,0,\"x+CUSD: 0\",129\r\n" + ok
                                         << "\r\n+CLCC: 1,0,0,0,0,\"x+CUSD: 0\",129\r\n" + ok << QStringList{} << "";
    QTest::newRow("text still coming") << ok + "\r\n+CUSD: 0,\"04110430" << ok << QStringList{}
                                       << "\r\n+CUSD: 0,\"04110430";
    QTest::newRow("line end still coming") << ok + "\r\n+CUSD: 4" << ok << QStringList{} << "\r\n+CUSD: 4";
}

void TestUssd::cutting()
{
    QFETCH(QString, reply);
    QFETCH(QString, rest);
    QFETCH(QStringList, answers);
    QFETCH(QString, incomplete);
    const ussd::CutReply cut = ussd::cut_answers(reply);
    QCOMPARE(cut.rest, rest);
    QCOMPARE(answers_of(cut), answers);
    QCOMPARE(cut.incomplete, incomplete);
}

void TestUssd::answer_after_ok_and_inside_a_poll()
{
    ussd::Session session;
    QVERIFY(session.request("*100#"));
    const QString command = session.next_command(1000);
    QCOMPARE(command, QStringLiteral("AT+CUSD=1,\"*100#\",15"));
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}}));  // no answer yet
    QCOMPARE(session.take_reply(command_reply(command), 1300, true), command_reply(command));
    QVERIFY(session.awaiting());

    const QString poll = "AT+CLCC\r" + call + ok;
    QCOMPARE(session.take_reply(poll, 1600), poll);  // the call list goes on meanwhile
    QVERIFY(session.take_outcomes().isEmpty());
    const QString with_answer = "AT+CLCC\r" + call + "\r\n+CUSD: 0,\"" + balance_hex + "\",72\r\n" + ok;
    QCOMPARE(session.take_reply(with_answer, 1900), poll);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{balance, "0"}}));
    QVERIFY(!session.awaiting());

    // An answer nobody asked for (the network's own message) is published too.
    QCOMPARE(session.take_reply("\r\n+CUSD: 2,\"Bye\",15\r\n" + poll, 2200), poll);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"Bye", "2"}}));
}

void TestUssd::answer_in_its_own_reply_error_and_failure()
{
    ussd::Session session;
    const QList<QPair<QString, ussd::Outcome>> table {
        {"\r\n+CUSD: 4\r\n" + ok, {"", "4"}},
        {ok + "\r\n+CUSD: 0,\"Balans 5\",15\r\n", {"Balans 5", "0"}},
        {"\r\nERROR\r\n", {"", "error"}},
        {"\r\n+CME ERROR: 258\r\n", {"", "error"}},
    };
    qint64 now = 0;
    for (const auto& [reply, outcome] : table) {
        QVERIFY(session.request("*100#"));
        QVERIFY(!session.next_command(now += 300).isEmpty());
        session.take_reply(reply, now += 300, true);
        QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}, outcome}));
        QVERIFY2(!session.awaiting(), qPrintable(reply));
    }
    QVERIFY(session.request("*100#"));
    QVERIFY(!session.next_command(now += 300).isEmpty());
    session.command_failed();
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}, {"", "error"}}));
    QVERIFY(!session.awaiting());
}

void TestUssd::timeout_and_late_answer()
{
    ussd::Session session;
    QVERIFY(session.request("*100#"));
    session.take_reply(command_reply(session.next_command(1000)), 1300, true);
    session.take_outcomes();
    session.check_timeout(20999);
    QVERIFY(session.awaiting());
    QVERIFY(session.take_outcomes().isEmpty());
    session.check_timeout(21000);  // 20 s after it was written
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", "timeout"}}));
    QVERIFY(!session.awaiting());
    // A poll's reply notices the timeout too; an answer after it still shows.
    QVERIFY(session.request("*111#"));
    session.take_reply(command_reply(session.next_command(30000)), 30300, true);
    session.take_outcomes();
    session.take_reply(ok, 50000);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", "timeout"}}));
    session.take_reply("\r\n+CUSD: 0,\"Pozdno\",15\r\n" + ok, 51000);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"Pozdno", "0"}}));
}

void TestUssd::menu_answered_then_cancelled()
{
    ussd::Session session;
    const QString menu = QStringLiteral("1 Баланс\n2 Тариф");
    QVERIFY(session.request("*111#"));
    session.take_reply(command_reply(session.next_command(0)), 300, true);
    session.take_reply("\r\n+CUSD: 1,\"" + menu + "\",15\r\n", 600);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}, {menu, "1"}}));
    QVERIFY(!session.awaiting());  // the user's turn

    QVERIFY(session.request("2"));
    const QString answer = session.next_command(900);
    QCOMPARE(answer, QStringLiteral("AT+CUSD=1,\"2\",15"));
    session.take_reply(command_reply(answer) + "\r\n+CUSD: 1,\"" + menu + "\",15\r\n", 1200, true);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}, {menu, "1"}}));

    session.cancel();
    QCOMPARE(session.next_command(1500), QStringLiteral("AT+CUSD=2"));
    QVERIFY(session.take_outcomes().isEmpty());  // a cancel clears nothing
    session.take_reply(command_reply("AT+CUSD=2"), 1800, true);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{menu, "2"}}));
    QVERIFY(!session.awaiting());
}

void TestUssd::requests_wait_their_turn()
{
    ussd::Session session;
    QVERIFY(session.request("*100#"));
    QVERIFY(session.request("*111#"));
    session.cancel();
    QVERIFY(!session.request("*100#\r"));  // refused, never queued
    QVERIFY(session.request("*101#"));

    QStringList written;
    qint64 now = 0;
    for (int tick = 0; tick < 12; ++tick) {
        now += 300;
        const QString command = session.next_command(now);
        if (!command.isEmpty()) {
            written.append(command);
            QCOMPARE(session.next_command(now), QString());  // one at a time
            session.take_reply(command_reply(command), now += 300, true);
        } else if (session.awaiting()) {
            session.take_reply("\r\n+CUSD: 0,\"t\",15\r\n", now);
        }
    }
    QCOMPARE(written, (QStringList{"AT+CUSD=1,\"*100#\",15", "AT+CUSD=1,\"*111#\",15", "AT+CUSD=2",
                                   "AT+CUSD=1,\"*101#\",15"}));
    QVERIFY(!session.has_queued());
}

void TestUssd::line_cut_short_carried_or_given_up()
{
    ussd::Session session;
    QVERIFY(session.request("*100#"));
    const QString command = session.next_command(0);
    const QString poll = "AT+CLCC\r" + call + ok;
    // The answer's line is split between two reads.
    QCOMPARE(session.take_reply(command_reply(command) + "\r\n+CUSD: 0,\"04110430", 300, true),
             command_reply(command));
    QVERIFY(session.awaiting());
    QCOMPARE(session.take_reply("043B0430043D0441\",72\r\n" + poll, 600), poll);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}, {QStringLiteral("Баланс"), "0"}}));

    // A quote that never closes swallows at most one further reply.
    QVERIFY(session.request("*100#"));
    session.take_reply(command_reply(session.next_command(900)) + "\r\n+CUSD: 0,\"abc", 1200, true);
    QCOMPARE(session.take_reply(poll, 1500), poll);
    QCOMPARE(session.take_outcomes(), (QList<ussd::Outcome>{{"", ""}, {"", "error"}}));
    QVERIFY(!session.awaiting());
    QCOMPARE(session.take_reply(poll, 1800), poll);
}

QTEST_GUILESS_MAIN(TestUssd)
#include "test_ussd.moc"
