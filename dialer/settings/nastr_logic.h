#pragma once
#include <QString>
#include <QStringList>

// The store side of the settings window: what its rule lists offer, which
// entry a stored rule selects, and how a city-code box is stored. Reads the
// store afresh on every call.
namespace nastr_logic {

// Entries of every rule list, one per phone slot in slot order, so an
// entry's position is its slot minus one: "1 <name>", "2 <name>" or
// "2 --- " (phones 2 to 4 by their ON), "5 Skype"/"5 --- ",
// "6 SIP-телефон"/"6 --- ".
QStringList rule_list_entries();

// The list position a rule's stored value selects (its leading number,
// rounded half to even, 0 when it has none), or -1 when that number names
// no slot: such a value is left alone rather than overwritten.
int rule_position(const QString& class_key);

// True when any of slots 2 to 6 is enabled; otherwise all calls go through
// phone 1 and the rules have nothing to choose.
bool any_extra_slot_enabled();

// The question before a retention that removes calls at once.
QString retention_question(int days, int doomed_calls, int doomed_messages = 0);

// A number that reaches the emergency services (112, 911, 101 to 104),
// whatever blanks or signs surround its digits: a test call to it asks
// first.
bool is_emergency_number(const QString& number);

// True when the slot's ON is exactly "1".
bool slot_enabled(int slot);

// What a city-code box does with its new text.
struct CityCodeStep {
    enum Kind {
        Store,    // write `text` to the key
        Shorten,  // put `text` (the first `width` characters) into the box
        Ignore,   // not a number: nothing is written
    } kind;
    QString text;
};

// A city code is stored only as decimal digits, at most `width` of them;
// a longer run of digits is cut to its first `width`.
CityCodeStep city_code_step(const QString& text, int width);

}  // namespace nastr_logic
