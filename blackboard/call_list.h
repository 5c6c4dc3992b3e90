#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The phone's call list, the reply to "AT+CLCC", read once into typed
// entries. Each entry is the marker "+CLCC:" followed by fields separated
// by ",": index, direction, state, mode, multiparty, number in double
// quotes, number type.
namespace blackboard {

enum class CallState {
    Active = 0,
    Held = 1,
    Dialling = 2,
    Alerting = 3,
    Incoming = 4,
    Waiting = 5,
    Unknown = -1,  // a state value outside 0..5
};

enum class CallDirection {
    Outgoing = 0,
    Incoming = 1,
    Unknown = -1,
};

struct CallEntry {
    int index = 0;
    CallDirection direction = CallDirection::Unknown;
    CallState state = CallState::Unknown;
    int raw_state = -1;  // the state field's number as listed
    int mode = 0;        // 0 voice, 1 data, 2 fax, ...
    bool multiparty = false;
    QString number;      // without quotes; "" for a withheld caller
    QStringList fields;  // the entry's fields as the phone gave them
    bool has_state = false;  // false when the entry ends before its state field

    bool is(CallState wanted) const { return has_state && state == wanted; }
};

// The entries in the phone's order; whatever precedes the first marker is
// no entry. Never throws: an entry cut short keeps what it has.
QList<CallEntry> parse_call_list(const QString& reply);

// The leading decimal integer of the trimmed text, 0 when there is none;
// values beyond int saturate.
int leading_integer(const QString& text);

}  // namespace blackboard
