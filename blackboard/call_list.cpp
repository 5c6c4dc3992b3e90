#include "blackboard/call_list.h"

#include <algorithm>

#include "blackboard/phone_text.h"

namespace blackboard {

namespace {

CallEntry entry_of(const QString& text)
{
    CallEntry entry;
    entry.fields = text.split(u',');
    const auto number_at = [&](CallField field) {
        return field < entry.fields.size() ? leading_integer(entry.fields[field]) : -1;
    };
    entry.index = std::max(0, number_at(kIndexField));
    const int direction = number_at(kDirectionField);
    entry.direction = direction == 0 || direction == 1 ? CallDirection(direction)
                                                        : CallDirection::Unknown;
    entry.has_state = kStateField < entry.fields.size();
    entry.raw_state = number_at(kStateField);
    entry.state = entry.raw_state >= 0 && entry.raw_state <= 5 ? CallState(entry.raw_state)
                                                               : CallState::Unknown;
    entry.mode = std::max(0, number_at(kModeField));
    entry.multiparty = number_at(kMultipartyField) == 1;
    if (kNumberField < entry.fields.size())
        entry.number = QString(entry.fields[kNumberField]).remove(u'"');
    return entry;
}

}  // namespace

QList<CallEntry> parse_call_list(const QString& reply)
{
    QList<CallEntry> entries;
    QStringList pieces = reply.split(QStringLiteral("+CLCC:"));
    pieces.removeFirst();
    for (const QString& piece : pieces)
        entries.append(entry_of(piece));
    return entries;
}

bool has_active_call(const QList<CallEntry>& calls)
{
    for (const CallEntry& entry : calls)
        if (entry.is(CallState::Active))
            return true;
    return false;
}

}  // namespace blackboard
