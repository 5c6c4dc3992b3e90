#include "messages/message.h"

#include <algorithm>

namespace messages {

namespace {
const char* const state_names[] = {"received", "read", "queued", "sending", "sent", "delivered", "failed", "incomplete"};
}

QString state_text(State state) { return QString::fromLatin1(state_names[int(state)]); }

bool state_from_text(const QString& text, State& state)
{
    for (int i = 0; i < int(std::size(state_names)); ++i)
        if (text == QLatin1String(state_names[i])) {
            state = State(i);
            return true;
        }
    return false;
}

QString direction_text(Direction direction)
{
    return direction == Direction::In ? QStringLiteral("in") : QStringLiteral("out");
}

QString conversation_key(const QString& number)
{
    QString digits;
    for (const QChar c : number)
        if (c.isDigit())
            digits.append(c);
    const bool numeric = !digits.isEmpty() && std::all_of(number.cbegin(), number.cend(), [](QChar c) {
        return c.isDigit() || c == u'+' || c == u' ' || c == u'-' || c == u'(' || c == u')';
    });
    if (!numeric)
        return number.trimmed().toCaseFolded();
    return digits.right(10);
}

}  // namespace messages
