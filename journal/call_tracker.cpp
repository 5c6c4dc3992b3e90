#include "journal/call_tracker.h"

#include "journal/journal_database.h"

#include <algorithm>
#include <utility>

namespace journal {

using blackboard::CallDirection;
using blackboard::CallEntry;
using blackboard::CallState;

namespace {

// How often the time a call was last seen is written: the duration an
// interrupted call keeps is this precise, and a tick costs no write mostly.
constexpr qint64 seen_write_interval_ms = 1000;

// A phone may leave the direction field out or garble it; the state tells
// it too.
CallDirection direction_of(const CallEntry& entry)
{
    if (entry.direction != CallDirection::Unknown)
        return entry.direction;
    if (entry.is(CallState::Incoming) || entry.is(CallState::Waiting))
        return CallDirection::Incoming;
    if (entry.is(CallState::Dialling) || entry.is(CallState::Alerting))
        return CallDirection::Outgoing;
    return CallDirection::Unknown;
}

bool talking(const CallEntry& entry) { return entry.is(CallState::Active) || entry.is(CallState::Held); }

}  // namespace

CallTracker::CallTracker(Journal& journal, const QString& line) : journal_(journal), line_(line) {}

void CallTracker::controller_started()
{
    left_open_ = journal_.open_calls(line_);
    first_failure_ms_ = 0;
}

void CallTracker::adopt_left_open(const QList<CallEntry>& entries)
{
    for (const CallEntry& entry : entries) {
        const CallDirection direction = direction_of(entry);
        const Direction recorded = direction == CallDirection::Outgoing ? Direction::Out : Direction::In;
        for (qsizetype i = 0; i < left_open_.size(); ++i) {
            const CallRecord& call = left_open_[i];
            if (call.direction != recorded || call.number != entry.number || direction == CallDirection::Unknown)
                continue;
            Party party;
            party.index = entry.index;
            party.direction = direction;
            party.number = entry.number;
            party.record = call.id;
            party.answered = call.answer_ms > 0;
            parties_.append(party);
            left_open_.removeAt(i);
            break;
        }
    }
    interrupt_left_open();
}

void CallTracker::interrupt_left_open()
{
    for (const CallRecord& call : std::as_const(left_open_))
        journal_.interrupt_call(call.id);
    left_open_.clear();
}

bool CallTracker::same_party(const Party& party, const CallEntry& entry) const
{
    return party.index == entry.index && party.direction == direction_of(entry) && party.number == entry.number;
}

qsizetype CallTracker::find_party(const QList<Party>& parties, const CallEntry& entry) const
{
    for (qsizetype i = 0; i < parties.size(); ++i)
        if (same_party(parties[i], entry))
            return i;
    return -1;
}

// A phone may list a ringing call before it knows the caller's number and
// fill the number in later: the same index and direction with a number
// where there was none is the same call.
qsizetype CallTracker::find_numberless_match(const QList<Party>& parties, const CallEntry& entry) const
{
    for (qsizetype i = 0; i < parties.size(); ++i)
        if (parties[i].index == entry.index && parties[i].direction == direction_of(entry)
            && parties[i].number.isEmpty() && !entry.number.isEmpty())
            return i;
    return -1;
}

CallTracker::Party CallTracker::start_party(const CallEntry& entry, qint64 now_ms)
{
    Party party;
    party.index = entry.index;
    party.direction = direction_of(entry);
    party.number = entry.number;
    // A call that turns up already talking (the controller started in the
    // middle of it, or answered between two polls) counts from now.
    const Direction direction = party.direction == CallDirection::Outgoing ? Direction::Out : Direction::In;
    party.record = journal_.call_started(line_, model_, direction, party.number, now_ms);
    qCDebug(lcJournal).noquote() << line_ << "call" << entry.index << party.number << "begins as record" << party.record;
    update_party(party, entry, now_ms);
    return party;
}

void CallTracker::update_party(Party& party, const CallEntry& entry, qint64 now_ms)
{
    party.state = entry.has_state ? entry.state : CallState::Unknown;
    if (talking(entry) && !party.answered) {
        party.answered = true;
        journal_.call_answered(party.record, now_ms);
    }
}

void CallTracker::end_party(const Party& party, qint64 now_ms)
{
    Outcome outcome;
    if (party.answered)
        outcome = Outcome::Answered;
    else if (party.direction == CallDirection::Outgoing)
        outcome = Outcome::Unanswered;
    else
        outcome = party.declined ? Outcome::Rejected : Outcome::Missed;
    qCDebug(lcJournal).noquote() << line_ << "call" << party.index << party.number << "of record" << party.record
                                 << "ends";
    journal_.call_ended(party.record, now_ms, outcome);
}

void CallTracker::call_list(const QList<CallEntry>& entries, qint64 now_ms)
{
    if (lcJournal().isDebugEnabled()) {
        QStringList listed;
        for (const CallEntry& entry : entries)
            listed.append(QString::number(entry.index) + QLatin1Char(' ') + entry.number);
        qCDebug(lcJournal).noquote() << line_ << "call list:" << listed.join(QStringLiteral(", "));
    }
    if (!left_open_.isEmpty())
        adopt_left_open(entries);
    QList<Party> previous = parties_;
    QList<Party> current;
    QList<const CallEntry*> unmatched;
    for (const CallEntry& entry : entries) {
        const qsizetype found = find_party(previous, entry);
        if (found < 0) {
            unmatched.append(&entry);
            continue;
        }
        Party party = previous.takeAt(found);
        update_party(party, entry, now_ms);
        current.append(party);
    }
    for (const CallEntry* entry : unmatched) {
        const qsizetype found = find_numberless_match(previous, *entry);
        if (found < 0) {
            current.append(start_party(*entry, now_ms));
            continue;
        }
        Party party = previous.takeAt(found);
        party.number = entry->number;
        journal_.number_learnt(party.record, party.number);
        update_party(party, *entry, now_ms);
        current.append(party);
    }
    for (const Party& gone : std::as_const(previous))
        end_party(gone, now_ms);
    if (pending_dial_) {
        for (const CallEntry* entry : unmatched)
            if (direction_of(*entry) == CallDirection::Outgoing)
                pending_dial_.reset();
    }
    parties_ = current;
    note_seen(now_ms);
}

void CallTracker::note_seen(qint64 now_ms)
{
    if (parties_.isEmpty() && listless_.record == 0)
        return;
    if (now_ms - last_seen_written_ms_ < seen_write_interval_ms)
        return;
    last_seen_written_ms_ = now_ms;
    journal_.line_seen(line_, now_ms);
}

void CallTracker::declined(int call_index)
{
    for (Party& party : parties_)
        if (party.index == call_index && party.direction != CallDirection::Outgoing)
            party.declined = true;
}

void CallTracker::command_sent(DeclineCommand command)
{
    const CallState declined_state =
        command == DeclineCommand::HangUp ? CallState::Incoming : CallState::Waiting;
    for (Party& party : parties_)
        if (party.state == declined_state)
            party.declined = true;
}

void CallTracker::wait_for_first_list(qint64 now_ms)
{
    if (left_open_.isEmpty())
        return;
    if (first_failure_ms_ == 0)
        first_failure_ms_ = now_ms;
    else if (now_ms - first_failure_ms_ >= adopt_wait_ms)
        interrupt_left_open();
}

void CallTracker::link_lost(qint64 now_ms)
{
    wait_for_first_list(now_ms);
    note_seen(now_ms);
}

void CallTracker::controller_ending(qint64 now_ms)
{
    interrupt_left_open();
    dial_dropped(now_ms);
    for (const Party& party : std::as_const(parties_))
        end_party(party, now_ms);
    parties_.clear();
    if (listless_.record != 0)
        end_listless(listless_.answered ? Outcome::Answered
                     : listless_.direction == Direction::In ? Outcome::Missed
                                                            : Outcome::Unknown,
                     now_ms);
}

void CallTracker::end_listless(Outcome outcome, qint64 now_ms)
{
    journal_.call_ended(listless_.record, now_ms, outcome);
    listless_ = ListlessCall();
}

void CallTracker::dialled(const QString& number, qint64 now_ms)
{
    dial_dropped(now_ms);
    pending_dial_ = PendingDial{number, now_ms};
}

void CallTracker::dial_dropped(qint64 now_ms)
{
    if (!pending_dial_)
        return;
    const PendingDial dial = *std::exchange(pending_dial_, std::nullopt);
    qCDebug(lcJournal).noquote() << line_ << "dial of" << dial.number << "dropped before a list showed it";
    const qint64 record = journal_.call_started(line_, model_, Direction::Out, dial.number, dial.dialled_ms);
    journal_.call_ended(record, std::max(now_ms, dial.dialled_ms), Outcome::Unanswered);
}

void CallTracker::dialled_without_list(const QString& number, qint64 now_ms)
{
    start_listless(Direction::Out, number, now_ms);
}

void CallTracker::dial_refused(qint64 now_ms)
{
    if (listless_.record != 0 && listless_.direction == Direction::Out && !listless_.answered)
        end_listless(Outcome::Unanswered, now_ms);
}

void CallTracker::ring_without_list(const QString& number, qint64 now_ms)
{
    if (listless_.record != 0 && listless_.direction == Direction::In) {
        listless_.last_event_ms = now_ms;
        if (!number.isEmpty())
            journal_.number_learnt(listless_.record, number);
        note_seen(now_ms);
        return;
    }
    start_listless(Direction::In, number, now_ms);
}

void CallTracker::start_listless(Direction direction, const QString& number, qint64 now_ms)
{
    interrupt_left_open();
    // One call at a time without a list: a new one ends the one before.
    if (listless_.record != 0)
        controller_ending(now_ms);
    listless_.direction = direction;
    listless_.last_event_ms = now_ms;
    listless_.record = journal_.call_started(line_, model_, direction, number, now_ms);
}

void CallTracker::answered_without_list(qint64 now_ms)
{
    if (listless_.record == 0 || listless_.answered)
        return;
    listless_.answered = true;
    journal_.call_answered(listless_.record, now_ms);
}

void CallTracker::hung_up_without_list(qint64 now_ms)
{
    if (listless_.record == 0)
        return;
    if (listless_.direction == Direction::In && !listless_.answered)
        end_listless(Outcome::Rejected, now_ms);
    else
        end_listless(listless_.answered ? Outcome::Answered : Outcome::Unknown, now_ms);
}

void CallTracker::tick_without_list(qint64 now_ms)
{
    // The controller ticks so while it still asks whether the phone has a
    // call list; a phone without one never tells which call goes on.
    wait_for_first_list(now_ms);
    if (listless_.record != 0 && !listless_.answered && now_ms - listless_.last_event_ms >= ring_gap_ms) {
        end_listless(listless_.direction == Direction::In ? Outcome::Missed : Outcome::Unknown,
                     listless_.last_event_ms);
        return;
    }
    note_seen(now_ms);
}

}  // namespace journal
