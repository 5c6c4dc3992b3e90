#include "messages/gsm_alphabet.h"

#include <QHash>

namespace messages {

namespace {

constexpr quint8 escape = 0x1B;

// The default alphabet by code; the escape (0x1B) is written as a space
// and never produced from text.
const char16_t default_alphabet[128] = {
    u'@', u'£', u'$', u'¥', u'è', u'é', u'ù', u'ì', u'ò', u'Ç', u'\n', u'Ø', u'ø', u'\r', u'Å', u'å',
    u'Δ', u'_', u'Φ', u'Γ', u'Λ', u'Ω', u'Π', u'Ψ', u'Σ', u'Θ', u'Ξ', u' ', u'Æ', u'æ', u'ß', u'É',
    u' ', u'!', u'"', u'#', u'¤', u'%', u'&', u'\'', u'(', u')', u'*', u'+', u',', u'-', u'.', u'/',
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',
    u'¡', u'A', u'B', u'C', u'D', u'E', u'F', u'G', u'H', u'I', u'J', u'K', u'L', u'M', u'N', u'O',
    u'P', u'Q', u'R', u'S', u'T', u'U', u'V', u'W', u'X', u'Y', u'Z', u'Ä', u'Ö', u'Ñ', u'Ü', u'§',
    u'¿', u'a', u'b', u'c', u'd', u'e', u'f', u'g', u'h', u'i', u'j', u'k', u'l', u'm', u'n', u'o',
    u'p', u'q', u'r', u's', u't', u'u', u'v', u'w', u'x', u'y', u'z', u'ä', u'ö', u'ñ', u'ü', u'à',
};

struct Extension {
    quint8 code;
    char16_t character;
};
const Extension extension_table[] = {
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['},  {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'€'},
};

struct Codes {
    QHash<char16_t, quint8> basic;
    QHash<char16_t, quint8> extended;
    char16_t extended_by_code[128] = {};
    Codes()
    {
        for (int code = 0; code < 128; ++code)
            if (code != escape)
                basic.insert(default_alphabet[code], quint8(code));
        for (const Extension& entry : extension_table) {
            extended.insert(entry.character, entry.code);
            extended_by_code[entry.code] = entry.character;
        }
    }
};

const Codes& codes()
{
    static const Codes table;
    return table;
}

}  // namespace

bool gsm7_septets(QStringView text, QList<quint8>& septets)
{
    const Codes& table = codes();
    septets.reserve(septets.size() + text.size());
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (unit < 128 && default_alphabet[unit] == unit) {
            septets.append(quint8(unit));
            continue;
        }
        if (const auto basic = table.basic.constFind(unit); basic != table.basic.cend()) {
            septets.append(basic.value());
            continue;
        }
        const auto extended = table.extended.constFind(unit);
        if (extended == table.extended.cend())
            return false;
        septets.append(escape);
        septets.append(extended.value());
    }
    return true;
}

bool gsm7_encodable(QStringView text) { return gsm7_length(text) >= 0; }

int gsm7_length(QStringView text)
{
    const Codes& table = codes();
    int length = 0;
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (table.basic.contains(unit))
            length += 1;
        else if (table.extended.contains(unit))
            length += 2;
        else
            return -1;
    }
    return length;
}

QString gsm7_text(const QList<quint8>& septets)
{
    const Codes& table = codes();
    QString text;
    text.reserve(septets.size());
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const quint8 code = septets[i] & 0x7F;
        if (code != escape) {
            text.append(QChar(default_alphabet[code]));
            continue;
        }
        if (++i >= septets.size())
            break;
        const quint8 next = septets[i] & 0x7F;
        const char16_t extended = table.extended_by_code[next];
        text.append(QChar(extended ? extended : default_alphabet[next]));
    }
    return text;
}

QByteArray pack_septets(const QList<quint8>& septets)
{
    QByteArray octets((septets.size() * 7 + 7) / 8, '\0');
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const qsizetype bit = i * 7;
        const quint16 value = quint16((septets[i] & 0x7F) << (bit % 8));
        octets[bit / 8] = char(quint8(octets[bit / 8]) | (value & 0xFF));
        if ((value >> 8) && bit / 8 + 1 < octets.size())
            octets[bit / 8 + 1] = char(quint8(octets[bit / 8 + 1]) | (value >> 8));
    }
    return octets;
}

bool unpack_septets(const QByteArray& octets, int count, QList<quint8>& septets)
{
    if (count < 0 || qsizetype(count) * 7 > octets.size() * 8)
        return false;
    septets.resize(count);
    for (int i = 0; i < count; ++i) {
        const qsizetype bit = qsizetype(i) * 7;
        quint16 value = quint8(octets[bit / 8]);
        if (bit / 8 + 1 < octets.size())
            value |= quint16(quint8(octets[bit / 8 + 1]) << 8);
        septets[i] = quint8((value >> (bit % 8)) & 0x7F);
    }
    return true;
}

}  // namespace messages
