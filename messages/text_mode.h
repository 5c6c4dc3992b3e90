#pragma once
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Text mode (AT+CMGF=1), the fallback for phones without PDU mode: header
// fields of +CMGL, +CMGR and +CDS lines, the "yy/MM/dd,hh:mm:ss±zz" time
// stamp, and the hex form of UCS2 that AT+CSCS="UCS2" puts in every text
// field.
namespace messages {

// "041F04400438" -> "При"; ok false (and "" returned) for text that is not
// whole UCS2 hex.
QString ucs2_from_hex(QStringView hex, bool* ok = nullptr);
QByteArray ucs2_to_hex(const QString& text);
// A field as the phone gave it under UCS2: decoded when it is UCS2 hex,
// else as it is (phones answer some fields in plain digits).
QString text_mode_field(const QString& field, bool ucs2);

// The comma-separated fields after "+CMGL: " and the like; quotes are
// removed, and a comma inside quotes stays in its field.
QStringList reply_fields(QStringView line);
// "24/12/10,08:15:00+08" (quarter hours); invalid when it is not one.
QDateTime text_mode_time(const QString& field);

// One message of +CMGL (index first) or +CMGR (no index); the text is the
// line that follows the header.
struct TextModeMessage {
    int index = -1;
    QString state;  // "REC UNREAD", "REC READ", "STO SENT", ...
    QString number;
    QDateTime sent;
    QString text;
};
bool parse_text_message(QStringView header, bool with_index, bool ucs2, TextModeMessage& message);

// "+CDS: <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>"
struct TextModeReport {
    int reference = -1;
    QString number;
    int status = -1;
};
bool parse_text_report(QStringView fields_text, bool ucs2, TextModeReport& report);

}  // namespace messages
