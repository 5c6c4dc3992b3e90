// The AT channel against replies recorded from phones, each cut at every
// point into two reads and into one-character reads: the outcome never
// depends on where the pieces fall.
#include <QtTest>

#include "controller/at_channel.h"
#include "tests/support/mock_clock.h"
#include "tests/support/scripted_serial.h"

using kestrum::AtChannel;
using Final = AtChannel::Final;
Q_DECLARE_METATYPE(AtChannel::Final)

namespace {
const QString kCtrlZ = QString(QChar(0x1A));
const QString kEsc = QString(QChar(0x1B));

struct Outcome {
    Final final = Final::None;
    QStringList lines;
    QStringList heard;  // unsolicited lines, as their subscribers got them
    QString left;       // what a reader found after the exchange
    QStringList written;
};

Outcome run(const QString& command, const QString& body, const QStringList& pieces, const QString& answer)
{
    MockClock clock;
    clock.processes_events = false;
    ScriptedSerial serial;
    for (const QString& piece : pieces)
        serial.pieces.append({piece, command});
    if (!answer.isEmpty())
        serial.pieces.append({answer, kCtrlZ});
    AtChannel channel(serial);
    Outcome outcome;
    const auto hear = [&outcome](const QString& unit) { outcome.heard.append(unit); };
    for (const char* prefix : {"RING", "+CLIP", "NO CARRIER"})
        channel.subscribe(QLatin1String(prefix), hear, AtChannel::Seen::Keep);
    for (const char* prefix : {"+CUSD:", "+CMTI:", "+CDSI:", "^"})
        channel.subscribe(QLatin1String(prefix), hear);
    channel.subscribe(QStringLiteral("+CDS:"), hear, AtChannel::Seen::Cut, 1);
    const AtChannel::Reply reply = body.isNull() ? channel.exchange(command, 1000)
                                                 : channel.exchange(command, body, 1000);
    outcome.final = reply.final;
    outcome.lines = reply.lines;
    while (!serial.pieces.isEmpty() || channel.waiting() != 0)
        outcome.left += channel.take();
    outcome.written = serial.written;
    return outcome;
}

QStringList cut(const QString& text, qsizetype at)
{
    QStringList pieces{text.left(at), text.mid(at)};
    pieces.removeAll(QString());
    return pieces;
}
}  // namespace

class TestAtChannel : public QObject {
    Q_OBJECT

private slots:
    void replies_whatever_the_pieces_data();
    void replies_whatever_the_pieces();
};

