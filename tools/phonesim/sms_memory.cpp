#include "sms_memory.h"

#include <QRegularExpression>

namespace {

const QByteArray ok_reply = "\r\nOK\r\n";
const QByteArray error_reply = "\r\nERROR\r\n";
const QByteArray service_centre = "0791836027201111";  // +380672021111
constexpr int gsm_part = 153, gsm_single = 160, ucs2_part = 67, ucs2_single = 70;

quint8 octet_at(const QByteArray& bytes, qsizetype at)
{
    return at >= 0 && at < bytes.size() ? quint8(bytes[at]) : 0;
}

QByteArray cms_error(int code) { return "\r\n+CMS ERROR: " + QByteArray::number(code) + "\r\n"; }

// The characters this phone writes in the 7-bit alphabet: those whose
// code there is their ASCII code. Anything else goes as UCS2.
bool plain_gsm(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
           || QStringView(u" !\"#%&'()*+,-./:;<=>?\n\r").contains(c);
}

QByteArray pack7(const QList<quint8>& septets)
{
    QByteArray out((septets.size() * 7 + 7) / 8, '\0');
    for (int i = 0; i < septets.size(); ++i)
        for (int b = 0; b < 7; ++b)
            if (septets[i] >> b & 1)
                out[(i * 7 + b) / 8] = char(quint8(out[(i * 7 + b) / 8]) | 1 << ((i * 7 + b) % 8));
    return out;
}

QList<quint8> unpack7(const QByteArray& data, int count)
{
    QList<quint8> out;
    for (int i = 0; i < count && (i * 7 + 6) / 8 < data.size(); ++i) {
        quint8 septet = 0;
        for (int b = 0; b < 7; ++b)
            if (quint8(data[(i * 7 + b) / 8]) >> ((i * 7 + b) % 8) & 1)
                septet |= quint8(1 << b);
        out.append(septet);
    }
    return out;
}

QString septets_text(const QList<quint8>& septets)
{
    static const QHash<quint8, QChar> extension {{0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
                                                 {0x3C, u'['}, {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'},
                                                 {0x65, u'€'}};
    QString text;
    for (int i = 0; i < septets.size(); ++i) {
        if (septets[i] == 0x1B && i + 1 < septets.size())
            text += extension.value(septets[++i], u'?');
        else
            text += septets[i] == 0 ? QChar(u'@') : QChar(char16_t(septets[i]));
    }
    return text;
}

QByteArray address(const QString& number)
{
    const bool international = number.startsWith(u'+');
    QString digits = number;
    digits.remove(u'+');
    QByteArray out;
    out += char(digits.size());
    out += char(international ? 0x91 : 0x81);
    for (int i = 0; i < digits.size(); i += 2) {
        const int low = digits[i].digitValue();
        const int high = i + 1 < digits.size() ? digits[i + 1].digitValue() : 0xF;
        out += char(high << 4 | low);
    }
    return out;
}

QByteArray alphanumeric_address(const QString& name)
{
    QList<quint8> septets;
    for (QChar c : name.left(11))
        septets.append(plain_gsm(c) ? quint8(c.unicode()) : quint8('?'));
    const QByteArray packed = pack7(septets);
    return char((septets.size() * 7 + 3) / 4) + QByteArray(1, char(0xD0)) + packed;
}

QByteArray swapped(int value) { return QByteArray(1, char((value % 10) << 4 | value / 10)); }

QByteArray time_stamp(const QDateTime& time)
{
    QByteArray out = swapped(time.date().year() % 100) + swapped(time.date().month()) + swapped(time.date().day())
                     + swapped(time.time().hour()) + swapped(time.time().minute()) + swapped(time.time().second());
    const int quarters = time.offsetFromUtc() / 900;
    QByteArray zone = swapped(qAbs(quarters));
    if (quarters < 0)
        zone[0] = char(quint8(zone[0]) | 0x08);
    return out + zone;
}

QByteArray deliver_pdu(const QString& from, const QString& part, bool ucs2, int reference, int count, int sequence,
                       const QDateTime& time)
{
    static const QRegularExpression numeric(QStringLiteral("^\\+?[0-9]{1,20}$"));
    QByteArray header;
    if (count > 1)
        header = QByteArray::fromHex("050003") + char(reference) + char(count) + char(sequence);
    QByteArray user;
    if (ucs2) {
        QByteArray body = header;
        for (QChar c : part)
            body += char(c.unicode() >> 8) + QByteArray(1, char(c.unicode() & 0xFF));
        user = char(body.size()) + body;
    } else {
        const int skip = header.isEmpty() ? 0 : 7;
        QList<quint8> septets(skip, 0);
        for (QChar c : part)
            septets.append(quint8(c.unicode()));
        QByteArray packed = pack7(septets);
        packed.replace(0, header.size(), header);
        user = char(septets.size()) + packed;
    }
    QByteArray tpdu;
    tpdu += char((count > 1 ? 0x40 : 0x00) | 0x04);
    tpdu += numeric.match(from).hasMatch() ? address(from) : alphanumeric_address(from);
    tpdu += '\0';
    tpdu += char(ucs2 ? 0x08 : 0x00);
    tpdu += time_stamp(time);
    tpdu += user;
    return service_centre + tpdu.toHex().toUpper();
}

struct Submit {
    bool ok = false;
    QString number, text;
    bool report = false;
    int count = 1, sequence = 1;
};

// Reads an SMS-SUBMIT (led by the service centre's part) far enough to log it.
Submit read_submit(const QByteArray& hex)
{
    Submit submit;
    const QByteArray pdu = QByteArray::fromHex(hex);
    int at = 1 + quint8(octet_at(pdu, 0));
    const auto octet = [&]() { return at < pdu.size() ? quint8(pdu[at++]) : quint8(0); };
    const quint8 first = octet();
    if ((first & 0x03) != 1)
        return submit;
    submit.report = first & 0x20;
    octet();  // reference
    const int digits = octet();
    const quint8 type = octet();
    for (int i = 0; i < digits; ++i) {
        const quint8 pair = quint8(octet_at(pdu, at + i / 2));
        submit.number += QString::number(i % 2 ? pair >> 4 : pair & 0x0F, 16);
    }
    if ((type & 0x70) == 0x10)
        submit.number.prepend(u'+');
    at += (digits + 1) / 2;
    octet();  // protocol identifier
    const quint8 dcs = octet();
    const int validity = first >> 3 & 0x03;
    at += validity == 2 ? 1 : validity ? 7 : 0;
    const int length = octet();
    const QByteArray data = pdu.mid(at);
    int header = 0;
    if (first & 0x40 && !data.isEmpty()) {
        header = quint8(data[0]) + 1;
        if (header >= 6 && quint8(octet_at(data, 1)) == 0) {
            submit.count = quint8(octet_at(data, 4));
            submit.sequence = quint8(octet_at(data, 5));
        }
    }
    if (dcs & 0x08) {
        for (int i = header; i + 1 < data.size() && i + 1 < length; i += 2)
            submit.text += QChar(char16_t(quint8(data[i]) << 8 | quint8(data[i + 1])));
    } else {
        submit.text = septets_text(unpack7(data, length).mid(header ? (header * 8 + 6) / 7 : 0));
    }
    submit.ok = at <= pdu.size() && !submit.number.isEmpty();
    return submit;
}

QByteArray status_report_pdu(int reference, const QString& number, const QDateTime& time)
{
    QByteArray tpdu;
    tpdu += char(0x06);
    tpdu += char(reference);
    tpdu += address(number);
    tpdu += time_stamp(time);
    tpdu += time_stamp(time.addSecs(2));
    tpdu += '\0';  // delivered
    return service_centre + tpdu.toHex().toUpper();
}

QString text_time(const QDateTime& time)
{
    const int quarters = time.offsetFromUtc() / 900;
    return time.toString(QStringLiteral("yy/MM/dd,hh:mm:ss"))
           + QStringLiteral("%1%2").arg(quarters < 0 ? u'-' : u'+').arg(qAbs(quarters), 2, 10, QLatin1Char('0'));
}

QString ucs2_hex(const QString& text)
{
    QString hex;
    for (QChar c : text)
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return hex;
}

QString from_ucs2_hex(const QString& hex)
{
    QString text;
    for (int i = 0; i + 3 < hex.size(); i += 4)
        text += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
    return text;
}

}  // namespace

SmsMemory::SmsMemory(SimLog* log, int capacity, QObject* parent) : QObject(parent), log_(log), capacity_(capacity) {}

bool SmsMemory::handles(const QString& body) const
{
    static const QStringList commands {"+CMGF", "+CSCS", "+CNMI", "+CPMS", "+CMGL", "+CMGR", "+CMGD", "+CMGS",
                                       "+CSMP", "+CSMS", "+CSCA", "+CMMS"};
    for (const QString& command : commands)
        if (body.startsWith(command))
            return true;
    return false;
}

QString SmsMemory::field(const QString& text) const { return ucs2_ ? ucs2_hex(text) : text; }

QString SmsMemory::status_line() const
{
    return QStringLiteral("sms stored %1 of %2, held %3, mode %4, cnmi %5,%6")
        .arg(memory_.size()).arg(capacity_).arg(held_.size())
        .arg(text_mode_ ? QStringLiteral("text") : QStringLiteral("pdu")).arg(cnmi_mt_).arg(cnmi_ds_);
}

QByteArray SmsMemory::execute(const QString& text, const QString& body)
{
    const QString argument = text.mid(text.indexOf(u'=') + 1).trimmed();
    const bool set = body.contains(u'=') && !body.endsWith(QLatin1String("=?"));
    const bool test = body.endsWith(QLatin1String("=?"));
    if (body.startsWith(QLatin1String("+CMGF"))) {
        if (test)
            return (pdu_supported_ ? "\r\n+CMGF: (0,1)\r\n" : "\r\n+CMGF: (1)\r\n") + ok_reply;
        if (!set)
            return "\r\n+CMGF: " + QByteArray::number(text_mode_) + "\r\n" + ok_reply;
        if (argument != QLatin1String("1") && (argument != QLatin1String("0") || !pdu_supported_))
            return error_reply;
        text_mode_ = argument == QLatin1String("1");
        return ok_reply;
    }
    if (body.startsWith(QLatin1String("+CSCS"))) {
        if (test)
            return "\r\n+CSCS: (\"GSM\",\"IRA\",\"UCS2\")\r\n" + ok_reply;
        if (!set)
            return QByteArray("\r\n+CSCS: \"") + (ucs2_ ? "UCS2" : "GSM") + "\"\r\n" + ok_reply;
        ucs2_ = argument.toUpper() == QLatin1String("\"UCS2\"");
        return ok_reply;
    }
    if (body.startsWith(QLatin1String("+CNMI"))) {
        if (test)
            return "\r\n+CNMI: (0-2),(0-3),(0-3),(0-2),(0,1)\r\n" + ok_reply;
        if (!set)
            return QStringLiteral("\r\n+CNMI: 2,%1,0,%2,0\r\n").arg(cnmi_mt_).arg(cnmi_ds_).toLatin1() + ok_reply;
        if (!cnmi_accepted_.isEmpty() && !cnmi_accepted_.contains(argument))
            return cms_error(303);
        const QStringList values = argument.split(u',');
        cnmi_mt_ = values.value(1).toInt();
        cnmi_ds_ = values.value(3).toInt();
        return ok_reply;
    }
    if (body.startsWith(QLatin1String("+CPMS"))) {
        if (test)
            return "\r\n+CPMS: (\"SM\",\"ME\"),(\"SM\",\"ME\"),(\"SM\",\"ME\")\r\n" + ok_reply;
        const QString counts = QStringLiteral("%1,%2").arg(memory_.size()).arg(capacity_);
        if (!set)
            return QStringLiteral("\r\n+CPMS: \"SM\",%1,\"SM\",%1,\"SM\",%1\r\n").arg(counts).toLatin1() + ok_reply;
        return QStringLiteral("\r\n+CPMS: %1,%1,%1\r\n").arg(counts).toLatin1() + ok_reply;
    }
    if (body.startsWith(QLatin1String("+CMGL")))
        return list(set ? argument : QString());
    if (body.startsWith(QLatin1String("+CMGR=")))
        return read(argument.toInt());
    if (body.startsWith(QLatin1String("+CMGD="))) {
        const QStringList values = argument.split(u',');
        const int flag = values.value(1).toInt();
        const int index = values.value(0).toInt();
        for (qsizetype i = memory_.size() - 1; i >= 0; --i)
            if (memory_[i].index == index || flag == 4 || (flag >= 1 && memory_[i].read))
                memory_.removeAt(i);
        log_->write("EV", "sms deleted " + argument.toLatin1());
        take_held();
        return ok_reply;
    }
    if (body.startsWith(QLatin1String("+CMGS="))) {
        if (text_mode_)
            awaiting_number_ = argument.section(u',', 0, 0).remove(u'"');
        awaiting_ = true;
        body_.clear();
        return "\r\n> ";
    }
    if (body.startsWith(QLatin1String("+CSMS")))
        return "\r\n+CSMS: 1,1,1\r\n" + ok_reply;
    if (body.startsWith(QLatin1String("+CSCA")))
        return "\r\n+CSCA: \"+380672021111\",145\r\n" + ok_reply;
    return ok_reply;  // AT+CSMP, AT+CMMS
}

QByteArray SmsMemory::entry(const Stored& stored, bool with_index) const
{
    const QString head = with_index ? QString::number(stored.index) + u',' : QString();
    if (!text_mode_) {
        const int length = int(stored.pdu.size()) / 2 - (octet_at(QByteArray::fromHex(stored.pdu.left(2)), 0) + 1);
        return QStringLiteral("\r\n%1%2,,%3\r\n").arg(head).arg(stored.read ? 1 : 0).arg(length).toLatin1()
               + stored.pdu + "\r\n";
    }
    const QString state = stored.read ? QStringLiteral("REC READ") : QStringLiteral("REC UNREAD");
    return QStringLiteral("\r\n%1\"%2\",\"%3\",,\"%4\"\r\n%5\r\n")
        .arg(head, state, field(stored.from), text_time(stored.time), field(stored.text))
        .toUtf8();
}

QByteArray SmsMemory::list(const QString& argument)
{
    const QString which = QString(argument).remove(u'"').toUpper();
    const bool unread_only = which == QLatin1String("0") || which == QLatin1String("REC UNREAD");
    const bool read_only = which == QLatin1String("1") || which == QLatin1String("REC READ");
    QByteArray out;
    for (Stored& stored : memory_) {
        if ((unread_only && stored.read) || (read_only && !stored.read))
            continue;
        out += "\r\n+CMGL: " + entry(stored, true).mid(2);
        stored.read = true;
    }
    return out + ok_reply;
}

QByteArray SmsMemory::read(int index)
{
    for (Stored& stored : memory_) {
        if (stored.index != index)
            continue;
        const QByteArray out = "\r\n+CMGR: " + entry(stored, false).mid(2) + ok_reply;
        stored.read = true;
        return out;
    }
    return cms_error(321);
}

QByteArray SmsMemory::feed_body(const QByteArray& bytes, bool* ended)
{
    *ended = false;
    for (char c : bytes) {
        if (c == 0x1B) {
            awaiting_ = false;
            *ended = true;
            log_->write("EV", "sms send cancelled");
            return ok_reply;
        }
        if (c == 0x1A) {
            awaiting_ = false;
            *ended = true;
            return sent(body_.trimmed());
        }
        body_ += c;
    }
    return {};
}

QByteArray SmsMemory::sent(const QByteArray& body)
{
    if (refusal_) {
        log_->write("EV", "sms refused " + QByteArray::number(refusal_));
        return cms_error(refusal_);
    }
    QString number = awaiting_number_, text;
    bool report = true;
    QString part = QStringLiteral("1/1");
    if (!text_mode_) {
        const Submit submit = read_submit(body);
        if (!submit.ok)
            return cms_error(304);
        number = submit.number;
        text = submit.text;
        report = submit.report;
        part = QStringLiteral("%1/%2").arg(submit.sequence).arg(submit.count);
    } else {
        text = ucs2_ ? from_ucs2_hex(QString::fromLatin1(body)) : QString::fromUtf8(body);
        if (ucs2_)
            number = from_ucs2_hex(number);
    }
    const int reference = next_reference_;
    next_reference_ = (next_reference_ + 1) % 256;
    log_->write("EV", QStringLiteral("sms sent %1 %2 %3 %4").arg(reference).arg(number, part, text).toUtf8());
    if (report && reports_ && cnmi_ds_ > 0) {
        const bool text_mode = text_mode_;
        QTimer::singleShot(300, this, [this, reference, number, text_mode] {
            const QDateTime now = QDateTime::currentDateTime();
            const QByteArray pdu = status_report_pdu(reference, number, now);
            const QByteArray line =
                text_mode ? QStringLiteral("\r\n+CDS: 6,%1,\"%2\",145,\"%3\",\"%3\",0\r\n")
                                .arg(reference).arg(number, text_time(now)).toLatin1()
                          : "\r\n+CDS: " + QByteArray::number(pdu.size() / 2 - 8) + "\r\n" + pdu + "\r\n";
            log_->write("EV", "sms report " + QByteArray::number(reference));
            emit unsolicited(line);
        });
    }
    return "\r\n+CMGS: " + QByteArray::number(reference) + "\r\n" + ok_reply;
}

int SmsMemory::free_index() const
{
    for (int index = 1;; ++index)
        if (std::none_of(memory_.cbegin(), memory_.cend(), [index](const Stored& s) { return s.index == index; }))
            return index;
}

void SmsMemory::store_or_hold(const Stored& message)
{
    if (memory_.size() >= capacity_) {
        // A full memory takes nothing and says nothing; the network keeps
        // the message until there is room.
        held_.append(message);
        log_->write("EV", "sms held, memory full");
        return;
    }
    Stored stored = message;
    stored.index = free_index();
    memory_.append(stored);
    log_->write("EV", "sms stored " + QByteArray::number(stored.index));
    if (cnmi_mt_ == 1 || cnmi_mt_ == 2)
        emit unsolicited("\r\n+CMTI: \"SM\"," + QByteArray::number(stored.index) + "\r\n");
}

void SmsMemory::take_held()
{
    while (!held_.isEmpty() && memory_.size() < capacity_)
        store_or_hold(held_.takeFirst());
}

QString SmsMemory::deliver(const Incoming& message)
{
    bool ucs2 = message.ucs2;
    for (QChar c : message.text)
        ucs2 = ucs2 || !plain_gsm(c);
    const int single = ucs2 ? ucs2_single : gsm_single, per_part = ucs2 ? ucs2_part : gsm_part;
    int count = qMax(message.parts, int(message.text.size()) <= single ? 1 : int((message.text.size() + per_part - 1) / per_part));
    const int size = int((message.text.size() + count - 1) / count);
    if (count > 1 && size > per_part)
        return QStringLiteral("text too long for that many parts");
    QList<int> order = message.order;
    if (order.isEmpty())
        for (int i = 1; i <= count; ++i)
            order.append(i);
    if (order.size() != count || std::any_of(order.cbegin(), order.cend(), [count](int i) { return i < 1 || i > count; }))
        return QStringLiteral("order must name each of the %1 parts once").arg(count);
    const int reference = next_concat_reference_++ % 256;
    const QDateTime now = QDateTime::currentDateTime();
    for (int sequence : order) {
        Stored stored;
        stored.from = message.from;
        stored.text = message.text.mid((sequence - 1) * size, size);
        stored.time = now;
        stored.pdu = deliver_pdu(message.from, stored.text, ucs2, reference, count, sequence, now);
        store_or_hold(stored);
    }
    return {};
}
