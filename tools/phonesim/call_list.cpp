#include "call_list.h"

#include <algorithm>

const Call* CallList::find_serial(quint64 serial) const
{
    for (const Call& call : calls_)
        if (call.serial == serial)
            return &call;
    return nullptr;
}

int CallList::count(int stat) const
{
    return int(std::count_if(calls_.begin(), calls_.end(), [stat](const Call& c) { return c.stat == stat; }));
}

Call* CallList::first(int stat)
{
    for (Call& call : calls_)
        if (call.stat == stat)
            return &call;
    return nullptr;
}

void CallList::set_all(int from, int to)
{
    for (Call& call : calls_)
        if (call.stat == from)
            call.stat = to;
}

void CallList::remove_if(const std::function<bool(const Call&)>& which)
{
    calls_.removeIf(which);
    settle();
}

void CallList::add(Call call, quint64* serial)
{
    int id = 1;
    while (std::any_of(calls_.begin(), calls_.end(), [id](const Call& c) { return c.id == id; }))
        ++id;
    call.id = id;
    call.serial = next_serial_++;
    if (serial)
        *serial = call.serial;
    auto at = std::find_if(calls_.begin(), calls_.end(), [id](const Call& c) { return c.id > id; });
    calls_.insert(at, call);
}

// A waiting call with nothing else left rings as a plain incoming call;
// a conference of fewer than two parties is no conference any more.
void CallList::settle()
{
    if (!calls_.isEmpty() && count(Call::Waiting) == calls_.size() && calls_.size() == 1)
        calls_.first().stat = Call::Incoming;
    const auto parties = std::count_if(calls_.begin(), calls_.end(), [](const Call& c) { return c.mpty; });
    if (parties < 2)
        for (Call& call : calls_)
            call.mpty = false;
}

bool CallList::dial(const QString& number, quint64* serial)
{
    const bool busy_line = count(Call::Dialing) || count(Call::Alerting) || count(Call::Incoming);
    const bool two_groups = count(Call::Active) && count(Call::Held);
    if (busy_line || two_groups || calls_.size() >= max_calls)
        return false;
    set_all(Call::Active, Call::Held);  // the conversation waits while we dial
    Call call;
    call.dir = 0;
    call.stat = Call::Dialing;
    call.number = number;
    add(call, serial);
    return true;
}

bool CallList::ring(const QString& number, bool force_waiting, quint64* serial)
{
    if (count(Call::Incoming) || count(Call::Waiting) || calls_.size() >= max_calls)
        return false;
    Call call;
    call.dir = 1;
    call.stat = (calls_.isEmpty() && !force_waiting) ? Call::Incoming : Call::Waiting;
    call.number = number;
    add(call, serial);
    return true;
}

bool CallList::answer()
{
    if (Call* incoming = first(Call::Incoming)) {
        incoming->stat = Call::Active;
        return true;
    }
    Call* waiting = first(Call::Waiting);
    if (!waiting || (count(Call::Active) && count(Call::Held)))
        return false;
    set_all(Call::Active, Call::Held);
    waiting->stat = Call::Active;
    return true;
}

void CallList::hang_up()
{
    remove_if([](const Call& c) { return c.stat != Call::Held && c.stat != Call::Waiting; });
}

void CallList::release_held_or_waiting()
{
    if (count(Call::Waiting) || count(Call::Incoming))
        remove_if([](const Call& c) { return c.stat == Call::Waiting || c.stat == Call::Incoming; });
    else
        remove_if([](const Call& c) { return c.stat == Call::Held; });
}

bool CallList::release_active_accept_other()
{
    calls_.removeIf([](const Call& c) { return c.stat == Call::Active; });
    if (Call* waiting = first(Call::Waiting))
        waiting->stat = Call::Active;
    else
        set_all(Call::Held, Call::Active);
    settle();
    return true;
}

bool CallList::release_id(int id)
{
    const auto before = calls_.size();
    remove_if([id](const Call& c) { return c.id == id; });
    return calls_.size() != before;
}

bool CallList::swap()
{
    if (Call* waiting = first(Call::Waiting)) {
        if (count(Call::Active) && count(Call::Held))
            return false;
        set_all(Call::Active, Call::Held);
        waiting->stat = Call::Active;
        return true;
    }
    if (!count(Call::Active) && !count(Call::Held))
        return false;
    for (Call& call : calls_) {
        if (call.stat == Call::Active)
            call.stat = Call::Held;
        else if (call.stat == Call::Held)
            call.stat = Call::Active;
    }
    return true;
}

bool CallList::split(int id)
{
    auto chosen = std::find_if(calls_.begin(), calls_.end(), [id](const Call& c) { return c.id == id; });
    if (chosen == calls_.end() || (chosen->stat != Call::Active && chosen->stat != Call::Held))
        return false;
    set_all(Call::Active, Call::Held);
    chosen->stat = Call::Active;
    chosen->mpty = false;
    settle();
    return true;
}

bool CallList::join()
{
    if (!count(Call::Held) || count(Call::Active) + count(Call::Held) < 2)
        return false;
    for (Call& call : calls_) {
        if (call.stat == Call::Active || call.stat == Call::Held) {
            call.stat = Call::Active;
            call.mpty = true;
        }
    }
    return true;
}

bool CallList::set_state(quint64 serial, int stat)
{
    for (Call& call : calls_) {
        if (call.serial == serial) {
            call.stat = stat;
            return true;
        }
    }
    return false;
}

bool CallList::outgoing_answered()
{
    Call* setup = first(Call::Alerting);
    if (!setup)
        setup = first(Call::Dialing);
    if (!setup)
        return false;
    setup->stat = Call::Active;
    return true;
}

bool CallList::outgoing_busy()
{
    const auto before = calls_.size();
    remove_if([](const Call& c) { return c.stat == Call::Dialing || c.stat == Call::Alerting; });
    return calls_.size() != before;
}

bool CallList::release_serial(quint64 serial)
{
    const auto before = calls_.size();
    remove_if([serial](const Call& c) { return c.serial == serial; });
    return calls_.size() != before;
}

int CallList::release_number(const QString& number)
{
    const auto before = calls_.size();
    remove_if([&number](const Call& c) { return c.number == number; });
    return int(before - calls_.size());
}

QString CallList::fields(const Call& call)
{
    QString text = QStringLiteral("%1,%2,%3,0,%4").arg(call.id).arg(call.dir).arg(call.stat).arg(call.mpty ? 1 : 0);
    if (call.number.isEmpty())
        return text;  // a withheld caller: the optional fields are left out
    const int type = call.number.startsWith(QLatin1Char('+')) ? 145 : 129;
    return text + QStringLiteral(",\"%1\",%2").arg(call.number).arg(type);
}

QStringList CallList::clcc_fields() const
{
    QStringList lines;
    for (const Call& call : calls_)
        lines.append(fields(call));
    return lines;
}
