// The call list parsed from replies to "AT+CLCC" as phones give them: raw
// with their echo and line ends, or as the controller normalises them.
#include <QtTest>

#include "blackboard/call_list.h"

using blackboard::CallDirection;
using blackboard::CallEntry;
using blackboard::CallState;

namespace {

QString direction_name(CallDirection direction)
{
    switch (direction) {
    case CallDirection::Outgoing:
        return QStringLiteral("out");
    case CallDirection::Incoming:
        return QStringLiteral("in");
    case CallDirection::Unknown:
        break;
    }
    return QStringLiteral("?");
}

QString state_name(const CallEntry& entry)
{
    if (!entry.has_state)
        return QStringLiteral("none");
    static const char* const names[] = {"active", "held", "dialling", "alerting", "incoming", "waiting"};
    const int state = int(entry.state);
    return state >= 0 && state <= 5 ? QString::fromLatin1(names[state]) : QStringLiteral("unknown");
}

// One entry as "index/direction/state/mode/multi|single/"number"", the
// entries joined by " | ".
QString described(const QList<CallEntry>& entries)
{
    QStringList texts;
    for (const CallEntry& entry : entries)
        texts << QStringLiteral("%1/%2/%3/%4/%5/\"%6\"")
                     .arg(entry.index)
                     .arg(direction_name(entry.direction), state_name(entry))
                     .arg(entry.mode)
                     .arg(entry.multiparty ? QStringLiteral("multi") : QStringLiteral("single"),
                          entry.number);
    return texts.join(QStringLiteral(" | "));
}

}  // namespace

class TestCallList : public QObject
{
    Q_OBJECT

private slots:
    void parses_replies_data();
    void parses_replies();
    void keeps_the_listed_fields();
};

void TestCallList::parses_replies_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("entries");

    // Raw replies, as the serial port delivers them.
    QTest::newRow("no calls, echo on") << "AT+CLCC\r\r\nOK\r\n" << "";
    QTest::newRow("no calls, echo off") << "\r\nOK\r\n" << "";
    QTest::newRow("error") << "AT+CLCC\r\r\nERROR\r\n" << "";
    QTest::newRow("incoming, international number, echo on")
        << "AT+CLCC\r\r\n+CLCC: 1,1,4,0,0,\"+380501234567\",145\r\n\r\nOK\r\n"
        << "1/in/incoming/0/single/\"+380501234567\"";
    QTest::newRow("dialling, echo off")
        << "\r\n+CLCC: 1,0,2,0,0,\"0501234567\",129\r\n\r\nOK\r\n"
        << "1/out/dialling/0/single/\"0501234567\"";
    QTest::newRow("active and waiting, one line each")
        << "\r\n+CLCC: 1,0,0,0,0,\"0501234567\",129\r\n+CLCC: 2,1,5,0,0,\"0671234567\",129\r\n\r\nOK\r\n"
        << "1/out/active/0/single/\"0501234567\" | 2/in/waiting/0/single/\"0671234567\"";
    QTest::newRow("conference of two and a held call")
        << "+CLCC: 1,0,0,0,1,\"0501234567\",129\r\n+CLCC: 2,1,0,0,1,\"+380671234567\",145\r\n"
           "+CLCC: 3,0,1,0,0,\"0631234567\",129\r\n\r\nOK\r\n"
        << "1/out/active/0/multi/\"0501234567\" | 2/in/active/0/multi/\"+380671234567\" | "
           "3/out/held/0/single/\"0631234567\"";
    QTest::newRow("withheld caller, no number fields")
        << "+CLCC: 1,1,4,0,0\r\n\r\nOK\r\n" << "1/in/incoming/0/single/\"\"";
    QTest::newRow("withheld caller, empty number, type 128")
        << "+CLCC: 1,1,4,0,0,\"\",128\r\n\r\nOK\r\n" << "1/in/incoming/0/single/\"\"";
    QTest::newRow("phonebook name after the type")
        << "+CLCC: 1,0,3,0,0,\"0501234567\",129,\"Petrov, office\"\r\n\r\nOK\r\n"
        << "1/out/alerting/0/single/\"0501234567\"";
    QTest::newRow("data call, two-digit index")
        << "+CLCC: 12,1,0,1,0,\"0501234567\",129\r\n\r\nOK\r\n" << "12/in/active/1/single/\"0501234567\"";
    QTest::newRow("ring and caller line before the list")
        << "\r\nRING\r\n\r\n+CLIP: \"0501234567\",129\r\nAT+CLCC\r\r\n+CLCC: 1,1,4,0,0,\"0501234567\",129\r\n\r\nOK\r\n"
        << "1/in/incoming/0/single/\"0501234567\"";

    // Normalised replies, as the controller's engines read them.
    QTest::newRow("normalised, two calls")
        << "+CLCC: 1,0,0,0,0,\"0501234567\",129 +CLCC: 2,1,1,0,0,\"0671234567\",129 OK"
        << "1/out/active/0/single/\"0501234567\" | 2/in/held/0/single/\"0671234567\"";
    QTest::newRow("normalised, withheld caller last")
        << "+CLCC: 1,0,1,0,0,\"0501234567\",129 +CLCC: 2,1,4,0,0 OK"
        << "1/out/held/0/single/\"0501234567\" | 2/in/incoming/0/single/\"\"";
    QTest::newRow("fields with spaces read by their number")
        << "+CLCC: 1 , 1 , 4 , 0 , 0 OK" << "1/in/incoming/0/single/\"\"";

    // Garbage and entries cut short: whatever an entry has is kept.
    QTest::newRow("unknown state and direction")
        << "+CLCC: 1,2,7,0,0,\"0501234567\",129 OK" << "1/?/unknown/0/single/\"0501234567\"";
    QTest::newRow("state not a number reads as active")
        << "+CLCC: 1,1,x,0,0,\"0501234567\",129 OK" << "1/in/active/0/single/\"0501234567\"";
    QTest::newRow("cut after the direction") << "+CLCC: 1,1" << "1/in/none/0/single/\"\"";
    QTest::newRow("cut inside the number")
        << "+CLCC: 1,1,4,0,0,\"05012" << "1/in/incoming/0/single/\"05012\"";
    QTest::newRow("number without type keeps what follows")
        << "+CLCC: 1,1,4,0,0,\"0501234567\" OK" << "1/in/incoming/0/single/\"0501234567 OK\"";
    QTest::newRow("empty entry after a good one")
        << "+CLCC: 1,0,0,0,0,\"0501234567\",129 +CLCC: OK"
        << "1/out/active/0/single/\"0501234567\" | 0/?/none/0/single/\"\"";
    QTest::newRow("line noise") << "\x01\xff+CLC+CLCC:,,,,,,,\r\n+CLCC" << "0/out/active/0/single/\"\"";
}

void TestCallList::parses_replies()
{
    QFETCH(QString, reply);
    QTEST(described(blackboard::parse_call_list(reply)), "entries");
}

// Readers that show a field as the phone wrote it find it unchanged.
void TestCallList::keeps_the_listed_fields()
{
    const QList<CallEntry> entries =
        blackboard::parse_call_list(QStringLiteral("+CLCC: 1,1, 0 ,0,0,\"050\",129 OK"));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].fields,
             (QStringList{" 1", "1", " 0 ", "0", "0", "\"050\"", "129 OK"}));
    QCOMPARE(entries[0].raw_state, 0);
    QVERIFY(entries[0].is(CallState::Active));
    QVERIFY(!entries[0].is(CallState::Held));
}

QTEST_APPLESS_MAIN(TestCallList)
#include "test_call_list.moc"
