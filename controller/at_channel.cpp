#include "controller/at_channel.h"

#include <QLoggingCategory>
#include <utility>

#include "platform/clock.h"
#include "serial/serial_component.h"

Q_LOGGING_CATEGORY(lcKestrumAt, "kestrum.at", QtWarningMsg)

namespace kestrum {

namespace {
// An empty poll of an exchange waits this long for data instead of spinning.
constexpr int kPollPause = 5;
// Held for the next reader at most, as the port's own receive buffer.
constexpr qsizetype kHeldCapacity = 1024;
// An unsolicited line that has not ended after this much text is handed
// over as it is: a quote that never closes must not swallow the replies.
constexpr qsizetype kLongestUnit = 2048;
const QChar kCtrlZ(0x1A);
const QChar kEsc(0x1B);

bool is_break(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

qsizetype next_break(const QString& text, qsizetype from)
{
    for (qsizetype at = from; at < text.size(); ++at)
        if (is_break(text[at]))
            return at;
    return -1;
}

QString visible(QString text)
{
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(kCtrlZ, QStringLiteral("\\x1a")).replace(kEsc, QStringLiteral("\\x1b"));
    return text;
}

// The commands that set up a call, and a tone (on a call that has just
// ended some phones answer it so): for them "NO CARRIER" is the result.
bool may_end_in_no_carrier(const QString& command)
{
    static const char* const commands[] = {"ATD", "ATA", "AT+CDV", "ATH1", "ATO", "AT+VTS"};
    const QString upper = command.toUpper();
    for (const char* start : commands)
        if (upper.startsWith(QLatin1String(start)))
            return true;
    return false;
}
}  // namespace

AtChannel::AtChannel(SerialComponent& serial) : serial_(serial) {}

void AtChannel::subscribe(const QString& prefix, Handler handler, Seen seen, int following_lines)
{
    subscribe(prefix, std::move(handler), seen, [following_lines](const QString&) { return following_lines; });
}

void AtChannel::subscribe(const QString& prefix, Handler handler, Seen seen, FollowingLines following_lines)
{
    subscriptions_.append({prefix, std::move(handler), seen, std::move(following_lines)});
}

AtChannel::Final AtChannel::final_of(const QString& line, const QString& command)
{
    static const struct {
        const char* text;
        Final final;
    } exact[] = {{"OK", Final::Ok}, {"ERROR", Final::Error}, {"BUSY", Final::Busy},
                 {"NO ANSWER", Final::NoAnswer}, {"NO DIALTONE", Final::NoDialtone}};
    for (const auto& known : exact)
        if (line == QLatin1String(known.text))
            return known.final;
    if (line.startsWith(QLatin1String("+CME ERROR:")))
        return Final::CmeError;
    if (line.startsWith(QLatin1String("+CMS ERROR:")))
        return Final::CmsError;
    if (line == QLatin1String("CONNECT") || line.startsWith(QLatin1String("CONNECT ")))
        return Final::Connect;
    if (line == QLatin1String("NO CARRIER") && may_end_in_no_carrier(command))
        return Final::NoCarrier;
    return Final::None;
}

void AtChannel::send(const QString& text)
{
    qCDebug(lcKestrumAt).noquote() << "COM" + QString::number(serial_.CommPort()) << "<-" << visible(text);
    serial_.Output(text);
}

const AtChannel::Subscription* AtChannel::subscription_of(const QString& line) const
{
    for (const Subscription& subscription : subscriptions_)
        if (line.startsWith(subscription.prefix))
            return &subscription;
    return nullptr;
}

bool AtChannel::may_begin_unsolicited(const QString& part) const
{
    for (const Subscription& subscription : subscriptions_)
        if (subscription.prefix.startsWith(part))
            return true;
    return false;
}

qsizetype AtChannel::unit_end(qsizetype from, const Subscription& subscription) const
{
    qsizetype at = from;
    const qsizetype first_end = next_break(raw_, from);
    if (first_end < 0)
        return -1;
    int lines_left = 1 + subscription.following_lines(raw_.mid(from, first_end - from));
    bool quoted = false;
    for (;;) {
        while (at < raw_.size() && !is_break(raw_[at])) {
            if (raw_[at] == QLatin1Char('"'))
                quoted = !quoted;
            ++at;
        }
        if (at >= raw_.size())
            return -1;
        if (quoted) {  // text in quotes goes on over the line break
            ++at;
            continue;
        }
        at += raw_.mid(at, 2) == QLatin1String("\r\n") ? 2 : 1;
        if (--lines_left == 0)
            return at;
    }
}

void AtChannel::settle()
{
    QList<std::pair<const Subscription*, QString>> heard;
    qsizetype at = 0;
    in_unit_ = false;
    while (at < raw_.size()) {
        if (!line_start_) {
            qsizetype copied_to = next_break(raw_, at);
            line_start_ = copied_to >= 0;
            if (copied_to < 0)
                copied_to = raw_.size();
            else
                copied_to += raw_.mid(copied_to, 2) == QLatin1String("\r\n") ? 2 : 1;
            held_ += raw_.mid(at, copied_to - at);
            at = copied_to;
            continue;
        }
        // Empty lines go with the line after them: an unsolicited line
        // takes its own leading line break along.
        qsizetype text_at = at;
        while (text_at < raw_.size() && is_break(raw_[text_at]))
            ++text_at;
        if (text_at == raw_.size())
            break;
        const qsizetype line_end = next_break(raw_, text_at);
        const QString line = raw_.mid(text_at, line_end < 0 ? -1 : line_end - text_at);
        const Subscription* subscription = subscription_of(line);
        if (!subscription) {
            if (line_end < 0 && may_begin_unsolicited(line))
                break;  // the rest of the line decides
            held_ += raw_.mid(at, text_at - at);
            at = text_at;
            line_start_ = false;
            continue;
        }
        qsizetype end = unit_end(text_at, *subscription);
        if (end < 0 && raw_.size() - text_at < kLongestUnit) {
            in_unit_ = true;
            break;
        }
        if (end < 0)
            end = raw_.size();
        QString breaks = raw_.mid(at, text_at - at);
        QString unit = raw_.mid(text_at, end - text_at);
        if (subscription->seen == Seen::Keep)
            held_ += breaks + unit;
        else
            held_ += breaks.chopped(breaks.endsWith(QLatin1String("\r\n")) ? 2 : qMin<qsizetype>(1, breaks.size()));
        while (!unit.isEmpty() && is_break(unit.back()))
            unit.chop(1);
        heard.append({subscription, unit});
        at = end;
    }
    raw_.remove(0, at);
    if (held_.size() > kHeldCapacity)
        held_.truncate(kHeldCapacity);
    for (const auto& [subscription, unit] : heard) {
        qCDebug(lcKestrumAt).noquote() << "COM" + QString::number(serial_.CommPort()) << "unsolicited" << visible(unit);
        subscription->handler(unit);
    }
}

void AtChannel::read_port()
{
    if (serial_.InBufferCount() != 0) {
        const QString input = serial_.Input();
        last_arrival_ms_ = platform::clock().now_ms();
        qCDebug(lcKestrumAt).noquote() << "COM" + QString::number(serial_.CommPort()) << "->" << visible(input);
        raw_ += input;
    }
    settle();
}

int AtChannel::waiting()
{
    read_port();
    return static_cast<int>(held_.size());
}

QString AtChannel::take()
{
    // After waiting() the port was just read: one look at it per poll.
    if (held_.isEmpty())
        read_port();
    return std::exchange(held_, QString());
}

void AtChannel::poll()
{
    ++depth_;
    try {
        if (serial_.PortOpen())
            read_port();
    } catch (const std::exception&) {
        // The next reader meets the failure and takes its own failure path.
    }
    --depth_;
}

void AtChannel::forget()
{
    in_unit_ = false;
    raw_.clear();
    held_.clear();
    line_start_ = true;
}

AtChannel::Reply AtChannel::read_until_final(const QString& command, int timeout_ms, bool prompt_wanted,
                                             bool& prompted)
{
    platform::Clock& clock = platform::clock();
    const qint64 started = clock.now_ms();
    Reply reply;
    QString text;
    qsizetype looked = 0;  // text[0, looked) has been gone through line by line
    for (;;) {
        const QString arrived = take();
        text += arrived;
        for (qsizetype end = next_break(text, looked); end >= 0; end = next_break(text, looked)) {
            const QString line = text.mid(looked, end - looked).trimmed();
            // CR LF ends one line, not two.
            looked = end + (text.mid(end, 2) == QLatin1String("\r\n") ? 2 : 1);
            const Final final = final_of(line, command);
            if (final != Final::None) {
                reply.final = final;
                reply.final_line = line;
                held_.prepend(text.mid(looked));  // the next reader's
                return reply;
            }
            if (line.isEmpty() || line == command || subscription_of(line))
                continue;
            reply.lines.append(line);
        }
        if (prompt_wanted && text.mid(looked).startsWith(QLatin1String("> "))) {
            prompted = true;
            return reply;
        }
        if (clock.now_ms() - started > timeout_ms)
            return reply;
        if (arrived.isEmpty())
            clock.sleep_ms(kPollPause);
    }
}

AtChannel::Reply AtChannel::exchange(const QString& command, int timeout_ms)
{
    ++depth_;
    Reply reply;
    try {
        const QString earlier = take();
        if (!earlier.isEmpty())
            qCDebug(lcKestrumAt).noquote() << "before" << command << "unasked:" << visible(earlier);
        send(command + QStringLiteral("\r\n"));
        bool prompted = false;
        reply = read_until_final(command, timeout_ms, false, prompted);
    } catch (const std::exception& failure) {
        qCDebug(lcKestrumAt).noquote() << command << "failed:" << failure.what();
        reply = {};
    }
    --depth_;
    return reply;
}

AtChannel::Reply AtChannel::await_final(const QString& command, int timeout_ms)
{
    ++depth_;
    Reply reply;
    try {
        bool prompted = false;
        reply = read_until_final(command, timeout_ms, false, prompted);
    } catch (const std::exception& failure) {
        qCDebug(lcKestrumAt).noquote() << command << "failed:" << failure.what();
        reply = {};
    }
    --depth_;
    return reply;
}

AtChannel::Reply AtChannel::exchange(const QString& command, const QString& text, int timeout_ms)
{
    ++depth_;
    Reply reply;
    try {
        take();
        send(command + QLatin1Char('\r'));
        bool prompted = false;
        reply = read_until_final(command, timeout_ms, true, prompted);
        if (prompted) {
            send(text + kCtrlZ);
            reply = read_until_final(command, timeout_ms, false, prompted);
        } else if (reply.final == Final::None) {
            send(QString(kEsc));  // no prompt: the phone must not take what comes next as the text
        }
    } catch (const std::exception& failure) {
        qCDebug(lcKestrumAt).noquote() << command << "failed:" << failure.what();
        reply = {};
    }
    --depth_;
    return reply;
}

}  // namespace kestrum
