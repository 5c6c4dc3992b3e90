#pragma once
#include <QList>
#include <QString>

// A text message as the store keeps it, and a conversation as the
// messages window lists it.
namespace messages {

enum class Direction { In, Out };
// received: new and unread; read: opened; queued: waits for its phone;
// sending: its phone is sending it; sent: the network took every part;
// delivered: every part's status report said so; failed: refused or not
// delivered (reason says why); incomplete: parts still missing after a day.
enum class State { Received, Read, Queued, Sending, Sent, Delivered, Failed, Incomplete };

QString state_text(State state);  // the stored spelling: "received", "read", ...
bool state_from_text(const QString& text, State& state);
QString direction_text(Direction direction);  // "in" / "out"

struct Message {
    qint64 id = 0;
    QString line;     // the phone slot, "1" to "4"
    QString model;    // the phone's model when the message passed through it
    Direction direction = Direction::In;
    QString number;   // the number, or the sender's name
    QString text;
    qint64 sent_ms = 0;      // the network's time stamp; 0 when unknown
    qint64 received_ms = 0;  // received, or queued
    int parts = 1;
    State state = State::Received;
    QString reason;          // why it failed, in Russian words; what is missing
};

struct Conversation {
    QString key;          // conversation_key of its number
    QString number;       // as the newest message has it
    QString last_text;
    qint64 last_ms = 0;
    Direction last_direction = Direction::In;
    State last_state = State::Received;
    int unread = 0;
};

// The key that groups the messages of one number: its last ten digits
// ("+380671234567" and "0671234567" meet), or a sender's name in lower case.
QString conversation_key(const QString& number);

}  // namespace messages
