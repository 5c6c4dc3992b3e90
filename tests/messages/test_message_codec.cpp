// The message codec against one table of real and malformed PDUs, and
// against python-gammu as an independent decoder of the same PDUs and of
// what this codec encodes.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "messages/parts.h"
#include "messages/pdu.h"
#include "messages/text_mode.h"

using namespace messages;

namespace {

struct Row {
    QString name;
    QByteArray hex;
    QStringList expected;  // kind, number, text, encoding, concat, sent, reference, status
    QString error;         // words of the error, for a malformed PDU
};

QList<Row> table()
{
    QFile file(QStringLiteral(VEKORRA_SOURCE_DIR "/tests/messages/pdu_table.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the PDU table cannot be read");
    QList<Row> rows;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList fields = QString::fromUtf8(line).split(u'\t');
        Row row{fields[0], fields[1].toLatin1(), fields.mid(2), {}};
        if (fields[2] == QLatin1String("error"))
            row.error = fields[3];
        rows.append(row);
    }
    return rows;
}

QString kind_name(Kind kind)
{
    return kind == Kind::Deliver ? QStringLiteral("deliver")
           : kind == Kind::Submit ? QStringLiteral("submit") : QStringLiteral("report");
}

QString encoding_name(Encoding encoding)
{
    return encoding == Encoding::Gsm7 ? QStringLiteral("gsm7")
           : encoding == Encoding::Ucs2 ? QStringLiteral("ucs2") : QStringLiteral("data8");
}

QString or_dash(const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; }
QString number_or_dash(int value) { return value < 0 ? QStringLiteral("-") : QString::number(value); }

QStringList described(const Pdu& pdu)
{
    const QString concat = pdu.concat.count > 1 ? QStringLiteral("%1/%2/%3").arg(pdu.concat.reference)
                                                      .arg(pdu.concat.count).arg(pdu.concat.sequence)
                                                : QStringLiteral("-");
    const QString sent = pdu.sent.isValid() ? pdu.sent.toString(Qt::ISODate) : QString();
    return {kind_name(pdu.kind), pdu.number, or_dash(pdu.text), encoding_name(pdu.encoding), concat,
            or_dash(sent), number_or_dash(pdu.reference), number_or_dash(pdu.status)};
}

// python-gammu's reading of each PDU, one object per PDU.
QList<QJsonObject> gammu_decode(const QList<QByteArray>& pdus)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VEKORRA_SOURCE_DIR "/tests/messages/gammu_decode.py")});
    python.write(pdus.join('\n') + '\n');
    python.closeWriteChannel();
    if (!python.waitForFinished(20000) || python.exitCode() != 0)
        qFatal("python-gammu did not decode: %s", python.readAllStandardError().constData());
    QList<QJsonObject> decoded;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            decoded.append(QJsonDocument::fromJson(line).object());
    return decoded;
}

}  // namespace

class TestMessageCodec : public QObject {
    Q_OBJECT
private slots:
    void table_of_pdus();
    void gammu_reads_the_table_alike();
    void encoded_parts_read_back_by_both_codecs();
    void text_mode_fields();
};

void TestMessageCodec::table_of_pdus()
{
    for (const Row& row : table()) {
        const Decoded decoded = decode_pdu(row.hex);
        if (!row.error.isEmpty()) {
            QVERIFY2(!decoded.ok, qPrintable(row.name));
            QVERIFY2(decoded.error.contains(row.error), qPrintable(row.name + QStringLiteral(": ") + decoded.error));
            continue;
        }
        QVERIFY2(decoded.ok, qPrintable(row.name + QStringLiteral(": ") + decoded.error));
        QCOMPARE(described(decoded.pdu), row.expected);
        // Every cut of a good PDU is refused with a reason, without reading past its end.
        const QByteArray octets = QByteArray::fromHex(row.hex);
        for (qsizetype cut = 0; cut + 1 < octets.size(); ++cut) {
            const Decoded shorter = decode_octets(octets.left(cut), true);
            QVERIFY2(!shorter.ok && !shorter.error.isEmpty(), qPrintable(row.name));
        }
    }
}

