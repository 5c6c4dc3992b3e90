#include <QtTest>

#include "controller/phonebook_read.h"

// A phone as a script of replies: each command the read sends must be the
// next one expected, and gets its reply.
struct Exchange {
    QString command;
    QString result;
    QStringList lines;
};
Q_DECLARE_METATYPE(Exchange)

namespace {

// Runs the read against the script; the entries as "MEM index number name".
QStringList run(PhonebookRead& read, const QList<Exchange>& script)
{
    for (const Exchange& step : script) {
        if (read.command() != step.command) {
            qWarning() << "sent" << read.command() << "expected" << step.command;
            return {};
        }
        read.take({step.result, step.lines});
    }
    if (!read.done()) {
        qWarning() << "not done, next" << read.command();
        return {};
    }
    QStringList out;
    for (const contacts::Contact& entry : read.entries())
        out << QStringLiteral("%1 %2 %3 %4").arg(entry.memory).arg(entry.index).arg(entry.numbers.value(0).number, entry.name);
    return out;
}

}  // namespace

class TestPhonebookRead : public QObject {
    Q_OBJECT

private slots:
    void reads_phones_data()
    {
        QTest::addColumn<QList<Exchange>>("script");
        QTest::addColumn<QStringList>("entries");
        // A Siemens-like phone: ranges, UCS2 names, GSM restored after
        // each range; ME empty, so not read.
        QTest::newRow("ranges under UCS2, own set restored")
            << QList<Exchange>{
                   {"AT+CSCS?", "OK", {"+CSCS: \"GSM\""}},
                   {"AT+CPBS=\"SM\"", "OK", {}},
                   {"AT+CPBS?", "OK", {"+CPBS: \"SM\",3,3"}},
                   {"AT+CPBR=?", "OK", {"+CPBR: (1-3),20,14"}},
                   {"AT+CSCS=\"UCS2\"", "OK", {}},
                   {"AT+CPBR=1,2", "OK", {"+CPBR: 1,\"+380671234567\",145,\"041C0430043C0430\"",
                                           "+CPBR: 2,\"0442223344\",129,\"004F00660066006900630065\""}},
                   {"AT+CSCS=\"GSM\"", "OK", {}},
                   {"AT+CSCS=\"UCS2\"", "OK", {}},
                   {"AT+CPBR=3,3", "OK", {"+CPBR: 3,\"*111#\",129,\"04110430043B0430043D0441\""}},
                   {"AT+CSCS=\"GSM\"", "OK", {}},
                   {"AT+CPBS=\"ME\"", "OK", {}},
                   {"AT+CPBS?", "OK", {"+CPBS: \"ME\",0,100"}}}
            << QStringList{"SM 1 +380671234567 Мама", "SM 2 0442223344 Office", "SM 3 *111# Баланс"};
        // A phone that refuses ranges and hex-encodes its numbers under
        // UCS2; its SIM cannot be selected at all.
        QTest::newRow("one place at a time, hex numbers")
            << QList<Exchange>{
                   {"AT+CSCS?", "OK", {"+CSCS: \"IRA\""}},
                   {"AT+CPBS=\"SM\"", "+CME ERROR: 3", {}},
                   {"AT+CPBS=\"ME\"", "OK", {}},
                   {"AT+CPBS?", "ERROR", {}},
                   {"AT+CPBR=?", "OK", {"+CPBR: (1-3),40,18"}},
                   {"AT+CSCS=\"UCS2\"", "OK", {}},
                   {"AT+CPBR=1,2", "+CME ERROR: 4", {}},
                   {"AT+CPBR=1", "OK", {"+CPBR: 1,\"0030003600370031003200330034003500360037\",129,\"041004320442043E043C04300441044204350440002C0020040604320430043D\""}},
                   {"AT+CPBR=2", "+CME ERROR: 22", {}},
                   {"AT+CSCS=\"IRA\"", "OK", {}},
                   {"AT+CSCS=\"UCS2\"", "OK", {}},
                   {"AT+CPBR=3", "OK", {"+CPBR: 3,\"002B003300380030003500300031003100310032003200330033\",145,\"0053004F0053\""}},
                   {"AT+CSCS=\"IRA\"", "OK", {}}}
            << QStringList{"ME 1 0671234567 Автомастер, Іван", "ME 3 +380501112233 SOS"};
        // A phone without UCS2 keeps its set; names as they come.
        QTest::newRow("no UCS2")
            << QList<Exchange>{
                   {"AT+CSCS?", "OK", {"+CSCS: \"GSM\""}},
                   {"AT+CPBS=\"SM\"", "OK", {}},
                   {"AT+CPBS?", "OK", {"+CPBS: \"SM\",1,2"}},
                   {"AT+CPBR=?", "OK", {"+CPBR: (1-2),20,14"}},
                   {"AT+CSCS=\"UCS2\"", "ERROR", {}},
                   {"AT+CPBR=1,2", "OK", {"+CPBR: 1,\"112\",129,\"SOS, help\""}},
                   {"AT+CPBS=\"ME\"", "ERROR", {}}}
            << QStringList{"SM 1 112 SOS, help"};
    }
    void reads_phones()
    {
        QFETCH(QList<Exchange>, script);
        QFETCH(QStringList, entries);
        PhonebookRead read({QStringLiteral("SM"), QStringLiteral("ME")}, 2);
        QCOMPARE(run(read, script), entries);
    }
};

QTEST_GUILESS_MAIN(TestPhonebookRead)
#include "test_phonebook_read.moc"
