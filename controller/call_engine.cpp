#include "controller/at.h"
#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "serial/serial_component.h"

namespace kestrum {

void Controller::call_engine_tick()
{
    platform::Clock& clock = platform::clock();
    port_check();
    try {
        if (++state_.sch > 1) {
            lost_connection(QStringLiteral("Потеряна связь (>1)"));
            state_.sch = 0;
            return;
        }
        const QString command = send_pending_command();
        if (!command.isEmpty()) {
            // What the command changed is read at once after its result.
            // A result not come within the tick's pause may still be on its
            // way and would pass for the list's: that list is read the
            // ticks' own way.
            call_poll_wanted_ = true;
            command_reply_pending_ = !await_command_result(command);
            --state_.sch;
            return;
        }
        QString reply;
        const bool dialling = !state_.tlf_numb.isEmpty();
        if (dialling) {
            dial_pending_number();
        } else {
            tones_.send(channel_, [this] { return call_command_pending(); });
            send_ussd_command();
            reply = poll_call_list();
        }
        // Parsed once: the engine, the tones and the journal read one list.
        const at::CallListView calls(reply);
        if (!dialling) {
            tones_.call_list_seen(calls.entries());
            journal_.call_list_polled(reply, calls.entries());
        }
        evaluate_call_list(calls);
        // A dial's reply may still be on its way; a call list is read whole.
        line_quiet_ = !dialling && reply.contains(QLatin1String("OK"));
        show_link({std::nullopt, ControllerView::Indicator::Hidden, std::nullopt});
        clock.sleep_ms(100);
        clock.pump();
        --state_.sch;
    } catch (const std::exception&) {
        lost_connection(QStringLiteral("Ошибка порта"));
        state_.sch = 0;
    }
}

bool Controller::await_command_result(const QString& command)
{
    constexpr int pause_ms = 200;
    if (!port_open_quietly()) {
        platform::clock().sleep_ms(pause_ms);
        return false;
    }
    return channel_.await_final(command, pause_ms).final != AtChannel::Final::None;
}

// One command per tick, in this order of precedence; its result is read
// by the caller. Returns the command sent, "" when none waited.
QString Controller::send_pending_command()
{
    const struct {
        qint16 ControllerState::*flag;
        const char* command;
    } commands[] = {
        {&ControllerState::ud_konf, "AT+CHLD=3\r\n"}, {&ControllerState::ud_otklon, "AT+CHLD=0\r\n"},
        {&ControllerState::ud_perekl, "AT+CHLD=2\r\n"}, {&ControllerState::vzat_t, "ATA\r\n"},
        {&ControllerState::poloz_t, "AT+CHUP\r\n"},
    };
    for (const auto& command : commands) {
        if (state_.*command.flag != 1)
            continue;
        state_.*command.flag = 0;
        send(QString::fromLatin1(command.command));
        if (command.flag == &ControllerState::poloz_t)
            journal_.command_sent(journal::DeclineCommand::HangUp);
        else if (command.flag == &ControllerState::ud_otklon)
            journal_.command_sent(journal::DeclineCommand::ReleaseHeldOrWaiting);
        // A hang-up also ends a dialled number that never reached the list.
        if (command.flag == &ControllerState::poloz_t)
            clear_dialled_labels();
        return QString::fromLatin1(command.command).trimmed();
    }
    return QString();
}

bool Controller::call_command_pending() const
{
    return state_.ud_konf == 1 || state_.ud_otklon == 1 || state_.ud_perekl == 1 || state_.vzat_t == 1
           || state_.poloz_t == 1 || !state_.tlf_numb.isEmpty();
}

void Controller::dial_pending_number()
{
    platform::Clock& clock = platform::clock();
    const QString number = state_.tlf_numb;
    send(dial_command(QStringLiteral("ATD"), number));
    view_.dialled_number = number;
    view_.progress = QStringLiteral("Подключение...");
    dialled_at_ms_ = clock.now_ms();
    clock.pump();
    clock.sleep_ms(500);
    dialled(number);
}

QString Controller::poll_call_list()
{
    call_poll_wanted_ = false;
    // The list is read the moment it ends, so that the tick is soon over
    // and what the user or the phone does next is taken at once; right
    // after a call command, whose own reply may still be on its way, it is
    // read the ticks' own way.
    const bool reply_pending = std::exchange(command_reply_pending_, false);
    const QString command = QStringLiteral("AT+CLCC");
    const QString reply = reply_pending ? at_exchange(command, 0) : exchange_at_once(command);
    link_up();
    if (!reply.contains(QLatin1String("OK"))) {
        show_link({QStringLiteral("Потеряна связь (нет ОК)"), std::nullopt, std::nullopt});
    } else if (!reply.contains(QLatin1String("+CLCC:")) && dialled_at_ms_
               && platform::clock().now_ms() - *dialled_at_ms_ >= limits_.dial_label_hold_ms) {
        // The dialled number never showed up (refused, or over before a
        // poll saw it): it leaves the display.
        clear_dialled_labels();
    }
    return reply;
}

void Controller::clear_dialled_labels() { calls_.clear_dialled_labels(); }

void Controller::evaluate_call_list(const at::CallListView& calls)
{
    calls_.evaluate(calls);
    publish_changed_call_state();
}

}  // namespace kestrum
