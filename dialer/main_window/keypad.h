#pragma once
#include <QString>

// The tone keypad of a phone frame: its keys and what a key press hands to
// the slot's controller. Qt Core only.
namespace main_window {

// The keys in the usual 4 by 3 grid, row by row.
inline constexpr char kKeypadKeys[] = "123456789*0#";
inline constexpr int kKeypadColumns = 3;

// What a screen reader calls the key ("Тон 5", "Тон звёздочка").
QString keypad_key_name(QChar key);
// The key a typed text presses: one of the keypad's characters, else none.
bool is_keypad_key(const QString& typed);
// Appends the tone to the slot's `dtmf`; false when the store could not
// be written.
bool send_tone(int slot, QChar key);

}  // namespace main_window