void TestMessageCodec::gammu_reads_the_table_alike()
{
    QList<Row> good;
    for (const Row& row : table())
        if (row.error.isEmpty() && row.expected[0] == QLatin1String("deliver"))
            good.append(row);
    QList<QByteArray> pdus;
    for (const Row& row : good)
        pdus.append(row.hex);
    const QList<QJsonObject> theirs = gammu_decode(pdus);
    QCOMPARE(theirs.size(), good.size());
    for (qsizetype i = 0; i < good.size(); ++i) {
        const QStringList& ours = good[i].expected;
        QCOMPARE(theirs[i][u"number"].toString(), ours[1]);
        // gammu 1.42 appends stray characters after extension-table
        // characters, so its text is compared as far as ours goes.
        QVERIFY2(theirs[i][u"text"].toString().startsWith(ours[2]), qPrintable(good[i].name));
        if (ours[4] != QLatin1String("-"))
            QCOMPARE(QStringLiteral("%1/%2/%3").arg(theirs[i][u"reference"].toInt())
                         .arg(theirs[i][u"count"].toInt()).arg(theirs[i][u"sequence"].toInt()), ours[4]);
    }
}

void TestMessageCodec::encoded_parts_read_back_by_both_codecs()
{
    // text, parts, units left in the last part
    const struct {
        QString text;
        int parts, left;
        Encoding encoding;
    } cases[] = {
        {QStringLiteral("Hello"), 1, 155, Encoding::Gsm7},
        {QString(160, u'a'), 1, 0, Encoding::Gsm7},
        {QString(152, u'a') + u'€' + QString(10, u'b'), 2, 141, Encoding::Gsm7},  // € never straddles
        {QString(70, u'ж'), 1, 0, Encoding::Ucs2},
        {QString(66, u'ж') + QStringLiteral("\U0001F600") + QString(3, u'ж'), 2, 62, Encoding::Ucs2},  // pair kept whole
        {QString(200, u'x') + u'ї', 3, 67 * 3 - 201, Encoding::Ucs2},
        {QString(), 1, 160, Encoding::Gsm7},
    };
    QList<QByteArray> encoded;
    QStringList texts;
    for (const auto& c : cases) {
        const PartCount count = count_parts(c.text);
        QCOMPARE(count.parts, c.parts);
        QCOMPARE(count.left, c.left);
        QCOMPARE(count.encoding, c.encoding);
        const QList<SubmitPdu> pdus = encode_submit(QStringLiteral("+380671234567"), c.text, 77, true);
        QCOMPARE(pdus.size(), c.parts);
        QString joined;
        for (const SubmitPdu& part : pdus) {
            QCOMPARE(part.hex.size() / 2 - 1, part.tpdu_length);
            const Decoded back = decode_pdu(part.hex);
            QVERIFY2(back.ok, qPrintable(back.error));
            QVERIFY(back.pdu.report_requested);
            QCOMPARE(back.pdu.number, QStringLiteral("+380671234567"));
            joined += back.pdu.text;
            encoded.append(part.hex);
            texts.append(back.pdu.text);
        }
        QCOMPARE(joined, c.text);
    }
    const QList<QJsonObject> theirs = gammu_decode(encoded);
    QCOMPARE(theirs.size(), texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QCOMPARE(theirs[i][u"type"].toString(), QStringLiteral("Submit"));
        QVERIFY2(theirs[i][u"text"].toString().startsWith(texts[i]), qPrintable(texts[i]));
    }
}

void TestMessageCodec::text_mode_fields()
{
    TextModeMessage listed;
    QVERIFY(parse_text_message(u"3,\"REC UNREAD\",\"002B003300380030003600370031\",,\"24/12/10,08:15:00+08\"",
                               true, true, listed));
    QCOMPARE(listed.index, 3);
    QCOMPARE(listed.state, QStringLiteral("REC UNREAD"));
    QCOMPARE(listed.number, QStringLiteral("+380671"));
    QCOMPARE(listed.sent.toString(Qt::ISODate), QStringLiteral("2024-12-10T08:15:00+02:00"));
    QCOMPARE(ucs2_from_hex(QString::fromLatin1(ucs2_to_hex(QStringLiteral("Код \U0001F600")))),
             QStringLiteral("Код \U0001F600"));
    bool ok = true;
    QVERIFY(ucs2_from_hex(u"04G0", &ok).isEmpty() && !ok);
    TextModeReport report;
    QVERIFY(parse_text_report(u"6,42,\"+380931234567\",145,\"24/12/10,08:15:00+00\",\"24/12/10,08:25:00+00\",0",
                              false, report));
    QCOMPARE(report.reference, 42);
    QCOMPARE(report.status, 0);
    QVERIFY(!parse_text_message(u"x,\"REC READ\"", true, false, listed));
}

QTEST_GUILESS_MAIN(TestMessageCodec)
#include "test_message_codec.moc"
