#pragma once
#include <QString>
#include <QString>
#include <functional>

#include "blackboard/call_list.h"
#include "controller/at_channel.h"

namespace kestrum {

// The DTMF tones of one controller. The status tick hands over what it took
// from the blackboard's `dtmf`; the engine sends each tone as its own
// exchange "AT+VTS=<c>", in order, only while the phone has an active call
// (an entry in state 0 of the call list). Tones are never kept for a later
// call: written while no call is active, or still waiting when the call
// ends, they are dropped.
class Tones {
public:
    // Status tick: the text taken from `dtmf`. Only tones count; they are
    // dropped at once when the last call list had no active call.
    void take(const QString& written);
    // Each call list the engine reads ("ER" or "" when none could be read).
    void call_list_seen(const QString& reply);
    void call_list_seen(const QList<blackboard::CallEntry>& calls);
    // An engine that sends no tones (a wired modem): whatever waits is
    // dropped.
    void drop_all(const char* why);

    bool waiting() const { return !waiting_.isEmpty(); }
    const QString& waiting_tones() const { return waiting_; }

    // Engine tick: reads the call list afresh (tones are dropped when it has
    // no active call), then sends the waiting tones one exchange at a time
    // until none is left, command_pending() turns true (it is asked before
    // each tone; status ticks run in the pumps between them), or the phone
    // refuses one. A refused tone is not sent again; the ones after it wait
    // for the next look at the call list, or are dropped when the phone
    // keeps no call list (a CDMA phone, say: then only its answer to a tone
    // tells whether a call is on). A phone that gives no final reply leaves
    // the rest dropped; the link itself is judged by the engine's next
    // exchange.
    void send(AtChannel& channel, const std::function<bool()>& command_pending);

    // Longest wait for the final reply to one exchange.
    void set_reply_limit_ms(int ms) { reply_limit_ms_ = ms; }

private:
    enum class Reply { Ok, Error, None };
    // Writes command and reads until its final result line.
    Reply exchange(AtChannel& channel, const QString& command, QString& reply);
    void drop(const QString& tones, const char* why);

    enum class Call { Unknown, Active, None };
    Call call_ = Call::Unknown;
    QString waiting_;
    int reply_limit_ms_ = 3000;
};

}  // namespace kestrum
