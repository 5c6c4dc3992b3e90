#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QLoggingCategory>
#include <functional>

class SerialComponent;

// Each command written and each reply read, with the port.
Q_DECLARE_LOGGING_CATEGORY(lcKestrumAt)

namespace kestrum {

// The one way a controller's parts talk to the phone.
//
// What arrives is cut into lines as it comes, whatever the pieces. A line
// that begins with a subscribed prefix is an unsolicited line: it is handed
// to its subscriber once it is whole, wherever it falls (before, inside or
// after a reply). A subscriber either takes the line out of what the
// readers see (`Cut`) or leaves it there as well (`Keep`), for the engines
// whose replies have always carried such lines (a wired modem's "RING").
//
// Two ways to read:
//  - exchange(): writes a command and gathers its reply up to the final
//    result ("OK", "ERROR", "+CME ERROR: n", "+CMS ERROR: n", "NO CARRIER",
//    "BUSY", "NO ANSWER", "NO DIALTONE", "CONNECT"); with a second part,
//    the "> " prompt is answered by the text and Ctrl-Z, or cancelled by Esc.
//  - waiting()/take(): the raw text for the engines that read by their own
//    loops (the timings of those loops are part of what the phone sees).
//
// Between ticks, poll() reads what arrived (the serial component's
// data-arrived notification calls for it): unsolicited lines go out at
// once, the rest waits for the next reader, as it would have in the port.
//
// A part of the controller (calls, tones, USSD, messages) holds the channel,
// subscribes to its prefixes and runs its exchanges; a part that must not go
// between a dial and its command asks the controller, not the channel.
class AtChannel {
public:
    enum class Final { None, Ok, Error, CmeError, CmsError, NoCarrier, Busy, NoAnswer, NoDialtone, Connect };
    struct Reply {
        Final final = Final::None;  // None: nothing final in time, or the link failed
        QString final_line;         // as it came: "+CME ERROR: 30"
        QStringList lines;          // the lines before it; echo, empty and unsolicited lines left out
        bool ok() const { return final == Final::Ok; }
    };
    enum class Seen { Cut, Keep };
    using Handler = std::function<void(const QString& text)>;
    // How many lines after its first belong to an unsolicited line, told
    // by the first ("+CDS: 25" in PDU mode is followed by its PDU; the
    // text-mode "+CDS: 6,..." stands alone).
    using FollowingLines = std::function<int(const QString& first_line)>;

    explicit AtChannel(SerialComponent& serial);

    // prefix: "RING", "+CLIP", "+CMTI", "^" ... A line that begins with it
    // is handed over without its line break. following_lines: lines that
    // belong to it after its own (the PDU after "+CDS: <length>"). A quote
    // left open carries the line on over line breaks.
    void subscribe(const QString& prefix, Handler handler, Seen seen = Seen::Cut, int following_lines = 0);
    void subscribe(const QString& prefix, Handler handler, Seen seen, FollowingLines following_lines);

    // Writes command + CR LF, reads until its final result or timeout_ms.
    // What came unasked before the command is no part of its reply.
    Reply exchange(const QString& command, int timeout_ms);
    // A command with a second part ("AT+CMGS=<n>"): command + CR, then
    // on the "> " prompt text + Ctrl-Z; without a prompt in time, Esc
    // cancels the command and the reply is None.
    Reply exchange(const QString& command, const QString& text, int timeout_ms);

    // Reads the reply of a command already written by send(), up to its
    // final result or timeout_ms: the call engine's commands, written the
    // ticks' way and then awaited.
    Reply await_final(const QString& command, int timeout_ms);

    // Writes text as it is (the engines add their own line ends), logged.
    void send(const QString& text);
    // Characters waiting for a reader: those held and those in the port.
    int waiting();
    // All waiting text, unsolicited lines already handed over; the port is
    // read only when nothing was held (so a poll that asked waiting() first
    // reads the port once).
    QString take();
    // Reads what arrived; unsolicited lines go out now, the rest is held.
    void poll();
    // Part of a line has come and waits for its end (an unsolicited line
    // in slow pieces); when the last characters came, on the clock seam.
    bool mid_line() const { return in_unit_; }
    qint64 last_arrival_ms() const { return last_arrival_ms_; }
    // A reader is inside the channel now (a poll then has nothing to do).
    bool busy() const { return depth_ > 0; }
    // The port was closed or changed: what was held belonged to it.
    void forget();

    // Final result of a line, Final::None when it is none. NO CARRIER ends
    // only the commands that set up a call; elsewhere it is unsolicited.
    static Final final_of(const QString& line, const QString& command);

private:
    struct Subscription {
        QString prefix;
        Handler handler;
        Seen seen;
        FollowingLines following_lines;
    };
    // Reads the port into raw_, then moves what is settled into held_.
    void read_port();
    void settle();
    const Subscription* subscription_of(const QString& line) const;
    bool may_begin_unsolicited(const QString& part) const;
    // Where the unit that starts at from ends (past its line break), -1
    // when its end has not come yet.
    qsizetype unit_end(qsizetype from, const Subscription& subscription) const;
    Reply read_until_final(const QString& command, int timeout_ms, bool prompt_wanted, bool& prompted);

    SerialComponent& serial_;
    QList<Subscription> subscriptions_;
    QString raw_;   // arrived, not yet looked at to the end
    QString held_;  // settled, for the next reader
    bool line_start_ = true;
    int depth_ = 0;
    qint64 last_arrival_ms_ = 0;
    bool in_unit_ = false;  // raw_ begins with an unsolicited line not yet whole
};

}  // namespace kestrum
