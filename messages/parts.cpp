#include "messages/parts.h"

#include "messages/gsm_alphabet.h"

namespace messages {

namespace {

constexpr int gsm_single = 160, gsm_part = 153;
constexpr int ucs2_single = 70, ucs2_part = 67;

int unit_length(QChar character, Encoding encoding)
{
    if (encoding == Encoding::Ucs2)
        return 1;
    return gsm7_length(QStringView(&character, 1));
}

// Cuts at a limit in units, keeping a surrogate pair (UCS2) or an escape
// sequence (GSM) whole; the units used in the last part go to last_used.
QStringList cut(const QString& text, Encoding encoding, int limit, int& last_used)
{
    QStringList parts;
    QString current;
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = encoding == Encoding::Ucs2 && text[i].isHighSurrogate() && i + 1 < text.size()
                          && text[i + 1].isLowSurrogate();
        const int length = pair ? 2 : unit_length(text[i], encoding);
        if (used + length > limit) {
            parts.append(current);
            current.clear();
            used = 0;
        }
        current.append(text[i]);
        if (pair)
            current.append(text[++i]);
        used += length;
    }
    parts.append(current);
    last_used = used;
    return parts;
}

}  // namespace

Encoding text_encoding(QStringView text) { return gsm7_encodable(text) ? Encoding::Gsm7 : Encoding::Ucs2; }

QStringList split_parts(const QString& text)
{
    const Encoding encoding = text_encoding(text);
    const bool gsm = encoding == Encoding::Gsm7;
    const int total = gsm ? gsm7_length(text) : int(text.size());
    int last_used = 0;
    if (total <= (gsm ? gsm_single : ucs2_single))
        return {text};
    return cut(text, encoding, gsm ? gsm_part : ucs2_part, last_used);
}

PartCount count_parts(const QString& text)
{
    PartCount count;
    count.encoding = text_encoding(text);
    const bool gsm = count.encoding == Encoding::Gsm7;
    const int single = gsm ? gsm_single : ucs2_single;
    const int total = gsm ? gsm7_length(text) : int(text.size());
    if (total <= single) {
        count.left = single - total;
        return count;
    }
    int last_used = 0;
    count.parts = int(cut(text, count.encoding, gsm ? gsm_part : ucs2_part, last_used).size());
    count.left = (gsm ? gsm_part : ucs2_part) - last_used;
    return count;
}

}  // namespace messages
