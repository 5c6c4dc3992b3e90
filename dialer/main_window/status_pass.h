#pragma once
#include <QString>
#include <array>
#include <optional>

#include "blackboard/published_calls.h"
#include "dialer/main_window/call_buttons.h"

namespace main_window {

// Background of a phone display.
enum class DisplayColour {
    LightGreen,   // the slot has calls to show
    LightYellow,  // phone connected, no calls
    LightGrey,    // phone not connected; also the colour at start
};

struct Rgb {
    int red, green, blue;
};
Rgb display_rgb(DisplayColour colour);

struct DisplayState {
    QString text;  // lines end in CR LF, as the call list is built
    DisplayColour colour = DisplayColour::LightGrey;
};

// What one slot's part of a status pass sets. An empty optional is a
// control the pass did not reach, which keeps what it shows.
struct SlotView {
    QString model;
    // The calls as read in this pass, for the readers beside the frame.
    blackboard::PublishedCalls calls;
    std::optional<DisplayState> display;
    // A call of the slot is active: tones can be sent.
    std::optional<bool> call_active;
    // Who holds the phone's port and what to do about it; "" when no one.
    std::optional<QString> port_note;
    std::array<std::optional<bool>, kCallButtonCount> buttons;
    std::optional<std::array<bool, kPlaceholderCount>> placeholders;
};

inline constexpr int kSerialSlots = 4;

// One slot's part of the status pass: reads the slot's blackboard and
// copies `model` into `name_tlf`. A slot whose `status` or `zvonok` has
// fewer than seven fields (a controller that never ran) ends its part before
// its display; a short `knopki_zv` ends it among the buttons. Either way the
// next slot's part runs as usual.
SlotView read_slot_view(int slot);

// The pass over slots 1 to 4, in that order.
std::array<SlotView, kSerialSlots> status_pass();

}  // namespace main_window
