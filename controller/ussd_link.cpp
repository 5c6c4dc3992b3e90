#include <QLoggingCategory>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "platform/clock.h"

Q_LOGGING_CATEGORY(lcKestrumUssd, "kestrum.ussd", QtWarningMsg)

namespace kestrum {

namespace key = blackboard::key;

// Like the command keys: read first so that an absent key is never
// created, then taken in one step. A request that may not go to the phone
// is answered "error" at once and never queued.
void Controller::take_ussd(const blackboard::Slot& slot)
{
    if (!slot.read(key::ussd, QString()).isEmpty()) {
        const QString text = slot.take(key::ussd, QString());
        if (!text.isEmpty()) {
            const bool accepted = ussd_.request(text);
            if (!accepted)
                qCWarning(lcKestrumUssd) << "request refused:" << text;
            // Taken is shown at once, so that a reader never takes the last
            // request's state for this one's.
            write_board(key::ussd_reply, QString());
            write_board(key::ussd_state, accepted ? blackboard::ussd_state::pending : blackboard::ussd_state::error);
        }
    }
    if (!slot.read(key::ussd_cancel, QString()).isEmpty()
        && blackboard::flag::is_on(slot.take(key::ussd_cancel, QString())))
        ussd_.cancel();
    ussd_.check_timeout(platform::clock().now_ms());
    publish_ussd();
}

// The reply first, so that a reader who sees the state finds its text.
void Controller::publish_ussd()
{
    for (const ussd::Outcome& outcome : ussd_.take_outcomes()) {
        write_board(key::ussd_reply, outcome.reply);
        write_board(key::ussd_state, outcome.state);
    }
}

// One exchange when a request or cancel waits its turn; its answer usually
// comes later, inside a call-list poll.
void Controller::send_ussd_command()
{
    const qint64 now = platform::clock().now_ms();
    ussd_.check_timeout(now);
    const QString command = ussd_.next_command(now);
    if (command.isEmpty())
        return;
    if (exchange_at_once(command) == QLatin1String("ER"))
        ussd_.command_failed();
    publish_ussd();
}

QString Controller::take_ussd_lines(const QString& reply, const QString& command)
{
    return ussd_.take_reply(reply, platform::clock().now_ms(), command.startsWith(QLatin1String("AT+CUSD")));
}

}  // namespace kestrum
