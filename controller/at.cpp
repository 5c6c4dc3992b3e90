#include "controller/at.h"

#include <initializer_list>

namespace {

using blackboard::CallEntry;
using blackboard::CallState;

AtFieldMissing missing_state(int entry_no)
{
    return AtFieldMissing(QStringLiteral("call entry %1 has no field %2")
                              .arg(entry_no)
                              .arg(int(blackboard::kStateField))
                              .toStdString());
}

// The labels of the list items keep a field as listed unless it is exactly
// a known value.
QString state_label(const QString& listed)
{
    if (listed == u"0")
        return QStringLiteral("Разг.");
    if (listed == u"1")
        return QStringLiteral("Удерж.");
    return listed;
}

QString direction_label(const QString& listed)
{
    if (listed == u"0")
        return QStringLiteral("(Исх. вызов)");
    if (listed == u"1")
        return QStringLiteral("(Вх. вызов)");
    return listed;
}

QString list_item(const CallEntry& call)
{
    return call.number + u',' + state_label(call.fields[blackboard::kStateField])
           + QStringLiteral(" / ") + direction_label(call.fields[blackboard::kDirectionField]) + u';';
}

int count_in_state(const at::CallListView& calls, CallState state)
{
    int count = 0;
    for (const CallEntry& call : calls.every_call())
        count += call.state == state ? 1 : 0;
    return count;
}

int any_in_state(const at::CallListView& calls, CallState state)
{
    return count_in_state(calls, state) > 0 ? 1 : 0;
}

// The last call (phone order) in one of the given states, or none.
const CallEntry* last_in_state(const at::CallListView& calls, std::initializer_list<CallState> states)
{
    const QList<CallEntry>& every = calls.every_call();
    for (auto it = every.crbegin(); it != every.crend(); ++it)
        for (CallState state : states)
            if (it->state == state)
                return &*it;
    return nullptr;
}

QString number_of(const CallEntry* call) { return call ? call->number : QString(); }

// Part `part` of item n (1-based) of the call list, where an item is
// "number,state / direction"; "" when there is no such item or part. The
// items are found by cutting the list text, as the list's readers do.
QString call_list_part(const at::CallListView& calls, int n, int part)
{
    const QStringList& pieces = calls.list_pieces();
    // The piece after the final ";" is no item.
    if (n < 1 || n - 1 >= pieces.size() - 1)
        return QString();
    const QStringList parts = pieces[n - 1].split(u',');
    return part < parts.size() ? parts[part] : QString();
}

}  // namespace

namespace at {

CallListView::CallListView(const QString& reply)
    : entries_(blackboard::parse_call_list(reply))
{
    for (int i = 0; i < entries_.size() && first_without_state_ == 0; ++i)
        if (!entries_[i].has_state)
            first_without_state_ = i + 1;
    if (first_without_state_ != 0)
        return;
    for (const CallEntry& call : entries_)
        if (call.state == CallState::Active || call.state == CallState::Held)
            list_text_.prepend(list_item(call));
    list_pieces_ = list_text_.split(u';');
}

void CallListView::require_states() const
{
    if (first_without_state_ != 0)
        throw missing_state(first_without_state_);
}

const QList<CallEntry>& CallListView::every_call() const
{
    require_states();
    return entries_;
}

const QString& CallListView::list_text() const
{
    require_states();
    return list_text_;
}

const QStringList& CallListView::list_pieces() const
{
    require_states();
    return list_pieces_;
}

QString call_state_text(const CallListView& calls, int n)
{
    const QList<CallEntry>& entries = calls.entries();
    if (n < 1 || n > entries.size())
        return QString();
    const CallEntry& call = entries[n - 1];
    if (!call.has_state)
        throw missing_state(n);
    const QString state = call.fields[blackboard::kStateField].trimmed();
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

int has_active(const CallListView& calls) { return any_in_state(calls, CallState::Active); }
int has_incoming(const CallListView& calls) { return any_in_state(calls, CallState::Incoming); }
int has_waiting(const CallListView& calls) { return any_in_state(calls, CallState::Waiting); }

int has_outgoing_setup(const CallListView& calls)
{
    return last_in_state(calls, {CallState::Dialling, CallState::Alerting}) ? 1 : 0;
}

int conference_kind(const CallListView& calls)
{
    if (count_in_state(calls, CallState::Held) > 1)
        return 2;
    if (count_in_state(calls, CallState::Active) > 1)
        return 1;
    return 0;
}

// One active and one held call can be joined, and so can a held conference
// with an active call; a held call beside an active conference cannot.
int can_join(const CallListView& calls)
{
    if (count_in_state(calls, CallState::Held) == 0)
        return 0;
    const int kind = conference_kind(calls);
    return kind == 0 || (kind == 2 && has_active(calls) == 1) ? 1 : 0;
}

QString incoming_number(const CallListView& calls)
{
    return number_of(last_in_state(calls, {CallState::Incoming}));
}

QString waiting_number(const CallListView& calls)
{
    return number_of(last_in_state(calls, {CallState::Waiting}));
}

QString outgoing_call(const CallListView& calls, int mode)
{
    const CallEntry* call = last_in_state(calls, {CallState::Dialling, CallState::Alerting});
    if (!call)
        return QString();
    if (mode == 0)
        return call->number;
    return call->state == CallState::Dialling ? QStringLiteral("Набор номера....")
                                              : QStringLiteral("Ожидание ответа....");
}

QString call_list(const CallListView& calls) { return calls.list_text(); }

QString call_list_state(const CallListView& calls, int n) { return call_list_part(calls, n, 1); }
QString call_list_number(const CallListView& calls, int n) { return call_list_part(calls, n, 0); }

// Each question of the reply text parses it and asks the view.
QString call_state_text(const QString& reply, int n) { return call_state_text(CallListView(reply), n); }
int has_active(const QString& reply) { return has_active(CallListView(reply)); }
int has_incoming(const QString& reply) { return has_incoming(CallListView(reply)); }
int has_waiting(const QString& reply) { return has_waiting(CallListView(reply)); }
int has_outgoing_setup(const QString& reply) { return has_outgoing_setup(CallListView(reply)); }
int conference_kind(const QString& reply) { return conference_kind(CallListView(reply)); }
int can_join(const QString& reply) { return can_join(CallListView(reply)); }
QString incoming_number(const QString& reply) { return incoming_number(CallListView(reply)); }
QString waiting_number(const QString& reply) { return waiting_number(CallListView(reply)); }
QString outgoing_call(const QString& reply, int mode) { return outgoing_call(CallListView(reply), mode); }
QString call_list(const QString& reply) { return call_list(CallListView(reply)); }
QString call_list_state(const QString& reply, int n) { return call_list_state(CallListView(reply), n); }
QString call_list_number(const QString& reply, int n) { return call_list_number(CallListView(reply), n); }

}  // namespace at
