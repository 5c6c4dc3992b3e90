#include <QLoggingCategory>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "serial/port_holders.h"
#include "serial/serial_component.h"

namespace kestrum {

namespace {
// An empty poll waits this long for data instead of spinning.
constexpr int kPollPause = 10;
// A line the phone is still sending in pieces is waited for while its
// pieces keep coming at most this far apart.
constexpr qint64 kPieceGapMs = 1000;
// ..but never longer than an exchange may take in all: a phone that sends
// garbage byte by byte without end is a phone that does not answer.
constexpr qint64 kPiecesLimitMs = 10000;
// How often a port that stays unavailable is looked at for a holder.
constexpr qint64 kBusyCheckIntervalMs = 2000;
// A reply drowned in noise says nothing about the call list; it is asked
// again, at most this often, rather than the wrong engine being chosen for
// as long as the port stays open.
constexpr int kCallListProbes = 3;
// A phone answers within milliseconds; one that does not within this time
// is asked again the ticks' own way.
constexpr int kAtOnceLimitMs = 1000;
}  // namespace

void Controller::send(const QString& text)
{
    channel_.send(text);
}

void Controller::dialled(const QString& number)
{
    if (state_.tlf_numb == number)
        state_.tlf_numb.clear();
    // The call engine's dials show up in the call list.
    if (state_.CLCC != 1 || state_.tip_tlf != blackboard::kGsm)
        journal_.dialled_without_list(number);
    else
        journal_.dialled(number);
}

QString Controller::take_input()
{
    return channel_.take();
}

QString Controller::take_cleaned_input()
{
    QString input = take_input();
    input.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    input.replace(QLatin1Char('\r'), QLatin1Char(' '));
    input.remove(QStringLiteral("AT"));
    return input;
}

bool Controller::port_open_quietly() const
{
    try {
        return serial_->PortOpen();
    } catch (const std::exception&) {
        return false;
    }
}

void Controller::close_port_quietly()
{
    try {
        if (serial_->PortOpen())
            serial_->setPortOpen(false);
    } catch (const std::exception&) {
    }
    channel_.forget();
}

bool Controller::read_reply(QString& reply)
{
    platform::Clock& clock = platform::clock();
    const qint64 started_ms = clock.now_ms();
    int n = 0;
    bool got = false;
    for (;;) {
        if (channel_.waiting() != 0) {
            got = true;
            reply += take_input();
        } else if (channel_.mid_line() && clock.now_ms() - channel_.last_arrival_ms() < kPieceGapMs
                   && clock.now_ms() - started_ms < kPiecesLimitMs) {
            // The phone is speaking on its own (a USSD answer in pieces):
            // its line ends before the reply can begin.
            clock.sleep_ms(kPollPause);
            clock.pump();
            continue;
        } else if (n > 30 && !got) {
            clock.pump();
            clock.sleep_ms(500);
            if (n > 50 && !got)
                return false;
        } else if (!(got && n > 5)) {
            clock.sleep_ms(kPollPause);
        }
        if (got && n > 5)
            return true;
        ++n;
        clock.pump();
    }
}

QString Controller::at_exchange(const QString& command, int port)
{
    platform::Clock& clock = platform::clock();
    try {
        const int chosen = port != 0 ? port : leading_number16(board().port());
        if (serial_->CommPort() != chosen) {
            if (serial_->PortOpen())
                serial_->setPortOpen(false);
            channel_.forget();
            serial_->setCommPort(chosen);
        }
        clock.pump();
        if (!serial_->PortOpen()) {
            if (port == 0)
                open_slot_port();
            else
                serial_->setPortOpen(true);
        }
        send(command + QStringLiteral("\r\n"));
        clock.sleep_ms(200);
        QString reply;
        if (!read_reply(reply))
            throw SerialError("no reply");
        // The network's USSD lines never reach the call list, and their
        // text never counts as an error.
        reply = take_ussd_lines(reply, command);
        // Only the lower-case word is retried: "ERROR" is a final answer.
        if (reply.contains(QLatin1String("error"))) {
            reply.clear();
            clock.sleep_ms(500);
            send(command + QStringLiteral("\r\n"));
            clock.sleep_ms(200);
            if (!read_reply(reply))
                throw SerialError("no reply");
            reply = take_ussd_lines(reply, command);
        }
        reply = normalise_reply(reply, command);
        clock.pump();
        return reply;
    } catch (const std::exception& failure) {
        qCDebug(lcKestrumAt).noquote() << "COM" + QString::number(serial_->CommPort()) << "failed:" << failure.what();
        clock.pump();
        close_port_quietly();
        // The lost link is published at once: the next tick may open the
        // port again before a status tick would have shown it closed.
        write_board(blackboard::key::on_pr, blackboard::flag::port_state(false));
        return QStringLiteral("ER");
    }
}

QString Controller::exchange_at_once(const QString& command)
{
    if (!port_open_quietly())
        return at_exchange(command, 0);
    const AtChannel::Reply reply = channel_.exchange(command, kAtOnceLimitMs);
    if (reply.final == AtChannel::Final::None)
        return at_exchange(command, 0);
    const QString text = (reply.lines + QStringList{reply.final_line}).join(QStringLiteral("\r\n"));
    return normalise_reply(take_ussd_lines(text, command), command);
}

QString Controller::probe_call_list()
{
    QString reply;
    for (int attempt = 0; attempt < kCallListProbes; ++attempt) {
        reply = at_exchange(QStringLiteral("AT+CLCC"), 0);
        // The reply comes flattened into one line of words.
        const bool final = reply.contains(QLatin1String("OK")) || reply.contains(QLatin1String("ERROR"));
        if (final || !serial_->PortOpen())
            return reply;
    }
    // Still no sense from it: the link counts as lost, so the port is
    // opened and probed afresh instead of being kept with a guess.
    close_port_quietly();
    return reply;
}

QString Controller::port_check()
{
    platform::Clock& clock = platform::clock();
    try {
        const int port = leading_number16(board().port());
        if (serial_->CommPort() != port) {
            clock.pump();
            if (serial_->PortOpen())
                serial_->setPortOpen(false);
            channel_.forget();
            serial_->setCommPort(port);
        }
        if (!serial_->PortOpen()) {
            // A freshly opened port may hold another phone: probe it again.
            open_slot_port();
            clock.pump();
            QString call_list_reply = probe_call_list();
            const bool closed_by_failure = !serial_->PortOpen();
            const QString model = ask_for_model(
                [this](const QString& command) { return clean_model_reply(at_exchange(command, 0), command); });
            // A failed exchange closes the port and the model query opens it
            // again, perhaps on another device by then (a phone plugged back
            // while the first query timed out). The call-list support must
            // be that of the phone now open, since an open port is never
            // probed again.
            if (closed_by_failure && serial_->PortOpen())
                call_list_reply = probe_call_list();
            state_.model = model;
            journal_.set_model(state_.model);
            messages_.connected(state_.model);
            phonebook_.connected();
            state_.CLCC = call_list_reply.contains(QLatin1String("OK")) ? 1 : 0;
        }
        clock.pump();
        return QStringLiteral("OK");
    } catch (const std::exception&) {
        clock.pump();
        return QStringLiteral("ER");
    }
}

QString Controller::model_query(int port)
{
    engine_timer_.stop();
    try {
        // The search lists the text untrimmed; "ER" is a failed exchange.
        const QString reply = ask_for_model(
            [this, port](const QString& command) { return model_reply_text(at_exchange(command, port), command); });
        close_port_quietly();
        return reply == QLatin1String("ER") ? QStringLiteral("---") : reply;
    } catch (const std::exception&) {
        close_port_quietly();
        return QStringLiteral("---");
    }
}

void Controller::open_slot_port()
{
    try {
        serial_->setPortOpen(true);
    } catch (const std::exception&) {
        note_held_port();
        throw;
    }
    busy_check_.reset();
    publish_port_note(QString());
}

void Controller::note_held_port()
{
    // Looking for the holder reads every process's open files: not at
    // every tick while the port stays unavailable.
    const qint64 now = platform::clock().now_ms();
    const int port = serial_->CommPort();
    if (busy_check_ && busy_check_->port == port && now - busy_check_->at_ms < kBusyCheckIntervalMs)
        return;
    busy_check_ = BusyCheck{port, now};
    publish_port_note(held_port_note(port));
}

void Controller::publish_port_note(const QString& note)
{
    if (published_port_note_ == note)
        return;
    if (!note.isEmpty())
        qCWarning(lcKestrumAt).noquote() << "COM" + QString::number(serial_->CommPort()) << note;
    published_port_note_ = note;
    view_.port_note = note;
    board().write(blackboard::key::port_zanyat, note);
}

}  // namespace kestrum
