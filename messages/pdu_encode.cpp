#include "messages/gsm_alphabet.h"
#include "messages/parts.h"
#include "messages/pdu.h"

namespace messages {

namespace {

constexpr quint8 type_submit = 0x01;
constexpr quint8 validity_relative = 0x10;
constexpr quint8 report_request = 0x20;
constexpr quint8 header_present = 0x40;
constexpr quint8 validity_four_days = 0xAA;

QByteArray address(const QString& number)
{
    QString digits;
    for (const QChar c : number)
        if (c.isDigit() || c == u'*' || c == u'#')
            digits.append(c);
    QByteArray octets;
    octets.append(char(digits.size()));
    octets.append(char(number.startsWith(u'+') ? 0x91 : 0x81));
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const auto nibble = [](QChar c) {
            return quint8(c == u'*' ? 0xA : c == u'#' ? 0xB : c.digitValue());
        };
        const quint8 low = nibble(digits[i]);
        const quint8 high = i + 1 < digits.size() ? nibble(digits[i + 1]) : 0xF;
        octets.append(char(high << 4 | low));
    }
    return octets;
}

QByteArray user_data(const QString& text, Encoding encoding, const QByteArray& header)
{
    QByteArray data;
    if (encoding == Encoding::Gsm7) {
        const int skip = header.isEmpty() ? 0 : (int(header.size()) * 8 + 6) / 7;
        QList<quint8> septets(skip, 0);
        gsm7_septets(text, septets);
        QByteArray packed = pack_septets(septets);
        packed.replace(0, header.size(), header);
        data.append(char(septets.size()));
        data.append(packed);
        return data;
    }
    QByteArray body = header;
    for (const QChar c : text) {
        body.append(char(c.unicode() >> 8));
        body.append(char(c.unicode() & 0xFF));
    }
    data.append(char(body.size()));
    data.append(body);
    return data;
}

}  // namespace

QList<SubmitPdu> encode_submit(const QString& number, const QString& text, int reference, bool report)
{
    const QStringList parts = split_parts(text);
    const Encoding encoding = text_encoding(text);
    QList<SubmitPdu> pdus;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QByteArray header;
        if (parts.size() > 1)
            header = QByteArray::fromHex("050003") + char(reference & 0xFF) + char(parts.size()) + char(i + 1);
        QByteArray tpdu;
        tpdu.append(char(type_submit | validity_relative | (report ? report_request : 0)
                         | (header.isEmpty() ? 0 : header_present)));
        tpdu.append('\0');  // the phone sets the message reference
        tpdu.append(address(number));
        tpdu.append('\0');  // protocol identifier
        tpdu.append(char(encoding == Encoding::Ucs2 ? 0x08 : 0x00));
        tpdu.append(char(validity_four_days));
        tpdu.append(user_data(parts[i], encoding, header));
        pdus.append({"00" + tpdu.toHex().toUpper(), int(tpdu.size())});
    }
    return pdus;
}

}  // namespace messages
