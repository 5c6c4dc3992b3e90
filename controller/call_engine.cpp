#include "controller/at.h"
#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "serial/serial_component.h"

namespace kestrum {

namespace {
QString flag(bool on) { return blackboard::flag::of(on); }
}  // namespace

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

void Controller::clear_dialled_labels()
{
    // A dial that no list showed still counts as a call made.
    journal_.dial_dropped();
    view_.dialled_number.clear();
    view_.progress.clear();
}

// The reply is parsed once; every question below is asked of that parse.
void Controller::evaluate_call_list(const at::CallListView& calls)
{
    const QString outgoing_number = at::outgoing_call(calls, 0);
    if (!at::call_list_state(calls, 2).isEmpty() || !at::call_list_state(calls, 1).isEmpty()
        || !outgoing_number.isEmpty() || !at::incoming_number(calls).isEmpty())
        clear_dialled_labels();

    view_.outgoing_number = outgoing_number;
    view_.outgoing_state = at::outgoing_call(calls, 1);
    view_.incoming_number = at::incoming_number(calls);
    // The marks go by the calls' states, not by their numbers: a caller who
    // withholds the number is still shown as ringing or waiting.
    const bool incoming = !view_.incoming_number.isEmpty() || at::has_incoming(calls) == 1;
    view_.incoming_mark = incoming ? QStringLiteral("Вх.вызов") : QString();
    view_.waiting_number = at::waiting_number(calls);
    const bool waiting = !view_.waiting_number.isEmpty() || at::has_waiting(calls) == 1;
    view_.second_line_mark = waiting ? QStringLiteral("2я линия") : QString();
    view_.call_mark_shown = !outgoing_number.isEmpty() || waiting || incoming;

    show_summaries_and_rows(calls);
    offer_call_buttons(calls);
    track_incoming(calls);
    publish_changed_call_state();
}

void Controller::show_summaries_and_rows(const at::CallListView& calls)
{
    state_.zvonok_str[0] = view_.dialled_number + view_.outgoing_number + view_.waiting_number + view_.incoming_number;
    state_.status_str[0] = view_.progress + view_.outgoing_state + view_.second_line_mark + view_.incoming_mark;
    view_.numbers_summary = state_.zvonok_str[0];
    view_.states_summary = state_.status_str[0];
    for (int n = 1; n <= 6; ++n) {
        state_.status_str[n] = at::call_list_state(calls, n);
        view_.row_state[n - 1] = state_.status_str[n];
        state_.zvonok_str[n] = at::call_list_number(calls, n);
        view_.row_number[n - 1] = state_.zvonok_str[n];
    }
}

void Controller::offer_call_buttons(const at::CallListView& calls)
{
    using Default = ControllerView::DefaultButton;
    const int conference = at::conference_kind(calls);
    view_.conference_hold_shown = conference == 1;
    state_.kf_oj = flag(conference == 1);
    view_.conference_shown = conference == 2;
    state_.kf = flag(conference == 2);

    const int can_join = at::can_join(calls);
    view_.join_shown = can_join == 1;
    state_.kf1 = flag(can_join == 1);
    if (can_join == 1)
        view_.default_button = Default::Join;

    const bool waiting = at::has_waiting(calls) == 1;
    view_.accept_waiting_shown = view_.reject_waiting_shown = waiting;
    state_.prin1 = state_.otklon1 = flag(waiting);
    if (waiting)
        view_.default_button = Default::AcceptWaiting;
    const bool incoming = at::has_incoming(calls) == 1;
    view_.accept_incoming_shown = view_.reject_incoming_shown = incoming;
    state_.prin2 = state_.otklon2 = flag(incoming);
    if (incoming)
        view_.default_button = Default::AcceptIncoming;

    bool add_party = false;
    if (can_join == 1 || conference == 1 || conference == 2 || at::has_active(calls) == 1)
        add_party = at::has_outgoing_setup(calls) == 0 && can_join == 0;
    view_.add_party_shown = add_party;
    state_.kf_dob = flag(add_party);
    if (add_party)
        view_.default_button = Default::AddParty;

    const bool call_present = !at::call_state_text(calls, 1).isEmpty() || !view_.dialled_number.isEmpty();
    view_.hang_up_shown = call_present;
    state_.pol_tr2 = flag(call_present);
    view_.dial_shown = !call_present;
}

void Controller::track_incoming(const at::CallListView& calls)
{
    const QString ringing = at::incoming_number(calls);
    if (!ringing.isEmpty())
        state_.tlf_in_1 = ringing;
    if (state_.tlf_in_1 != state_.tlf_in_1_0) {
        state_.tlf_in_1_0 = state_.tlf_in_1;
        // One commit: the dialer, woken by the number, finds its time too.
        write_board({{blackboard::key::vhod_zvonok, state_.tlf_in_1_0},
                     {blackboard::key::vhod_zvonok_time, platform::clock().time_of_day()}});
    }
    state_.tlf_in_2 = ringing;
    const bool answered = !state_.tlf_in_1.isEmpty()
                          && (state_.tlf_in_1 == state_.zvonok_str[1] || state_.tlf_in_1 == state_.zvonok_str[2]);
    if (!state_.tlf_in_1.isEmpty() && state_.tlf_in_2 != state_.tlf_in_1) {
        state_.tlf_in_3 = state_.tlf_in_1;
        state_.tlf_in_1.clear();
    }
    if (!state_.tlf_in_3.isEmpty()) {
        (answered ? view_.answered : view_.missed).append(state_.tlf_in_3);
        state_.tlf_in_3.clear();
    }
}

}  // namespace kestrum
