#pragma once
#include <QString>
#include <QStringList>

#include "messages/pdu.h"

// How a text is cut into message parts: 160 GSM characters alone, 153 per
// part of a longer message (an extension character counts two, and never
// straddles parts); 70 UCS2 units alone, 67 per part (an emoji counts two,
// and its surrogate pair is never cut). One character outside the GSM
// alphabet turns the whole text into UCS2.
namespace messages {

Encoding text_encoding(QStringView text);
QStringList split_parts(const QString& text);

// What a compose field shows: the encoding, how many parts the text takes
// (at least 1), and how many units are left in the last part.
struct PartCount {
    Encoding encoding = Encoding::Gsm7;
    int parts = 1;
    int left = 160;
};
PartCount count_parts(const QString& text);

}  // namespace messages
