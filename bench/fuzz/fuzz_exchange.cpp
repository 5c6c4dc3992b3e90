// Fuzz target: the AT exchange as a whole (Controller::at_exchange) on a
// scripted serial port: the reading loop with its poll counts, the retry on
// a lower-case "error", the failure path, and the normalised result.
//
// Input: one byte picks the command, one byte a failing operation of the
// port (opening, writing or reading; other values: none), the rest is what
// the phone sends, one poll after the other: poll texts separated by the
// byte 0xFF, an empty text being a poll that finds nothing. After the last
// one every poll finds nothing.
//
// The result is compared with the exchange worked out here from the same
// polls: which of them the loop reads, when it gives up, whether it asks
// again, and then the normalisation (checked on its own by fuzz_reply). A
// failed exchange must give "ER" and leave the port closed; a good one
// leaves it open, having written the command once, or twice after "error".
#include <QByteArrayList>
#include <optional>

#include "bench/fuzz/fuzz_support.h"
#include "controller/controller.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "serial/serial_component.h"

namespace {

using fuzz::expect;
using fuzz::expect_equal;

enum Fault { NoFault, OpenFails, WriteFails, ReadFails };

class ScriptedPort : public SerialComponent {
public:
    ScriptedPort(QByteArrayList polls, int fault) : polls_(std::move(polls)), fault_(fault) {}

    int CommPort() const override { return port_; }
    void setCommPort(int port) override
    {
        if (open_)
            throw SerialError("port number changed while open");
        port_ = port;
    }
    bool PortOpen() const override { return open_; }
    void setPortOpen(bool open) override
    {
        if (open && (fault_ == OpenFails || port_ < 1))
            throw SerialError("no such port");
        open_ = open;
    }
    void Output(const QString& text) override
    {
        if (!open_ || fault_ == WriteFails)
            throw SerialError("write failed");
        written += text;
    }
    int InBufferCount() override
    {
        if (!open_)
            throw SerialError("closed");
        pending_ = next_ < polls_.size() ? polls_[next_] : QByteArray();
        ++next_;
        return int(pending_.size());
    }
    QString Input() override
    {
        if (!open_ || fault_ == ReadFails)
            throw SerialError("read failed");
        const QString text = QString::fromLatin1(pending_);
        pending_.clear();
        return text;
    }

    QString written;

private:
    QByteArrayList polls_;
    qsizetype next_ = 0;
    int fault_;
    int port_ = 0;
    bool open_ = false;
    QByteArray pending_;
};

// Sleeps and pumps take no time: only the counts matter here. A sleep
// moves "now" on, so that waits bounded by elapsed time still end.
class NoWaitClock : public platform::Clock {
public:
    void sleep_ms(int ms) override { now_ += ms; }
    void pump() override {}
    QString time_of_day() override { return QStringLiteral("12:00:00"); }
    qint64 now_ms() override { return now_; }

private:
    qint64 now_ = 0;
};

// What the reading loop finds at each poll: the controller's channel has
// handed the phone's unsolicited lines over (and cut out those that go no
// further) and holds a line back until it knows whether it is one.
struct Seen {
    QByteArray text;
    bool arrived = false;  // the port had characters at this poll
    bool in_unit = false;  // an unsolicited line has begun and not ended
};

QList<Seen> seen_polls(const QByteArrayList& polls)
{
    auto owned = std::make_unique<ScriptedPort>(polls, NoFault);
    owned->setCommPort(1);
    owned->setPortOpen(true);
    kestrum::Controller model(std::move(owned));
    QList<Seen> seen;
    for (const QByteArray& poll : polls) {
        Seen one;
        one.arrived = !poll.isEmpty();
        one.text = model.channel().waiting() != 0 ? model.channel().take().toLatin1() : QByteArray();
        one.in_unit = model.channel().mid_line();
        seen.append(one);
    }
    return seen;
}

// The reading loop over the polls from *next on: the text read, or nothing
// when no character came within 51 polls. A line the phone sends on its
// own is waited for while its pieces keep coming within a second. now:
// the loop's own time (its sleeps), last: when characters last came.
std::optional<QString> read_round(const QList<Seen>& polls, qsizetype& next, qint64& now, qint64& last)
{
    QString reply;
    bool got = false;
    for (int n = 0;;) {
        const Seen poll = next < polls.size() ? polls[next] : Seen{};
        ++next;
        if (poll.arrived)
            last = now;
        if (!poll.text.isEmpty()) {
            got = true;
            reply += QString::fromLatin1(poll.text);
        } else if (poll.in_unit && now - last < 1000) {
            now += 10;
            continue;
        } else if (n > 30 && !got) {
            now += 500;
            if (n > 50 && !got)
                return std::nullopt;
        } else if (!(got && n > 5)) {
            now += 10;
        }
        if (got && n > 5)
            return reply;
        ++n;
    }
}

struct Expected {
    std::optional<QString> reply;  // nothing: the exchange fails
    int writes = 0;
};

Expected exchange(const QByteArrayList& raw_polls, int fault)
{
    if (fault == OpenFails || fault == WriteFails)
        return {};
    const QList<Seen> polls = seen_polls(raw_polls);
    qsizetype next = 0;
    qint64 now = 200;
    qint64 last = -1000000;
    std::optional<QString> reply = read_round(polls, next, now, last);
    // Reading fails at the first poll that finds something.
    if (!reply || fault == ReadFails)
        return {};
    if (!reply->contains(QLatin1String("error")))
        return {reply, 1};
    now += 700;
    return {read_round(polls, next, now, last), 2};
}

const QString kCommands[] = {QStringLiteral("AT"), QStringLiteral("AT+CLCC"), QStringLiteral("AT+GMM"),
                             QStringLiteral("ATD0501234567;"), QStringLiteral("AT+CHLD=2")};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static NoWaitClock clock;
    platform::set_clock(&clock);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    const QString command = kCommands[input.byte() % (sizeof kCommands / sizeof kCommands[0])];
    const int fault = input.byte() % 8;
    const QByteArrayList polls = input.rest().split('\xff');

    auto owned = std::make_unique<ScriptedPort>(polls, fault);
    ScriptedPort& port = *owned;
    kestrum::Controller controller(std::move(owned));
    const QString result = controller.at_exchange(command, 1);

    const Expected expected = exchange(polls, fault);
    const QString shown =
        command + QStringLiteral(" | fault %1 | ").arg(fault) + QString::fromLatin1(polls.join("<poll>"));
    if (!expected.reply) {
        expect_equal(result, QStringLiteral("ER"), "a failed exchange gives ER", shown);
        expect(!port.PortOpen(), "a failed exchange closes the port", shown);
        return 0;
    }
    expect_equal(result, kestrum::normalise_reply(*expected.reply, command), "at_exchange", shown);
    expect(port.PortOpen(), "a good exchange leaves the port open", shown);
    expect_equal(port.written, (command + QStringLiteral("\r\n")).repeated(expected.writes),
                 "the command written once, twice after \"error\"", shown);
    return 0;
}
