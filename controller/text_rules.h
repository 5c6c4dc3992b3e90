#pragma once
#include <QString>

// Text conversions of the controller: numbers read from the blackboard,
// numbers put into dial commands, and the normalised form of a phone reply.
namespace kestrum {

// The leading decimal number of a text (spaces before it are skipped, a sign
// and a fraction are allowed), taken to the nearest integer with ties to the
// even one. 0 when the text has no leading number or the result does not fit
// in 16 bits.
qint16 leading_number16(const QString& text);

// The number without control characters (below 0x20, and DEL), so that it
// can never end the dial command early and smuggle a second one.
QString dialable_number(const QString& number);

// The dial command line: verb ("ATD", "AT+CDV"), the dialable number, ";"
// and the line end. A ";" inside the number is dropped too: after a voice
// dial the phone runs whatever follows the ";" on the same line as further
// commands ("ATD050;+CHUP;" dials and hangs up).
QString dial_command(const QString& verb, const QString& number);

// The reply of the phone to a command, as the engines read it: line ends and
// tabs turned into spaces, the echoed command removed, runs of spaces
// shortened, spaces at both ends removed.
QString normalise_reply(const QString& raw, const QString& command);

// Spaces (only the space character) removed at both ends.
QString trim_spaces(const QString& text);

}  // namespace kestrum
