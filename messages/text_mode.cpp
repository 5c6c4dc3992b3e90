#include "messages/text_mode.h"


namespace messages {

QString ucs2_from_hex(QStringView hex, bool* ok)
{
    const auto fail = [ok]() {
        if (ok)
            *ok = false;
        return QString();
    };
    if (hex.isEmpty() || hex.size() % 4)
        return fail();
    QString text;
    text.reserve(hex.size() / 4);
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        bool digits = false;
        const uint unit = hex.mid(i, 4).toUInt(&digits, 16);
        if (!digits)
            return fail();
        text.append(QChar(char16_t(unit)));
    }
    if (ok)
        *ok = true;
    return text;
}

QByteArray ucs2_to_hex(const QString& text)
{
    QByteArray hex;
    hex.reserve(text.size() * 4);
    for (const QChar c : text)
        hex.append(QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper());
    return hex;
}

QString text_mode_field(const QString& field, bool ucs2)
{
    if (!ucs2)
        return field;
    bool ok = false;
    const QString decoded = ucs2_from_hex(field, &ok);
    return ok ? decoded : field;
}

QStringList reply_fields(QStringView line)
{
    QStringList fields;
    QString current;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u',' && !quoted) {
            fields.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    fields.append(current.trimmed());
    return fields;
}

QDateTime text_mode_time(const QString& field)
{
    // yy/MM/dd,hh:mm:ss±zz
    if (field.size() < 17)
        return {};
    const QDate date = QDate::fromString(field.left(8), QStringLiteral("yy/MM/dd")).addYears(100);
    const QTime time = QTime::fromString(field.mid(9, 8), QStringLiteral("hh:mm:ss"));
    int quarters = 0;
    if (field.size() > 17) {
        bool ok = false;
        quarters = field.mid(17).toInt(&ok);
        if (!ok || qAbs(quarters) > 14 * 4)
            return {};
    }
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::OffsetFromUTC, quarters * 15 * 60);
}

bool parse_text_message(QStringView header, bool with_index, bool ucs2, TextModeMessage& message)
{
    // The time stamp's comma splits it into two fields: date and time.
    QStringList fields = reply_fields(header);
    if (with_index) {
        bool ok = false;
        message.index = fields.value(0).toInt(&ok);
        if (!ok)
            return false;
        fields.removeFirst();
    }
    if (fields.size() < 2)
        return false;
    message.state = fields[0];
    message.number = text_mode_field(fields[1], ucs2);
    // The time stamp is quoted, its comma inside; some phones leave the
    // quotes out, and then the comma splits it in two.
    if (fields.size() >= 4)
        message.sent = text_mode_time(fields[3].contains(u',') ? fields[3] : fields[3] + u',' + fields.value(4));
    return true;
}

bool parse_text_report(QStringView fields_text, bool ucs2, TextModeReport& report)
{
    const QStringList fields = reply_fields(fields_text);
    if (fields.size() < 7)
        return false;
    bool ok_reference = false, ok_status = false;
    report.reference = fields[1].toInt(&ok_reference);
    report.number = text_mode_field(fields[2], ucs2);
    report.status = fields.last().toInt(&ok_status);
    return ok_reference && ok_status;
}

}  // namespace messages
