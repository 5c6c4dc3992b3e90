#pragma once
#include <QString>
#include <QStringList>
#include <functional>

// The rules both programs apply to text that goes to a phone or comes from
// one, or that stands as a number in the store: a number read from the
// start of a text, the guard on a number put into a dial command, and the
// model a phone tells.
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

// Text a phone sent, as it may be stored and shown: line breaks (CR, LF)
// and tabs kept, every other control character (C0, DEL, C1) dropped, so
// that no escape sequence, bell or NUL a phone or network sends reaches
// the store, a terminal or a window. Applied to every text taken from a
// phone: USSD answers, the model, message texts.
QString text_from_phone(const QString& text);

// Spaces (only the space character) removed at both ends.
QString trim_spaces(const QString& text);

// --- The model -------------------------------------------------------------

// The commands that ask a phone for its model, in the order they are tried:
// "AT+GMM", then "AT+CGMM" (phones that know only the GSM 07.07 name), then
// "ATI" (modems that know neither).
const QStringList& model_commands();

// The reply to a model command reduced to the model text. CR LF and lone CR
// become blanks, and a lone LF is kept. For "AT+GMM" the echo "AT+GMM",
// "OK", "+GMM" and ":" go wherever they stand; for "AT+CGMM" its echo,
// "OK", "+CGMM", "+GMM" and ":" likewise. For "ATI", whose text is free,
// only the echo and "OK" go, where they stand as words of their own.
// Control characters go first (text_from_phone).
// Blanks at the ends stay (the controller's phone search lists the text so).
QString model_reply_text(const QString& reply, const QString& command = QStringLiteral("AT+GMM"));

// The model text with blanks trimmed from both ends: the model a phone is
// known by.
QString clean_model_reply(const QString& reply, const QString& command = QStringLiteral("AT+GMM"));

// Asks for the model with each of model_commands() in turn while the phone
// answers "ERROR": ask sends one command and gives its cleaned reply. A
// phone that answers the first command is asked nothing else; one that
// refuses all three gives "ERROR".
QString ask_for_model(const std::function<QString(const QString& command)>& ask);

}  // namespace blackboard
