#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "blackboard/slot.h"
#include "dialer/messages/message_sending.h"
#include "messages/message_store.h"
#include "messages/parts.h"
#include "platform/clock.h"
#include "tools/vekorra-sms/sms_tool.h"

namespace sms_tool {

namespace {

constexpr int kPollMs = 100;
// A long message's parts are counted in one octet of each part's header.
constexpr int kMaxParts = 255;

// The text as given; "-" reads standard input, whose last line end is no
// part of the message (`echo text | vekorra-sms send N -`).
bool read_text(const QString& given, FILE* in, QString& text)
{
    if (given != QLatin1String("-")) {
        text = given;
        return true;
    }
    QFile input;
    if (!input.open(in, QIODevice::ReadOnly))
        return false;
    text = QString::fromUtf8(input.readAll());
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return true;
}

// A phone known to carry no messages: queued there, a message would wait
// for ever.
bool carries_messages(int line)
{
    const blackboard::Slot board(line);
    const std::optional<blackboard::PhoneType> type = board.phone_type();
    if (type == blackboard::PhoneType::Cdma || type == blackboard::PhoneType::Provod)
        return false;
    return board.read(blackboard::key::sms_rezhim, QString()) != blackboard::sms_mode::none;
}

// Where a message the tool waits for stands: still on its way, or settled
// with the tool's exit status.
std::optional<int> outcome(const messages::Message& message, FILE* err)
{
    using messages::State;
    if (message.id == 0) {
        print(err, QStringLiteral("vekorra-sms: not sent: the message was removed\n"));
        return Failed;
    }
    if (message.state == State::Sent || message.state == State::Delivered)
        return Success;
    if (message.state == State::Queued || message.state == State::Sending)
        return std::nullopt;
    const QString reason = message.reason.isEmpty() ? QStringLiteral("no reason given") : message.reason;
    print(err, QStringLiteral("vekorra-sms: not sent: %1\n").arg(reason));
    return Failed;
}

// The time is up: a message no phone has begun to send is taken back, so
// that exit status 1 means it will not go out behind the caller's back.
int timed_out(messages::MessageStore& store, qint64 id, int line, FILE* err)
{
    const std::optional<int> settled = outcome(store.message(id), err);
    if (settled)
        return *settled;
    const int seconds = kSendWaitMs / 1000;
    if (store.withdraw(id)) {
        print(err, QStringLiteral("vekorra-sms: not sent: phone %1 did not take the message within %2 s;"
                                  " it is no longer queued\n").arg(line).arg(seconds));
    } else {
        print(err, QStringLiteral("vekorra-sms: not sent within %1 s: phone %2 is still sending it (message %3)\n")
                       .arg(seconds).arg(line).arg(id));
    }
    return Failed;
}

// Watches the store for the controller's commits (SQLite's data_version
// changes with every commit of another connection) and reads the message
// only then.
int wait_for_outcome(messages::MessageStore& store, qint64 id, int line, FILE* err)
{
    QEventLoop loop;
    const QDeadlineTimer deadline(kSendWaitMs);
    qint64 seen_version = store.data_version();
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (deadline.hasExpired()) {
            poll.stop();
            loop.exit(timed_out(store, id, line, err));
            return;
        }
        const qint64 version = store.data_version();
        if (version == seen_version)
            return;
        seen_version = version;
        if (const std::optional<int> settled = outcome(store.message(id), err)) {
            poll.stop();
            loop.exit(*settled);
        }
    });
    poll.start();
    return loop.exec();
}

}  // namespace

int send(const SendRequest& request, FILE* in, FILE* out, FILE* err)
{
    const QString number = messages_window::sendable_number(request.number);
    if (number.isEmpty()) {
        print(err, QStringLiteral("vekorra-sms: \"%1\" holds no number\n").arg(request.number));
        return usage(err);
    }
    QString text;
    if (!read_text(request.text, in, text)) {
        print(err, QStringLiteral("vekorra-sms: standard input cannot be read\n"));
        return Failed;
    }
    if (text.isEmpty()) {
        print(err, QStringLiteral("vekorra-sms: the text is empty\n"));
        return usage(err);
    }
    if (const int parts = messages::count_parts(text).parts; parts > kMaxParts) {
        print(err, QStringLiteral("vekorra-sms: the text is too long: %1 parts, at most %2\n").arg(parts).arg(kMaxParts));
        return usage(err);
    }
    const int line = messages_window::line_for_message(request.line, number);
    if (!carries_messages(line)) {
        print(err, QStringLiteral("vekorra-sms: not sent: phone %1 carries no text messages\n").arg(line));
        return Failed;
    }
    messages::MessageStore store;
    const qint64 id = messages_window::queue_message(store, line, number, text, platform::clock().wall_clock_ms());
    if (id == 0)
        return store_failure(err, store);
    print(out, QStringLiteral("%1\n").arg(id));
    return request.wait ? wait_for_outcome(store, id, line, err) : Success;
}

}  // namespace sms_tool
