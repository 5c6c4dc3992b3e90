#pragma once
#include <QString>

namespace main_window {

// The call buttons of one phone frame, numbered by their field in the
// controller's `knopki_zv` list.
enum class CallButton {
    sn_tr_k, pol_tr1_k, prin1_k, otklon1_k, pol_tr2_k, prin2_k,
    otklon2_k, kf_k, kf1_k, kf_oj_k, kf_dob_k,
};
inline constexpr int kCallButtonCount = 11;

// The inactive pictures that fill a position while none of its buttons is
// offered.
enum class Placeholder { prin_na, otkl_na, pol_na, Image1, Image2, Image3 };
inline constexpr int kPlaceholderCount = 6;

// The six picture positions of a frame, left to right; each position has
// one picture family shared by all its buttons and its placeholder. The
// keypad button of a frame has a family of its own (no placeholder: its
// inactive picture shows while no call is active).
enum class SkinFamily { ok, no, off, kf, kf_oj, kf_dob, dtmf };
inline constexpr int kSkinFamilyCount = 7;

enum class SkinRole { Normal, Hover, Pressed, Inactive };
inline constexpr int kSkinRoleCount = 4;

inline constexpr int kPictureWidth = 49;
inline constexpr int kPictureHeight = 28;
inline constexpr int kPictureTop = 80;
// The keypad button stands right of the display, above the last position.
inline constexpr int kKeypadTop = 30;

inline CallButton call_button(int field) { return static_cast<CallButton>(field); }
inline int field_of(CallButton button) { return static_cast<int>(button); }

SkinFamily family_of(CallButton button);
SkinFamily family_of(Placeholder placeholder);
// Left edge of the family's position inside a phone frame.
int position_left(SkinFamily family);

QString button_name(CallButton button);            // "prin1_k"
QString placeholder_name(Placeholder placeholder); // "prin_na"
// What the button does, as a screen reader says it ("Ответить").
QString button_caption(CallButton button);
// What the placeholder stands for: the action of its position, not offered
// now, by the action of its position ("Ответить"); it reads as that button,
// unavailable.
QString placeholder_caption(Placeholder placeholder);
QString family_name(SkinFamily family);            // "kf_oj"
// "ok.jpg", "ok_f.jpg", "ok_kl.jpg", "ok_na.jpg"
QString skin_file_name(SkinFamily family, SkinRole role);
// The skin folder of an installation: "<folder>/icons".
QString skin_folder(const QString& installation_folder);

// The blackboard key a click writes "1" into; empty for kf_dob_k, which
// opens the add-a-party window instead.
QString command_key(CallButton button);
// A click on the button of frame `slot` (1 to 4): writes its command into
// that slot's section, whether or not the controller runs (it is taken by
// the next controller of the slot). kf_dob_k writes nothing.
void write_button_command(int slot, CallButton button);

}  // namespace main_window
