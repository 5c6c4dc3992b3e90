#include "controller/tones.h"

#include <QLoggingCategory>
#include <QStringList>
#include <utility>

#include "blackboard/call_list.h"
#include "blackboard/keys.h"
#include "platform/clock.h"

Q_LOGGING_CATEGORY(lcKestrumDtmf, "kestrum.dtmf", QtWarningMsg)

namespace kestrum {

namespace {
// More tones than this in one engine tick wait for the next, so the call
// list is read again between long runs.
constexpr int kTonesPerTick = 20;


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
    call_list_seen(blackboard::parse_call_list(reply));
}

void Tones::call_list_seen(const QList<blackboard::CallEntry>& calls)
{
    call_ = blackboard::has_active_call(calls) ? Call::Active : Call::None;
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

void Tones::send(AtChannel& channel, const std::function<bool()>& command_pending)
{
    if (!waiting() || command_pending())
        return;
    QString reply;
    const Reply listed = exchange(channel, QStringLiteral("AT+CLCC"), reply);
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
        const Reply result = exchange(channel, QStringLiteral("AT+VTS=") + tone, reply);
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

Tones::Reply Tones::exchange(AtChannel& channel, const QString& command, QString& reply)
{
    const AtChannel::Reply answer = channel.exchange(command, reply_limit_ms_);
    reply = answer.lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + answer.final_line;
    if (answer.final == AtChannel::Final::None) {
        qCInfo(lcKestrumDtmf).noquote() << command << "gave no final reply";
        return Reply::None;
    }
    return answer.ok() ? Reply::Ok : Reply::Error;
}

}  // namespace kestrum
