#include "journal/journal_export.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

namespace journal {

namespace {

const QStringList field_names = {"start", "line", "direction", "number", "outcome", "talk_seconds", "model"};

QStringList fields_of(const CallRecord& record)
{
    return {local_iso_time(record.start_ms), record.line,     direction_text(record.direction),
            record.number,                   outcome_text(record.outcome), QString::number(record.talk_seconds()),
            record.model};
}

// A field a spreadsheet would run as a formula: it begins (after any
// blanks) with "=", "+", "-" or "@", or with a tab or CR, which some
// programs drop before looking.
bool formula_like(const QString& value)
{
    static const QString leads = QStringLiteral("=+-@\t\r");
    for (const QChar c : value) {
        if (c == u' ')
            continue;
        return leads.contains(c);
    }
    return false;
}

// An international number as the journal keeps it: "+" and digits only.
bool plain_international_number(const QString& value)
{
    static const QRegularExpression number(QRegularExpression::anchoredPattern(QStringLiteral("\\+[0-9]{1,20}")));
    return number.match(value).hasMatch();
}

QString quoted(const QString& value)
{
    QString text = value;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// RFC 4180, and no field that a spreadsheet runs: a formula-like field
// goes with a leading apostrophe, the mark spreadsheets take for "text as
// typed". A plain "+380..." would lose its "+" and show in exponent form;
// it goes as the text formula ="+380...", which Excel, LibreOffice and
// Google Sheets show as the number itself.
QString csv_field(const QString& value)
{
    if (plain_international_number(value))
        return quoted(QStringLiteral("=\"%1\"").arg(value));
    if (formula_like(value))
        return quoted(QLatin1Char('\'') + value);
    static const QString needs_quotes = QStringLiteral(",\"\r\n");
    for (const QChar c : value)
        if (needs_quotes.contains(c))
            return quoted(value);
    return value;
}

QByteArray delimited(const QList<CallRecord>& records, bool header, QChar separator, const char* line_end,
                     QString (*field)(const QString&))
{
    QByteArray out;
    auto append_line = [&](const QStringList& fields) {
        QStringList written;
        for (const QString& value : fields)
            written << field(value);
        out += written.join(separator).toUtf8();
        out += line_end;
    };
    if (header)
        append_line(field_names);
    for (const CallRecord& record : records)
        append_line(fields_of(record));
    return out;
}

QByteArray json(const QList<CallRecord>& records)
{
    QJsonArray array;
    for (const CallRecord& record : records) {
        const QStringList fields = fields_of(record);
        QJsonObject object;
        for (qsizetype i = 0; i < field_names.size(); ++i)
            object.insert(field_names[i], field_names[i] == QLatin1String("talk_seconds")
                                              ? QJsonValue(record.talk_seconds())
                                              : QJsonValue(fields[i]));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

}  // namespace

QString tsv_field(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\')
            escaped += QLatin1String("\\\\");
        else if (c == u'\t')
            escaped += QLatin1String("\\t");
        else if (c == u'\n')
            escaped += QLatin1String("\\n");
        else if (c == u'\r')
            escaped += QLatin1String("\\r");
        else if (c.category() == QChar::Other_Control)
            escaped += c.unicode() < 0x100 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                                           : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return escaped;
}

bool export_format_from_text(const QString& text, ExportFormat& format)
{
    if (text == QLatin1String("tsv"))
        format = ExportFormat::Tsv;
    else if (text == QLatin1String("csv"))
        format = ExportFormat::Csv;
    else if (text == QLatin1String("json"))
        format = ExportFormat::Json;
    else
        return false;
    return true;
}

QByteArray export_records(const QList<CallRecord>& records, ExportFormat format, bool header)
{
    switch (format) {
    case ExportFormat::Tsv:
        return delimited(records, header, QLatin1Char('\t'), "\n", tsv_field);
    case ExportFormat::Csv:
        return delimited(records, header, QLatin1Char(','), "\r\n", csv_field);
    case ExportFormat::Json:
        return json(records);
    }
    return QByteArray();
}

}  // namespace journal
