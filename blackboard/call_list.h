#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The phone's call list, the reply to "AT+CLCC", read once into typed
// entries. Each entry is the marker "+CLCC:" followed by fields separated
// by ",": index, direction, state, mode, multiparty, number in double
// quotes, number type (129 national, 145 international, 128 withheld);
// some phones add a phonebook name. A withheld caller is listed without
// number and type.
namespace blackboard {

enum class CallState {
    Active = 0,
    Held = 1,
    Dialling = 2,
    Alerting = 3,
    Incoming = 4,
    Waiting = 5,
    Unknown = -1,  // a state value outside 0..5, or no state field
};

enum class CallDirection {
    Outgoing = 0,
    Incoming = 1,
    Unknown = -1,
};

// Where each field stands in an entry.
enum CallField { kIndexField, kDirectionField, kStateField, kModeField, kMultipartyField, kNumberField };

// The numeric fields are read by their leading number (blackboard::
// leading_integer), as every reader of the list always has: a state field
// " 4 " or "4x" is 4, a state field that is no number at all is 0, active.
struct CallEntry {
    int index = 0;
    CallDirection direction = CallDirection::Unknown;
    CallState state = CallState::Unknown;
    int raw_state = -1;  // the state field's number as listed; -1 also without one
    int mode = 0;        // 0 voice, 1 data, 2 fax, ...
    bool multiparty = false;
    // The number field with its double quotes removed, nothing else
    // changed; "" for a withheld caller.
    QString number;
    QStringList fields;  // the entry's fields as the phone gave them
    bool has_state = false;  // false when the entry ends before its state field

    bool is(CallState wanted) const { return has_state && state == wanted; }
};

// The entries in the phone's order; whatever precedes the first marker (an
// echoed command, an unsolicited line) is no entry. Never throws: an entry
// cut short keeps what it has.
QList<CallEntry> parse_call_list(const QString& reply);

// "Active call", decided here for every reader: an entry in state 0.
bool has_active_call(const QList<CallEntry>& calls);

}  // namespace blackboard
