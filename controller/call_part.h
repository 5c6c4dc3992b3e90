#pragma once
#include <QString>
#include <functional>

#include "controller/controller_state.h"
#include "controller/controller_view.h"

namespace at {
class CallListView;
}

namespace kestrum {

// The calls of one phone as its call list shows them: the summaries and
// call rows, the buttons offered, the number dialled until the list shows
// it, which call rings, and which of the calls that rang were answered or
// missed. Fed one parsed list per poll; it never talks to the phone. Its
// state is kept in the controller's state and view under the names the
// blackboard protocol uses, which the status tick publishes.
class CallPart {
public:
    struct Hooks {
        // A dialled number that no list showed leaves the display.
        std::function<void()> dial_dropped;
        // Another number rings: announced with the time of day it began.
        std::function<void(const QString& number, const QString& time)> ringing_announced;
    };

    CallPart(ControllerState& state, ControllerView& view, Hooks hooks);

    void evaluate(const at::CallListView& calls);
    void clear_dialled_labels();

private:
    void show_summaries_and_rows(const at::CallListView& calls);
    void offer_call_buttons(const at::CallListView& calls);
    void track_incoming(const at::CallListView& calls);

    ControllerState& state_;
    ControllerView& view_;
    Hooks hooks_;
};

}  // namespace kestrum
