#include "messages/gsm_alphabet.h"
#include "messages/pdu.h"
#include "messages/pdu_reader.h"


#include <algorithm>
#include <cctype>

namespace messages {

namespace {

constexpr quint8 type_international = 0x10;  // type-of-number bits, shifted
constexpr quint8 type_alphanumeric = 0x50;
constexpr int address_digits_limit = 20;     // TS 23.040: at most 20 semi-octets
constexpr int user_data_limit = 140;

struct Failure {
    QString text;
};

char16_t bcd_digit(quint8 nibble)
{
    static const char16_t digits[] = u"0123456789*#abc";
    return nibble < 15 ? digits[nibble] : u'\0';
}

QString semi_octets(const QByteArray& octets, int digits)
{
    QString text;
    for (int i = 0; i < digits; ++i) {
        const quint8 octet = quint8(octets[i / 2]);
        const char16_t digit = bcd_digit(i % 2 ? octet >> 4 : octet & 0x0F);
        if (digit)
            text.append(QChar(digit));
    }
    return text;
}

// An address whose first octet counts semi-octets (originator, destination,
// recipient).
bool read_address(PduReader& reader, QString& number, bool& alphanumeric, QString& error)
{
    const int digits = reader.octet();
    const quint8 type = reader.octet();
    if (digits > address_digits_limit) {
        error = QStringLiteral("address of %1 digits is longer than 20").arg(digits);
        return false;
    }
    const QByteArray octets = reader.take((digits + 1) / 2);
    if (!reader.ok()) {
        error = QStringLiteral("PDU ends inside an address");
        return false;
    }
    alphanumeric = (type & 0x70) == type_alphanumeric;
    if (alphanumeric) {
        QList<quint8> septets;
        unpack_septets(octets, digits * 4 / 7, septets);
        number = gsm7_text(septets);
        return true;
    }
    number = semi_octets(octets, digits);
    if ((type & 0x70) == type_international && !number.isEmpty())
        number.prepend(u'+');
    return true;
}

// The service centre's address counts octets, its type octet included.
bool read_service_centre(PduReader& reader, QString& number, QString& error)
{
    const int length = reader.octet();
    if (length == 0)
        return reader.ok();
    if (length > 11) {
        error = QStringLiteral("service centre address of %1 octets is longer than 11").arg(length);
        return false;
    }
    const quint8 type = reader.octet();
    const QByteArray octets = reader.take(length - 1);
    if (!reader.ok()) {
        error = QStringLiteral("PDU ends inside the service centre address");
        return false;
    }
    number = semi_octets(octets, (length - 1) * 2);
    if ((type & 0x70) == type_international && !number.isEmpty())
        number.prepend(u'+');
    return true;
}

int swapped_bcd(quint8 octet) { return (octet & 0x0F) * 10 + (octet >> 4); }

QDateTime read_time_stamp(PduReader& reader, QString& error)
{
    const QByteArray octets = reader.take(7);
    if (!reader.ok()) {
        error = QStringLiteral("PDU ends inside a time stamp");
        return {};
    }
    int field[6];
    for (int i = 0; i < 6; ++i)
        field[i] = swapped_bcd(quint8(octets[i]));
    const quint8 zone = quint8(octets[6]);
    const int quarters = (zone & 0x07) * 10 + (zone >> 4);
    const int offset_s = quarters * 15 * 60 * ((zone & 0x08) ? -1 : 1);
    // Two digits of year: the nineties are the last century's.
    const QDate date(field[0] >= 90 ? 1900 + field[0] : 2000 + field[0], field[1], field[2]);
    const QTime time(field[3], field[4], field[5]);
    if (!date.isValid() || !time.isValid() || quarters > 14 * 4) {
        error = QStringLiteral("time stamp is not a valid date and time");
        return {};
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, offset_s);
}

Encoding encoding_of(quint8 dcs, QString& error)
{
    const quint8 group = dcs >> 4;
    if (group <= 0x7) {
        if (dcs & 0x20) {
            error = QStringLiteral("compressed text is not supported");
            return Encoding::Data8;
        }
        switch ((dcs >> 2) & 0x03) {
        case 1: return Encoding::Data8;
        case 2: return Encoding::Ucs2;
        default: return Encoding::Gsm7;
        }
    }
    if (group == 0xE)
        return Encoding::Ucs2;
    if (group == 0xF)
        return (dcs & 0x04) ? Encoding::Data8 : Encoding::Gsm7;
    return Encoding::Gsm7;  // message waiting groups and reserved ones
}

void read_header(const QByteArray& header, Concat& concat)
{
    for (qsizetype at = 0; at + 1 < header.size();) {
        const quint8 id = quint8(header[at]);
        const quint8 length = quint8(header[at + 1]);
        const qsizetype body = at + 2;
        if (body + length > header.size())
            return;  // a cut element: the rest is ignored, as phones do
        const auto byte = [&](int i) { return quint8(header[body + i]); };
        if (id == 0x00 && length == 3 && byte(1) > 0 && byte(2) > 0 && byte(2) <= byte(1))
            concat = {byte(0), byte(1), byte(2), false};
        else if (id == 0x08 && length == 4 && byte(2) > 0 && byte(3) > 0 && byte(3) <= byte(2))
            concat = {byte(0) << 8 | byte(1), byte(2), byte(3), true};
        at = body + length;
    }
}

bool read_user_data(PduReader& reader, quint8 dcs, bool has_header, Pdu& pdu, QString& error)
{
    pdu.encoding = encoding_of(dcs, error);
    if (!error.isEmpty())
        return false;
    const int length = reader.octet();
    const bool septets = pdu.encoding == Encoding::Gsm7;
    const int octet_count = septets ? (length * 7 + 7) / 8 : length;
    if (!reader.ok() || octet_count > user_data_limit) {
        error = QStringLiteral("user data length %1 is impossible").arg(length);
        return false;
    }
    const QByteArray data = reader.take(octet_count);
    if (!reader.ok()) {
        error = QStringLiteral("PDU ends inside the user data: %1 octets promised, %2 present")
                    .arg(octet_count).arg(reader.left());
        return false;
    }
    int header_octets = 0;
    if (has_header && !data.isEmpty()) {
        header_octets = quint8(data[0]) + 1;
        if (header_octets > data.size()) {
            error = QStringLiteral("user data header is longer than the user data");
            return false;
        }
        read_header(data.mid(1, header_octets - 1), pdu.concat);
    }
    if (septets) {
        QList<quint8> all;
        unpack_septets(data, length, all);
        const int skip = (header_octets * 8 + 6) / 7;
        pdu.text = gsm7_text(all.mid(qMin<qsizetype>(skip, all.size())));
    } else if (pdu.encoding == Encoding::Ucs2) {
        const QByteArray body = data.mid(header_octets);
        pdu.text.resize(body.size() / 2);
        for (qsizetype i = 0; i + 1 < body.size(); i += 2)
            pdu.text[i / 2] = QChar(char16_t(quint8(body[i]) << 8 | quint8(body[i + 1])));
    } else {
        pdu.text = QString::fromLatin1(data.mid(header_octets).toHex().toUpper());
    }
    return true;
}

bool decode_deliver(PduReader& reader, quint8 first, Pdu& pdu, QString& error)
{
    pdu.kind = Kind::Deliver;
    pdu.report_requested = first & 0x20;
    if (!read_address(reader, pdu.number, pdu.alphanumeric, error))
        return false;
    reader.octet();  // protocol identifier
    const quint8 dcs = reader.octet();
    pdu.sent = read_time_stamp(reader, error);
    return error.isEmpty() && read_user_data(reader, dcs, first & 0x40, pdu, error);
}

bool decode_submit(PduReader& reader, quint8 first, Pdu& pdu, QString& error)
{
    pdu.kind = Kind::Submit;
    pdu.report_requested = first & 0x20;
    pdu.reference = reader.octet();
    if (!read_address(reader, pdu.number, pdu.alphanumeric, error))
        return false;
    reader.octet();  // protocol identifier
    const quint8 dcs = reader.octet();
    const int validity_format = (first >> 3) & 0x03;
    reader.take(validity_format == 2 ? 1 : validity_format ? 7 : 0);
    if (!reader.ok()) {
        error = QStringLiteral("PDU ends inside the validity period");
        return false;
    }
    return read_user_data(reader, dcs, first & 0x40, pdu, error);
}

bool decode_status_report(PduReader& reader, Pdu& pdu, QString& error)
{
    pdu.kind = Kind::StatusReport;
    pdu.reference = reader.octet();
    if (!read_address(reader, pdu.number, pdu.alphanumeric, error))
        return false;
    pdu.sent = read_time_stamp(reader, error);
    if (error.isEmpty())
        pdu.discharged = read_time_stamp(reader, error);
    if (!error.isEmpty())
        return false;
    pdu.status = reader.octet();
    if (!reader.ok()) {
        error = QStringLiteral("PDU ends before the status");
        return false;
    }
    return true;  // the optional parameters after the status are not needed
}

}  // namespace

ReportOutcome report_outcome(int status)
{
    if (status >= 0 && status < 0x20)
        return ReportOutcome::Delivered;
    if (status >= 0x20 && status < 0x40)
        return ReportOutcome::Pending;
    return ReportOutcome::Failed;
}

Decoded decode_octets(const QByteArray& octets, bool with_service_centre)
{
    Decoded result;
    PduReader reader(octets);
    QString& error = result.error;
    if (with_service_centre && !read_service_centre(reader, result.pdu.service_centre, error)) {
        if (error.isEmpty())
            error = QStringLiteral("PDU is empty");
        return result;
    }
    const quint8 first = reader.octet();
    if (!reader.ok()) {
        error = QStringLiteral("PDU has no message after the service centre");
        return result;
    }
    bool ok = false;
    switch (first & 0x03) {
    case 0: ok = decode_deliver(reader, first, result.pdu, error); break;
    case 1: ok = decode_submit(reader, first, result.pdu, error); break;
    case 2: ok = decode_status_report(reader, result.pdu, error); break;
    default: error = QStringLiteral("message type 3 is reserved"); break;
    }
    result.ok = ok && error.isEmpty();
    return result;
}

Decoded decode_pdu(QByteArrayView hex)
{
    const QByteArray trimmed = hex.trimmed().toByteArray();
    const auto is_hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); };
    if (trimmed.isEmpty() || trimmed.size() % 2 || !std::all_of(trimmed.cbegin(), trimmed.cend(), is_hex)) {
        Decoded result;
        result.error = QStringLiteral("PDU is not an even number of hex digits");
        return result;
    }
    return decode_octets(QByteArray::fromHex(trimmed), true);
}

}  // namespace messages
