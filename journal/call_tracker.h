#pragma once
#include <QList>
#include <QString>
#include <optional>

#include "blackboard/call_list.h"
#include "journal/journal.h"

namespace journal {

// The commands of this program that can decline a call.
enum class DeclineCommand {
    HangUp,              // "AT+CHUP": declines a call that rings in (state 4)
    ReleaseHeldOrWaiting,  // "AT+CHLD=0": declines the waiting call (state 5)
};

// The one place that decides the outcome of a line's calls. The controller
// feeds it each call list it polls, and the few events only it knows; the
// tracker follows every party by its call index, direction and number from
// list to list (a conference, a swap and a waiting call keep a record each)
// and writes the starts, answers and ends through the journal. Times come
// in as arguments, in ms since the epoch.
//
// Outcomes: a call that was ever active or held is answered; an incoming
// or waiting call that ends otherwise is rejected when this program
// declined it, else missed; an outgoing call that ends otherwise is
// unanswered.
class CallTracker {
public:
    CallTracker(Journal& journal, const QString& line);

    // The phone's model, recorded with each call that starts from now on.
    void set_model(const QString& model) { model_ = model; }

    // The controller starts. The calls its line left open may still go on
    // (the controller before this one ended while the phone talked): the
    // first call list continues those it still shows, by direction and
    // number, in the same records; the others were cut off and end as
    // interrupted when they were last seen. A line that gives no list
    // within adopt_wait_ms of its first tick without one, or a call of a
    // phone without a call list, ends them all so.
    void controller_started();
    static constexpr qint64 adopt_wait_ms = 10000;

    // A call list the phone gave (a reply that ended in "OK"). A reply that
    // could not be read is no list: call link_lost instead, so that calls
    // going on are not taken for ended.
    void call_list(const QList<blackboard::CallEntry>& entries, qint64 now_ms);
    void call_list(const QString& reply, qint64 now_ms) { call_list(blackboard::parse_call_list(reply), now_ms); }

    // The user declined a call from this program: by its call index, or by
    // the command sent, judged against the last list seen.
    void declined(int call_index);
    void command_sent(DeclineCommand command);

    // The link to the phone failed; calls stay open until a list shows them
    // again or gone, or the controller ends.
    void link_lost(qint64 now_ms);
    // Orderly end of the controller: every open call ends as it stands.
    void controller_ending(qint64 now_ms);

    // Phones with a call list: a number was dialled. The first outgoing
    // call a list shows after it is that dial. Dropped before any list
    // showed it (hung up at once, refused, over between two polls), it is
    // recorded all the same, unanswered, from the time it was dialled.
    void dialled(const QString& number, qint64 now_ms);
    void dial_dropped(qint64 now_ms);

    // Phones without a call list: what the line shows of a call.
    void dialled_without_list(const QString& number, qint64 now_ms);
    // The link refused the last dial ("BUSY", "NO CARRIER", "NO DIALTONE",
    // "NO ANSWER"): it ends unanswered.
    void dial_refused(qint64 now_ms);
    // A "RING" (with the caller's number when the phone gave it).
    void ring_without_list(const QString& number, qint64 now_ms);
    void answered_without_list(qint64 now_ms);
    void hung_up_without_list(qint64 now_ms);
    // Rings that stopped this long ago without an answer were a missed
    // call; a dial that the link did not refuse within this time ends as
    // unknown (no talk time: nothing tells whether it was answered).
    static constexpr qint64 ring_gap_ms = 8000;
    // Call it every tick of a phone without a call list.
    void tick_without_list(qint64 now_ms);

    // The parties followed now, for tests and the controller's window.
    int open_calls() const { return int(parties_.size()); }

private:
    struct Party {
        int index = 0;
        blackboard::CallDirection direction = blackboard::CallDirection::Unknown;
        QString number;
        qint64 record = 0;
        bool answered = false;
        bool declined = false;
        blackboard::CallState state = blackboard::CallState::Unknown;
    };
    // A call seen on a phone without a call list.
    struct ListlessCall {
        qint64 record = 0;
        Direction direction = Direction::Out;
        bool answered = false;
        qint64 last_event_ms = 0;  // the dial, or the last ring
    };

    void adopt_left_open(const QList<blackboard::CallEntry>& entries);
    void interrupt_left_open();
    void wait_for_first_list(qint64 now_ms);
    bool same_party(const Party& party, const blackboard::CallEntry& entry) const;
    qsizetype find_party(const QList<Party>& parties, const blackboard::CallEntry& entry) const;
    qsizetype find_numberless_match(const QList<Party>& parties, const blackboard::CallEntry& entry) const;
    Party start_party(const blackboard::CallEntry& entry, qint64 now_ms);
    void update_party(Party& party, const blackboard::CallEntry& entry, qint64 now_ms);
    void end_party(const Party& party, qint64 now_ms);
    void start_listless(Direction direction, const QString& number, qint64 now_ms);
    void end_listless(Outcome outcome, qint64 now_ms);
    void note_seen(qint64 now_ms);

    Journal& journal_;
    QString line_;
    QString model_;
    QList<Party> parties_;
    // Calls the line left open, until the first list tells their fate.
    QList<CallRecord> left_open_;
    qint64 first_failure_ms_ = 0;
    ListlessCall listless_;
    // A dial no list has shown yet.
    struct PendingDial {
        QString number;
        qint64 dialled_ms = 0;
    };
    std::optional<PendingDial> pending_dial_;
    qint64 last_seen_written_ms_ = 0;
};

}  // namespace journal
