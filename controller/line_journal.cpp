#include "controller/line_journal.h"

#include <QRegularExpression>

#include "platform/clock.h"

namespace kestrum {

qint64 LineJournal::now() { return platform::clock().wall_clock_ms(); }

void LineJournal::open(const QString& line, bool record)
{
    tracker_.reset();
    journal_.reset();
    if (!record)
        return;
    journal_ = std::make_unique<journal::Journal>();
    journal_->keep_failed_writes(true);
    tracker_ = std::make_unique<journal::CallTracker>(*journal_, line);
    tracker_->controller_started();
}

void LineJournal::set_model(const QString& model)
{
    if (tracker_)
        tracker_->set_model(model);
}

void LineJournal::call_list_polled(const QString& reply, const QList<blackboard::CallEntry>& calls)
{
    if (!tracker_)
        return;
    journal_->retry_kept_writes(journal::Journal::retry_wait_ms);
    if (reply.contains(QLatin1String("OK")))
        tracker_->call_list(calls, now());
    else
        tracker_->link_lost(now());
}

void LineJournal::command_sent(journal::DeclineCommand command)
{
    if (tracker_)
        tracker_->command_sent(command);
}

void LineJournal::dialled(const QString& number)
{
    if (tracker_)
        tracker_->dialled(number, now());
}

void LineJournal::dial_dropped()
{
    if (tracker_)
        tracker_->dial_dropped(now());
}

void LineJournal::dialled_without_list(const QString& number)
{
    if (tracker_)
        tracker_->dialled_without_list(number, now());
}

void LineJournal::wired_reply(const QString& reply)
{
    if (!tracker_)
        return;
    static const QStringList refusals{QStringLiteral("BUSY"), QStringLiteral("NO CARRIER"),
                                      QStringLiteral("NO DIALTONE"), QStringLiteral("NO ANSWER")};
    for (const QString& refusal : refusals) {
        if (reply.contains(refusal)) {
            tracker_->dial_refused(now());
            break;
        }
    }
    if (!reply.contains(QLatin1String("RING")))
        return;
    static const QRegularExpression caller(QStringLiteral(R"re(\+CLIP:\s*"([^"]*)"|NMBR\s*=\s*(\S+))re"));
    const QRegularExpressionMatch match = caller.match(reply);
    const QString number = match.hasMatch() ? match.captured(1) + match.captured(2) : QString();
    tracker_->ring_without_list(number, now());
}

void LineJournal::answered_without_list()
{
    if (tracker_)
        tracker_->answered_without_list(now());
}

void LineJournal::hung_up_without_list()
{
    if (tracker_)
        tracker_->hung_up_without_list(now());
}

void LineJournal::tick_without_list()
{
    if (!tracker_)
        return;
    journal_->retry_kept_writes(journal::Journal::retry_wait_ms);
    tracker_->tick_without_list(now());
}

void LineJournal::controller_ending()
{
    if (!tracker_)
        return;
    tracker_->controller_ending(now());
    // The last chance for what the journal could not take: a lock held
    // a little longer is waited for, within the controller's second to end.
    journal_->retry_kept_writes(last_wait_ms);
}

}  // namespace kestrum
