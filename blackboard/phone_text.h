#pragma once
#include <QString>

// The rules both programs apply to text that goes to a phone or comes from
// one, or that stands as a number in the store: a number read from the
// start of a text, the guard on a number put into a dial command, and the
// model text taken from the reply to "AT+GMM".
namespace blackboard {

// --- Numbers at the start of a text ---------------------------------------
// All three read the same grammar: a sign, ASCII digits and, where a
// fraction is allowed, a point and digits; at least one digit. They differ
// in what they pass over before the number and in how they bring the value
// into range, as their stored values have always been read.

// A call-list field: surrounding white space skipped, no fraction; 0 when
// there is no number, values beyond int saturate.
int leading_integer(const QString& text);

// A number the controller reads from the store ("port", the command
// flags): spaces before it skipped, rounded half to even; 0 when there is
// no number or the result does not fit in 16 bits.
qint16 leading_number16(const QString& text);

// A dial rule's target: the number must start the text, rounded half to
// even; 0 when there is none, values beyond int saturate.
int read_rule_number(const QString& text);

// --- Dialling ---------------------------------------------------------------

// The number without control characters (below 0x20, and DEL), so that it
// can never end the dial command early and smuggle a second one.
QString dialable_number(const QString& number);

// The dial command line: verb ("ATD", "AT+CDV"), the dialable number, ";"
// and the line end. A ";" inside the number is dropped too: after a voice
// dial the phone runs whatever follows the ";" on the same line as further
// commands ("ATD050;+CHUP;" dials and hangs up).
QString dial_command(const QString& verb, const QString& number,
                     const QString& line_end = QStringLiteral("\r\n"));

// --- Replies ----------------------------------------------------------------

// Spaces (only the space character) removed at both ends.
QString trim_spaces(const QString& text);

// The reply to "AT+GMM" reduced to the model text: CR LF and lone CR become
// blanks; the echo "AT+GMM", "OK", "+GMM" and ":" go. Blanks at the ends
// stay (the controller's phone search lists the text so); a lone LF is kept.
QString model_reply_text(const QString& reply);

// The model text with blanks trimmed from both ends: the model a phone is
// known by.
QString clean_model_reply(const QString& reply);

}  // namespace blackboard
