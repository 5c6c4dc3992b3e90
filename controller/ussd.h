#pragma once
#include <QList>
#include <QString>

#include "blackboard/keys.h"

// USSD for the controller: the request and cancel commands, the network's
// unsolicited answers "+CUSD: <m>[,"<str>",<dcs>]" found in whatever the
// phone sends and cut out of it, their decoding, and the one request the
// phone works on at a time. Qt Core only; time is handed in as
// milliseconds of any steady clock.
namespace ussd {

constexpr int max_request_length = blackboard::kUssdRequestMaxLength;
constexpr qint64 answer_timeout_ms = 20000;

// Whether text may go to the phone as a request: 1 to 64 of 0-9 * # +
// (so no quote, comma or line end can reach the command line).
bool valid_request(const QString& text);
// "AT+CUSD=1,"<text>",15" for a valid request.
QString request_command(const QString& text);
// "AT+CUSD=2": ends a menu the network holds open.
QString cancel_command();

// The network's states as published: "0" no further action, "1" a menu
// waits for the user's answer, "2" ended by the network (also for "3",
// another client on the phone answered), "4" not supported, "5" timed out
// at the network; "error" when the phone refused the request (or sent
// an answer that cannot be read), "timeout" when no answer came in time.
QString state_of_mode(const QString& mode);

// The text of an answer: under dcs 72 (and the other UCS2 codings) UCS2
// hex to text; under any other dcs (15 and 0: GSM text as the phone gives
// it) the text as given, unless it is all hex digits in groups of four that
// read as UCS2 text (see reads_as_ucs2). A missing dcs is given as -1.
QString decode(const QString& text, int dcs);

struct Answer {
    QString state;    // as state_of_mode
    QString text;     // decoded, line breaks kept; "" when none came
    QString raw;      // the line as it came, for the log
};

struct CutReply {
    QString rest;             // the reply without the +CUSD lines
    QList<Answer> answers;    // in the order they came
    QString incomplete;       // a +CUSD line whose end has not come yet
};

// Finds every "+CUSD:" line that begins a line of reply (after an OK,
// amid a call list, several in one reply, text in quotes over several
// lines) and cuts it out together with its own line breaks, so that
// the rest is the reply exactly as if the lines had never come. A line
// cut short at the end of the reply is returned as incomplete.
CutReply cut_answers(const QString& reply);

// One published answer: the values of `ussd_reply` and `ussd_state`.
struct Outcome {
    QString reply;
    QString state;
    bool operator==(const Outcome&) const = default;
};

// The phone's USSD work, one request at a time: requests and cancels wait
// in the order written and never replace one another; the next goes out
// when the phone has answered the one before (or a menu waits for the
// user). When a request goes out, "" and "" are published (no answer
// yet); then its answer, "error" or "timeout".
class Session {
public:
    // Queues a request; false (and nothing queued) when it is not valid.
    bool request(const QString& text);
    void cancel();

    // The command the engine writes now, or "" (nothing queued, or an answer
    // is still awaited). Marks it as written at now_ms.
    QString next_command(qint64 now_ms);
    bool awaiting() const { return stage_ != Stage::Idle; }
    bool has_queued() const { return !queue_.isEmpty(); }

    // Every raw reply of the phone, before anything else reads it: the
    // +CUSD lines are taken (a line cut short waits for the next reply) and
    // the rest returned. own_command: the reply is the one to the command
    // next_command() gave last, whose final result it holds.
    QString take_reply(const QString& raw, qint64 now_ms, bool own_command = false);
    // No reply to the command came (the link failed): "error".
    void command_failed();
    // "timeout" once the answer is overdue.
    void check_timeout(qint64 now_ms);

    // What to publish, oldest first, since the last call.
    QList<Outcome> take_outcomes();

private:
    enum class Stage { Idle, Written, AwaitingAnswer };
    void publish(const QString& reply, const QString& state);
    void finish_command(const QString& rest, bool answered);

    QList<QString> queue_;    // request texts; "" stands for a cancel
    Stage stage_ = Stage::Idle;
    bool cancelling_ = false;
    qint64 written_at_ms_ = 0;
    QString last_reply_;      // kept when a cancel ends a menu
    QString carried_;         // the start of a +CUSD line cut short
    QList<Outcome> outcomes_;
};

}  // namespace ussd
