#include "blackboard/call_list.h"

#include <algorithm>
#include <limits>

namespace blackboard {

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

namespace {

enum Field { kIndex, kDirection, kState, kMode, kMultiparty, kNumber };

CallEntry entry_of(const QString& text)
{
    CallEntry entry;
    entry.fields = text.split(u',');
    const auto number_at = [&](int field) {
        return field < entry.fields.size() ? leading_integer(entry.fields[field]) : -1;
    };
    entry.index = std::max(0, number_at(kIndex));
    const int direction = number_at(kDirection);
    entry.direction = direction == 0 || direction == 1 ? CallDirection(direction)
                                                        : CallDirection::Unknown;
    entry.has_state = kState < entry.fields.size();
    entry.raw_state = number_at(kState);
    entry.state = entry.raw_state >= 0 && entry.raw_state <= 5 ? CallState(entry.raw_state)
                                                               : CallState::Unknown;
    entry.mode = std::max(0, number_at(kMode));
    entry.multiparty = number_at(kMultiparty) == 1;
    if (kNumber < entry.fields.size())
        entry.number = QString(entry.fields[kNumber]).remove(u'"');
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

}  // namespace blackboard
