#include "controller/call_part.h"

#include "controller/at.h"
#include "platform/clock.h"

namespace kestrum {

namespace {
QString flag(bool on) { return blackboard::flag::of(on); }
}  // namespace

CallPart::CallPart(ControllerState& state, ControllerView& view, Hooks hooks)
    : state_(state), view_(view), hooks_(std::move(hooks))
{
}

void CallPart::clear_dialled_labels()
{
    // A dial that no list showed still counts as a call made.
    hooks_.dial_dropped();
    view_.dialled_number.clear();
    view_.progress.clear();
}

// The reply is parsed once; every question below is asked of that parse.
void CallPart::evaluate(const at::CallListView& calls)
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
}

void CallPart::show_summaries_and_rows(const at::CallListView& calls)
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

void CallPart::offer_call_buttons(const at::CallListView& calls)
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

void CallPart::track_incoming(const at::CallListView& calls)
{
    const QString ringing = at::incoming_number(calls);
    if (!ringing.isEmpty())
        state_.tlf_in_1 = ringing;
    if (state_.tlf_in_1 != state_.tlf_in_1_0) {
        state_.tlf_in_1_0 = state_.tlf_in_1;
        hooks_.ringing_announced(state_.tlf_in_1_0, platform::clock().time_of_day());
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