void TestAtChannel::replies_whatever_the_pieces_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("body");      // null: no second part
    QTest::addColumn<QString>("reply");     // what the phone says after the command
    QTest::addColumn<QString>("answer");    // after the second part's Ctrl-Z
    QTest::addColumn<Final>("final");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("heard");
    QTest::addColumn<QString>("left");      // "*": anything without the cut lines

    const QString clcc = "+CLCC: 1,1,4,0,0,\"0501234567\",129";
    QTest::newRow("echo, call list, OK")
        << "AT+CLCC" << QString() << "AT+CLCC\r\r\n" + clcc + "\r\n\r\nOK\r\n" << "" << Final::Ok
        << QStringList{clcc} << QStringList{} << "";
    QTest::newRow("no echo, RING and +CLIP inside the reply")
        << "AT+CLCC" << QString() << "\r\n" + clcc + "\r\n\r\nRING\r\n\r\n+CLIP: \"0501234567\",129\r\n\r\nOK\r\n" << ""
        << Final::Ok << QStringList{clcc} << QStringList{"RING", "+CLIP: \"0501234567\",129"} << "";
    QTest::newRow("message notice before the echo")
        << "AT" << QString() << "\r\n+CMTI: \"SM\",3\r\nAT\r\r\nOK\r\n" << "" << Final::Ok << QStringList{}
        << QStringList{"+CMTI: \"SM\",3"} << "";
    QTest::newRow("USSD answer over two lines after OK")
        << "AT+CUSD=1,\"*100#\",15" << QString()
        << "AT+CUSD=1,\"*100#\",15\r\r\nOK\r\n\r\n+CUSD: 0,\"Balans 12\r\nBonus 5\",15\r\n" << "" << Final::Ok
        << QStringList{} << QStringList{"+CUSD: 0,\"Balans 12\r\nBonus 5\",15"} << "*";
    QTest::newRow("status report with its PDU line, then vendor line")
        << "AT" << QString() << "\r\nOK\r\n\r\n+CDS: 25\r\n07919730071111F106\r\n\r\n^RSSI:17\r\n" << ""
        << Final::Ok << QStringList{} << QStringList{"+CDS: 25\r\n07919730071111F106", "^RSSI:17"} << "*";
    QTest::newRow("CME error") << "AT+CPBR=1" << QString() << "\r\n+CME ERROR: 21\r\n" << "" << Final::CmeError
                               << QStringList{} << QStringList{} << "";
    QTest::newRow("dial ends in NO CARRIER") << "ATD0501234567;" << QString() << "\r\nNO CARRIER\r\n" << ""
                                             << Final::NoCarrier << QStringList{} << QStringList{"NO CARRIER"} << "";
    QTest::newRow("NO CARRIER amid a call list is no final result")
        << "AT+CLCC" << QString() << "\r\nNO CARRIER\r\n\r\nOK\r\n" << "" << Final::Ok << QStringList{}
        << QStringList{"NO CARRIER"} << "";
    QStringList six;
    for (int n = 1; n <= 6; ++n)
        six << QStringLiteral("+CLCC: %1,0,1,0,1,\"05012345%2\",129").arg(n).arg(n, 2, 10, QLatin1Char('0'));
    QTest::newRow("final result after a long reply")
        << "AT+CLCC" << QString() << "AT+CLCC\r\r\n" + six.join("\r\n") + "\r\n\r\nOK\r\n" << "" << Final::Ok << six
        << QStringList{} << "";
    QTest::newRow("silent phone") << "AT" << QString() << "" << "" << Final::None << QStringList{} << QStringList{}
                                  << "";
    QTest::newRow("prompt, text, Ctrl-Z")
        << "AT+CMGS=23" << "0011000B918305214365F70000AA0AE8329BFD4697D9EC37" << "AT+CMGS=23\r\r\n> "
        << "\r\n+CMGS: 7\r\n\r\nOK\r\n" << Final::Ok << QStringList{"+CMGS: 7"} << QStringList{} << "";
    QTest::newRow("prompt refused") << "AT+CMGS=23" << "00" << "\r\n+CMS ERROR: 302\r\n" << "" << Final::CmsError
                                    << QStringList{} << QStringList{} << "";
    QTest::newRow("no prompt: Esc") << "AT+CMGS=23" << "00" << "" << "" << Final::None << QStringList{}
                                    << QStringList{} << "";
}

void TestAtChannel::replies_whatever_the_pieces()
{
    QFETCH(QString, command);
    QFETCH(QString, body);
    QFETCH(QString, reply);
    QFETCH(QString, answer);
    QFETCH(QString, left);
    QFETCH(Final, final);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, heard);
    QList<QStringList> cuts{reply.isEmpty() ? QStringList{} : QStringList{reply}};
    for (qsizetype at = 1; at < reply.size(); ++at)
        cuts.append(cut(reply, at));
    cuts.append(reply.split(QString(), Qt::SkipEmptyParts));
    for (const QStringList& pieces : cuts) {
        const Outcome outcome = run(command, body, pieces, answer);
        const QByteArray where = "pieces: " + pieces.join('|').toLatin1().toPercentEncoding(" |");
        QVERIFY2(outcome.final == final, where);
        QVERIFY2(outcome.lines == lines, where + " lines: " + outcome.lines.join('|').toUtf8());
        QVERIFY2(outcome.heard == heard, where + " heard: " + outcome.heard.join('|').toUtf8());
        if (left == QLatin1String("*"))
            QVERIFY2(!outcome.left.contains('+') && !outcome.left.contains('^'), where + " left: " + outcome.left.toUtf8());
        else
            QVERIFY2(outcome.left.trimmed() == left, where + " left: " + outcome.left.toUtf8());
        QCOMPARE(outcome.written.value(0), body.isNull() ? command + "\r\n" : command + "\r");
        if (!body.isNull() && !answer.isEmpty())
            QCOMPARE(outcome.written.value(1), body + kCtrlZ);
        if (!body.isNull() && reply.isEmpty())
            QCOMPARE(outcome.written.value(1), kEsc);
    }
}

QTEST_GUILESS_MAIN(TestAtChannel)
#include "test_at_channel.moc"
