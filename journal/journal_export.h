#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include "journal/call_record.h"

// The journal's records as text for other programs. Every format has the
// same fields, in this order: start (ISO 8601 local time with its offset),
// line, direction ("in"/"out"), number, outcome, talk seconds (answer to
// end, 0 when never answered), model. UTF-8.
namespace journal {

enum class ExportFormat { Tsv, Csv, Json };

// One field as TSV writes it: tabs, newlines and backslashes as \t, \n
// and \\, a carriage return as \r, any other control character (which a
// terminal could take for a command) as \xHH or \uHHHH.
QString tsv_field(const QString& value);

// "tsv", "csv", "json"; false for anything else.
bool export_format_from_text(const QString& text, ExportFormat& format);

// TSV: one record a line, fields separated by tabs, each as tsv_field
// writes it.
// CSV: RFC 4180, fields quoted where they need it, CRLF line ends; a field
// a spreadsheet would run as a formula (beginning with "=", "+", "-", "@",
// a tab or CR) is written as text with a leading apostrophe, and a plain
// international number "+380..." as ="+380...", shown as the number.
// JSON: an array of objects with the keys start, line, direction, number,
// outcome, talk_seconds, model.
// The header line (names of the fields) is written for TSV and CSV only
// when asked for.
QByteArray export_records(const QList<CallRecord>& records, ExportFormat format, bool header = false);

}  // namespace journal
