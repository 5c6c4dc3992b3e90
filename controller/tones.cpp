#include "controller/tones.h"

#include <QLoggingCategory>
#include <utility>

#include "blackboard/call_list.h"
#include "blackboard/keys.h"
#include "platform/clock.h"
#include "serial/serial_component.h"

Q_LOGGING_CATEGORY(lcKestrumDtmf, "kestrum.dtmf", QtWarningMsg)

namespace kestrum {

namespace {
// More tones than this in one engine tick wait for the next, so the call
// list is read again between long runs.
constexpr int kTonesPerTick = 20;
constexpr int kPollPause = 5;

bool has_active_call(const QString& reply)
{
    for (const blackboard::CallEntry& entry : blackboard::parse_call_list(reply))
        if (entry.is(blackboard::CallState::Active))
            return true;
    return false;
}

// The final result of an exchange, on a line of its own.
bool final_line(const QString& reply, bool& ok)
{
    for (const QString& raw : reply.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("OK")) {
            ok = true;
            return true;
        }
        if (line == QLatin1String("ERROR") || line.startsWith(QLatin1String("+CME ERROR"))
            || line == QLatin1String("NO CARRIER")) {
            ok = false;
            return true;
        }
    }
    return false;
}

QString visible(QString text)
{
    return text.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}
}  // namespace

void Tones::take(const QString& written)
{
    const QString tones = blackboard::dtmf_tones(written);
    if (tones.size() != written.size())
        qCInfo(lcKestrumDtmf).noquote() << "not tones, left out:" << written.size() - tones.size() << "characters";
    if (tones.isEmpty())
        return;
    if (call_ == Call::None) {
        drop(tones, "no active call");
        return;
    }
    waiting_ += tones;
}

void Tones::call_list_seen(const QString& reply)
{
    call_ = has_active_call(reply) ? Call::Active : Call::None;
    if (call_ == Call::None && waiting())
        drop(std::exchange(waiting_, QString()), "no active call");
}

void Tones::drop_all(const char* why)
{
    call_ = Call::Unknown;
    if (waiting())
        drop(std::exchange(waiting_, QString()), why);
}

void Tones::drop(const QString& tones, const char* why)
{
    qCInfo(lcKestrumDtmf).noquote() << "dropped" << tones << "-" << why;
}

void Tones::send(SerialComponent& serial, const std::function<bool()>& command_pending)
{
    if (!waiting() || command_pending())
        return;
    QString reply;
    const Reply listed = exchange(serial, QStringLiteral("AT+CLCC"), reply);
    if (listed == Reply::None) {
        drop_all("the phone gave no final reply");
        return;
    }
    if (listed == Reply::Ok)
        call_list_seen(reply);
    else
        call_ = Call::Unknown;  // a phone without a call list: its answer to each tone decides
    platform::Clock& clock = platform::clock();
    for (int sent = 0; waiting() && sent < kTonesPerTick; ++sent) {
        // Status ticks run here: a hang-up taken now goes out first.
        clock.pump();
        if (command_pending())
            return;
        const QChar tone = waiting_.front();
        waiting_.remove(0, 1);
        const Reply result = exchange(serial, QStringLiteral("AT+VTS=") + tone, reply);
        if (result == Reply::Ok)
            continue;
        if (result == Reply::None) {
            drop_all("the phone gave no final reply");
            return;
        }
        qCInfo(lcKestrumDtmf).noquote() << "tone" << tone << "refused";
        // With a call listed the rest waits for the next look at the list;
        // without a list the refusal is the phone saying there is no call.
        if (call_ != Call::Active)
            drop_all("the phone has no call for them");
        return;
    }
}

Tones::Reply Tones::exchange(SerialComponent& serial, const QString& command, QString& reply)
{
    platform::Clock& clock = platform::clock();
    reply.clear();
    try {
        // Whatever came unasked before the command is no part of its reply.
        const QString earlier = serial.Input();
        if (!earlier.isEmpty())
            qCDebug(lcKestrumDtmf).noquote() << "before" << command << "->" << visible(earlier);
        serial.Output(command + QStringLiteral("\r\n"));
        qCDebug(lcKestrumDtmf).noquote() << "<-" << command;
        QElapsedTimer waited;
        waited.start();
        bool ok = false;
        while (!final_line(reply, ok)) {
            if (waited.elapsed() > reply_limit_ms_)
                return Reply::None;
            if (serial.InBufferCount() != 0)
                reply += serial.Input();
            else
                clock.sleep_ms(kPollPause);
        }
        qCDebug(lcKestrumDtmf).noquote() << "->" << visible(reply);
        return ok ? Reply::Ok : Reply::Error;
    } catch (const std::exception& failure) {
        qCInfo(lcKestrumDtmf).noquote() << command << "failed:" << failure.what();
        return Reply::None;
    }
}

}  // namespace kestrum
