#include "controller/phonebook_read.h"

#include <QRegularExpression>

namespace {

bool ok(const PhonebookRead::Reply& reply) { return reply.result == QLatin1String("OK"); }

// "+CME ERROR: 22": nothing stored at that place (or range).
bool not_found(const PhonebookRead::Reply& reply)
{
    return reply.result.simplified() == QLatin1String("+CME ERROR: 22");
}

QString first_line_after(const QStringList& lines, const QString& prefix)
{
    for (const QString& line : lines)
        if (line.trimmed().startsWith(prefix))
            return line.trimmed().mid(prefix.size()).trimmed();
    return QString();
}

// Splits a reply's fields at commas outside double quotes; quotes removed.
QStringList fields_of(const QString& text)
{
    QStringList fields(1);
    bool quoted = false;
    for (QChar c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

bool is_ucs2_hex(const QString& text)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{4})+$"));
    return hex.match(text).hasMatch();
}

QString from_ucs2_hex(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i + 4 <= text.size(); i += 4)
        out += QChar(char16_t(text.mid(i, 4).toUShort(nullptr, 16)));
    return out;
}

// A number sent hex-encoded reads as dial characters once decoded.
QString number_of(const QString& text)
{
    static const QRegularExpression dialable(QStringLiteral("^\\+?[0-9*#pPwW,]+$"));
    if (text.size() >= 8 && is_ucs2_hex(text)) {
        const QString decoded = from_ucs2_hex(text);
        if (dialable.match(decoded).hasMatch())
            return decoded;
    }
    return text;
}

}  // namespace

PhonebookRead::PhonebookRead(const QStringList& memories, int range_size)
    : memories_(memories), range_size_(qMax(1, range_size))
{
    go(Step::AskCharset);
}

bool PhonebookRead::parse_entry(const QString& line, bool ucs2, contacts::Contact& entry)
{
    const QString text = line.trimmed();
    if (!text.startsWith(QLatin1String("+CPBR:")))
        return false;
    const QStringList fields = fields_of(text.mid(6).trimmed());
    bool index_ok = false;
    entry.index = fields.value(0).trimmed().toInt(&index_ok);
    if (!index_ok || fields.size() < 2)
        return false;
    entry.numbers = {contacts::ContactNumber{number_of(fields[1].trimmed()), {}}};
    const QString name = fields.mid(3).join(',');
    entry.name = ucs2 && is_ucs2_hex(name) ? from_ucs2_hex(name) : name;
    entry.name = entry.name.trimmed();
    return !entry.numbers.first().number.isEmpty();
}

void PhonebookRead::go(Step step)
{
    step_ = step;
    const QString memory = memories_.value(memory_);
    switch (step) {
    case Step::AskCharset: command_ = QStringLiteral("AT+CSCS?"); break;
    case Step::Select: command_ = QStringLiteral("AT+CPBS=\"%1\"").arg(memory); break;
    case Step::AskUsed: command_ = QStringLiteral("AT+CPBS?"); break;
    case Step::AskPlaces: command_ = QStringLiteral("AT+CPBR=?"); break;
    case Step::ToUcs2: command_ = QStringLiteral("AT+CSCS=\"UCS2\""); break;
    case Step::ReadRange: command_ = QStringLiteral("AT+CPBR=%1,%2").arg(at_).arg(range_last_); break;
    case Step::ReadPlace: command_ = QStringLiteral("AT+CPBR=%1").arg(at_); break;
    case Step::Restore: command_ = QStringLiteral("AT+CSCS=\"%1\"").arg(own_charset_); break;
    }
}

void PhonebookRead::next_memory()
{
    ++memory_;
    one_at_a_time_ = false;
    used_ = -1;
    seen_ = 0;
    if (memory_ >= memories_.size())
        command_.clear();
    else
        go(Step::Select);
}

// The next range (or place) of the memory, under UCS2 when the phone has it.
void PhonebookRead::next_range()
{
    const bool all_seen = used_ >= 0 && seen_ >= used_;
    if (at_ > last_ || all_seen) {
        next_memory();
        return;
    }
    range_last_ = one_at_a_time_ ? at_ : qMin(last_, at_ + range_size_ - 1);
    if (!ucs2_refused_ && !in_ucs2_ && !own_charset_.isEmpty() && own_charset_ != QLatin1String("UCS2"))
        go(Step::ToUcs2);
    else
        go(one_at_a_time_ ? Step::ReadPlace : Step::ReadRange);
}

void PhonebookRead::take_entries(const Reply& reply)
{
    const bool ucs2 = in_ucs2_ || own_charset_ == QLatin1String("UCS2");
    for (const QString& line : reply.lines) {
        contacts::Contact entry;
        if (!parse_entry(line, ucs2, entry))
            continue;
        entry.origin = contacts::Origin::Phone;
        entry.memory = memories_.value(memory_);
        entries_ << entry;
        ++seen_;
    }
}

void PhonebookRead::take(const Reply& reply)
{
    static const QRegularExpression places(QStringLiteral("\\((\\d+)\\s*-\\s*(\\d+)\\)"));
    switch (step_) {
    case Step::AskCharset:
        own_charset_ = fields_of(first_line_after(reply.lines, QStringLiteral("+CSCS:"))).value(0).trimmed();
        // Without knowing its own set the phone could not be given it
        // back: the read stays in it.
        ucs2_refused_ = own_charset_.isEmpty();
        next_memory();
        return;
    case Step::Select:
        ok(reply) ? go(Step::AskUsed) : next_memory();
        return;
    case Step::AskUsed: {
        const QStringList fields = fields_of(first_line_after(reply.lines, QStringLiteral("+CPBS:")));
        bool known = false;
        const int used = fields.value(1).trimmed().toInt(&known);
        used_ = known ? used : -1;
        if (used_ == 0)
            next_memory();
        else
            go(Step::AskPlaces);
        return;
    }
    case Step::AskPlaces: {
        const QRegularExpressionMatch match = places.match(first_line_after(reply.lines, QStringLiteral("+CPBR:")));
        if (!ok(reply) || !match.hasMatch()) {
            next_memory();
            return;
        }
        first_ = match.captured(1).toInt();
        last_ = match.captured(2).toInt();
        at_ = first_;
        next_range();
        return;
    }
    case Step::ToUcs2:
        in_ucs2_ = ok(reply);
        ucs2_refused_ = !in_ucs2_;
        go(one_at_a_time_ ? Step::ReadPlace : Step::ReadRange);
        return;
    case Step::ReadRange:
        if (!ok(reply) && !not_found(reply)) {
            // Refused as a range: the same places one at a time.
            one_at_a_time_ = true;
            range_last_ = at_;
            go(Step::ReadPlace);
            return;
        }
        take_entries(reply);
        at_ = range_last_ + 1;
        break;
    case Step::ReadPlace:
        take_entries(reply);
        at_ = range_last_ + 1;
        // A few places at a time under one change of character set.
        if (in_ucs2_ && at_ <= last_ && at_ % range_size_ != first_ % range_size_ && !(used_ >= 0 && seen_ >= used_)) {
            range_last_ = at_;
            go(Step::ReadPlace);
            return;
        }
        break;
    case Step::Restore:
        in_ucs2_ = false;
        next_range();
        return;
    }
    if (in_ucs2_)
        go(Step::Restore);
    else
        next_range();
}
