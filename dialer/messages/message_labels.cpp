#include "dialer/messages/message_labels.h"

#include <QDateTime>

#include "blackboard/stored_texts.h"

namespace messages_window {

using messages::State;

QString state_label(const messages::Message& message)
{
    switch (message.state) {
    case State::Queued:
    case State::Sending:
        return Labels::tr("Отправляется");
    case State::Sent:
        return Labels::tr("Отправлено");
    case State::Delivered:
        return Labels::tr("Доставлено");
    case State::Failed:
        return Labels::tr("Ошибка: %1").arg(blackboard::shown_text(message.reason));
    case State::Incomplete:
        return blackboard::shown_text(message.reason);
    case State::Received:
    case State::Read:
        break;
    }
    return QString();
}

QString counter_label(const messages::PartCount& count)
{
    const QString encoding = count.encoding == messages::Encoding::Ucs2 ? QStringLiteral("UCS2") : QStringLiteral("GSM");
    return Labels::tr("Осталось %1, частей: %2 (%3)").arg(count.left).arg(count.parts).arg(encoding);
}

QString short_time_label(qint64 ms, qint64 now_ms)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms);
    if (time.date() == QDateTime::fromMSecsSinceEpoch(now_ms).date())
        return time.toString(QStringLiteral("HH:mm"));
    return time.toString(QStringLiteral("dd.MM.yy"));
}

QString message_line(const messages::Message& message)
{
    const bool out = message.direction == messages::Direction::Out;
    QString line = (out ? Labels::tr("Исходящее") : Labels::tr("Входящее")) + QStringLiteral(", ")
                   + journal::time_label(message.received_ms);
    const QString state = state_label(message);
    if (!state.isEmpty())
        line += QStringLiteral(", ") + state;
    return line + QStringLiteral(": ") + message.text;
}

QString call_line(const journal::CallRecord& call)
{
    QString line = (call.direction == journal::Direction::In ? Labels::tr("Входящий звонок") : Labels::tr("Исходящий звонок"))
                   + QStringLiteral(", ") + journal::time_label(call.start_ms) + QStringLiteral(", ")
                   + journal::outcome_label(call.outcome);
    if (call.talk_seconds() > 0)
        line += QStringLiteral(", ") + journal::duration_label(call.talk_seconds());
    return line;
}

}  // namespace messages_window
