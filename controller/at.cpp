#include "controller/at.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <initializer_list>
#include <limits>

namespace {

constexpr int field_direction = 1;
constexpr int field_state = 2;
constexpr int field_number = 5;

// One entry of the reply, cut into its fields, with its state already read.
struct Call {
    QStringList fields;
    int state = 0;
};

const QString& field(const Call& call, int index, int entry_no)
{
    if (index >= call.fields.size())
        throw AtFieldMissing(QStringLiteral("call entry %1 has no field %2")
                                 .arg(entry_no).arg(index).toStdString());
    return call.fields[index];
}

// The entries of the reply in the phone's order; whatever precedes the
// first marker is no entry.
QStringList entries_of(const QString& reply)
{
    QStringList pieces = reply.split(QStringLiteral("+CLCC:"));
    pieces.removeFirst();
    return pieces;
}

// The leading decimal integer of the trimmed text, 0 when there is none.
// Values too large for an int saturate: they are no known state either way.
int leading_integer(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == u'-' || trimmed[pos] == u'+')) {
        negative = trimmed[pos] == u'-';
        ++pos;
    }
    long long value = 0;
    const long long limit = std::numeric_limits<int>::max();
    for (; pos < trimmed.size() && trimmed[pos] >= u'0' && trimmed[pos] <= u'9'; ++pos)
        value = std::min(limit, value * 10 + (trimmed[pos].unicode() - u'0'));
    return static_cast<int>(negative ? -value : value);
}

// Every entry with its state; an entry without a state field fails the
// whole question, since no answer about the call list can skip a call.
QList<Call> calls_of(const QString& reply)
{
    QList<Call> calls;
    int entry_no = 0;
    for (const QString& entry : entries_of(reply)) {
        Call call;
        call.fields = entry.split(u',');
        call.state = leading_integer(field(call, field_state, ++entry_no));
        calls.append(call);
    }
    return calls;
}

// A call listed without its number (withheld caller ID) has the number "".
QString number_of(const Call& call)
{
    if (field_number >= call.fields.size())
        return QString();
    QString number = call.fields[field_number];
    return number.remove(u'"');
}

int count_in_state(const QList<Call>& calls, int state)
{
    int count = 0;
    for (const Call& call : calls)
        count += call.state == state ? 1 : 0;
    return count;
}

int any_in_state(const QString& reply, int state)
{
    return count_in_state(calls_of(reply), state) > 0 ? 1 : 0;
}

// The last call (phone order) in one of the given states, or none.
const Call* last_in_state(const QList<Call>& calls, std::initializer_list<int> states)
{
    for (auto it = calls.crbegin(); it != calls.crend(); ++it)
        for (int state : states)
            if (it->state == state)
                return &*it;
    return nullptr;
}

QString state_label(const QString& raw)
{
    if (raw == u"0")
        return QStringLiteral("Разг.");
    if (raw == u"1")
        return QStringLiteral("Удерж.");
    return raw;
}

QString direction_label(const QString& raw)
{
    if (raw == u"0")
        return QStringLiteral("(Исх. вызов)");
    if (raw == u"1")
        return QStringLiteral("(Вх. вызов)");
    return raw;
}

// Part `part` of item n (1-based) of the call list, where an item is
// "number,state / direction"; "" when there is no such item or part.
QString call_list_part(const QString& reply, int n, int part)
{
    const QStringList items = at::call_list(reply).split(u';');
    // The piece after the final ";" is no item.
    if (n < 1 || n - 1 >= items.size() - 1)
        return QString();
    const QStringList parts = items[n - 1].split(u',');
    return part < parts.size() ? parts[part] : QString();
}

}  // namespace

namespace at {

QString call_state_text(const QString& reply, int n)
{
    const QStringList entries = entries_of(reply);
    if (n < 1 || n > entries.size())
        return QString();
    Call call;
    call.fields = entries[n - 1].split(u',');
    const QString state = field(call, field_state, n).trimmed();
    static const QStringList texts = {
        QStringLiteral("Разговор"),
        QStringLiteral("Вызов удержан на второй линии"),
        QStringLiteral("Набор номера"),
        QStringLiteral("Выполняется соединение...."),
        QStringLiteral("Входящий вызов"),
        QStringLiteral("Дозвон по второй линии"),
    };
    for (int state_no = 0; state_no < texts.size(); ++state_no)
        if (state == QString::number(state_no))
            return texts[state_no];
    return QString();
}

int has_active(const QString& reply) { return any_in_state(reply, 0); }
int has_incoming(const QString& reply) { return any_in_state(reply, 4); }
int has_waiting(const QString& reply) { return any_in_state(reply, 5); }

int has_outgoing_setup(const QString& reply)
{
    const QList<Call> calls = calls_of(reply);
    return count_in_state(calls, 2) + count_in_state(calls, 3) > 0 ? 1 : 0;
}

int conference_kind(const QString& reply)
{
    const QList<Call> calls = calls_of(reply);
    if (count_in_state(calls, 1) > 1)
        return 2;
    if (count_in_state(calls, 0) > 1)
        return 1;
    return 0;
}

// One active and one held call can be joined, and so can a held conference
// with an active call; a held call beside an active conference cannot.
int can_join(const QString& reply)
{
    if (count_in_state(calls_of(reply), 1) == 0)
        return 0;
    const int kind = conference_kind(reply);
    return kind == 0 || (kind == 2 && has_active(reply) == 1) ? 1 : 0;
}

QString incoming_number(const QString& reply)
{
    const QList<Call> calls = calls_of(reply);
    const Call* call = last_in_state(calls, {4});
    return call ? number_of(*call) : QString();
}

QString waiting_number(const QString& reply)
{
    const QList<Call> calls = calls_of(reply);
    const Call* call = last_in_state(calls, {5});
    return call ? number_of(*call) : QString();
}

QString outgoing_call(const QString& reply, int mode)
{
    const QList<Call> calls = calls_of(reply);
    const Call* call = last_in_state(calls, {2, 3});
    if (!call)
        return QString();
    if (mode == 0)
        return number_of(*call);
    return call->state == 2 ? QStringLiteral("Набор номера....")
                            : QStringLiteral("Ожидание ответа....");
}

// Active and held calls as "number,state / direction;" items, the last one
// in the phone's order first.
QString call_list(const QString& reply)
{
    QString list;
    int entry_no = 0;
    for (const Call& call : calls_of(reply)) {
        ++entry_no;
        if (call.state != 0 && call.state != 1)
            continue;
        const QString item = number_of(call) + u',' + state_label(call.fields[field_state])
                             + QStringLiteral(" / ")
                             + direction_label(field(call, field_direction, entry_no)) + u';';
        list.prepend(item);
    }
    return list;
}

QString call_list_state(const QString& reply, int n) { return call_list_part(reply, n, 1); }
QString call_list_number(const QString& reply, int n) { return call_list_part(reply, n, 0); }

}  // namespace at
