#pragma once
#include <QString>
#include <memory>

#include "journal/call_tracker.h"
#include "journal/journal.h"

namespace kestrum {

// The controller's calls in the call journal, under its slot identity.
// A controller run by hand from its development folder records nothing:
// its test calls do not belong in the user's journal. Every operation is a
// no-op until open() and for the development folder; the times are the
// wall clock's. A write the journal cannot take (another program holds its
// lock) is kept and tried again at every poll and at the orderly end.
class LineJournal {
public:
    // Opens the journal for the line and closes the calls it left open.
    void open(const QString& line, bool record);
    bool recording() const { return tracker_ != nullptr; }

    void set_model(const QString& model);
    // A reply to "AT+CLCC": a list when it ends in "OK", else a lost link.
    // calls: the reply parsed, once for every reader.
    void call_list_polled(const QString& reply, const QList<blackboard::CallEntry>& calls);
    void command_sent(journal::DeclineCommand command);
    // A number dialled on a phone with a call list, and that dial's label
    // dropped (see journal::CallTracker::dialled).
    void dialled(const QString& number);
    void dial_dropped();
    void dialled_without_list(const QString& number);
    // What a wired modem answered in one tick: a refusing final result
    // ends the last dial unanswered; a "RING" (with the caller's number
    // from "+CLIP" or "NMBR =" when given) is an incoming call ringing.
    void wired_reply(const QString& reply);
    void answered_without_list();
    void hung_up_without_list();
    void tick_without_list();
    void controller_ending();

private:
    static qint64 now();
    static constexpr int last_wait_ms = 400;

    std::unique_ptr<journal::Journal> journal_;
    std::unique_ptr<journal::CallTracker> tracker_;
};

}  // namespace kestrum
