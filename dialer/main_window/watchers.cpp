#include "dialer/main_window/watchers.h"

#include <QStringList>
#include <array>

#include "blackboard/fields.h"
#include "blackboard/slot.h"
#include "dialer/dial/reestr.h"
#include "settings_store/settings_store.h"

namespace main_window {

namespace {
// Section 5 (Skype) has no controller and is never read.
constexpr std::array<int, 5> kAnnouncingSections{1, 2, 3, 4, 6};
}  // namespace

std::optional<IncomingCall> take_incoming_call()
{
    std::array<QString, kAnnouncingSections.size()> numbers;
    std::array<QString, kAnnouncingSections.size()> times;
    // Ten takes, nearly always of empty keys: one read transaction.
    const settings_store::ReadBatch batch;
    for (size_t i = 0; i < kAnnouncingSections.size(); ++i)
        numbers[i] = blackboard::Slot(kAnnouncingSections[i]).take(blackboard::key::vhod_zvonok, QString());
    for (size_t i = 0; i < kAnnouncingSections.size(); ++i)
        times[i] = blackboard::Slot(kAnnouncingSections[i]).take(blackboard::key::vhod_zvonok_time, QString());

    std::optional<IncomingCall> shown;
    for (size_t i = 0; i < kAnnouncingSections.size(); ++i) {
        if (!numbers[i].isEmpty())
            shown = IncomingCall{numbers[i], times[i]};
    }
    return shown;
}

bool call_request_pending() { return !pending_call_requests().isEmpty(); }

QString pending_call_requests()
{
    if (Reestr::wind() == blackboard::flag::off)
        return QString();
    const settings_store::ReadBatch batch;
    QStringList requests;
    bool pending = false;
    for (int slot = 4; slot >= 1; --slot) {
        requests.append(blackboard::Slot(slot).pozvonit());
        pending = pending || !requests.constLast().isEmpty();
    }
    return pending ? requests.join(blackboard::kFieldSeparator) : QString();
}

QStringList take_taken_call_requests()
{
    const settings_store::ReadBatch batch;
    QStringList taken;
    for (int slot = 4; slot >= 1; --slot)
        taken.append(blackboard::Slot(slot).take_pozvonit_taken());
    return Reestr::wind() == blackboard::flag::off ? QStringList() : taken;
}

bool CallRequestRaise::should_raise(const QString& pending_requests, const QStringList& taken)
{
    // A request the window already came forward for while it waited is
    // not raised again when it is taken.
    const QStringList raised = raised_for_.split(blackboard::kFieldSeparator);
    bool taken_unseen = false;
    for (qsizetype index = 0; index < taken.size(); ++index)
        taken_unseen = taken_unseen || (!taken[index].isEmpty() && raised.value(index) != taken[index]);
    const bool raise = (!pending_requests.isEmpty() && pending_requests != raised_for_) || taken_unseen;
    raised_for_ = pending_requests;
    return raise;
}

}  // namespace main_window
