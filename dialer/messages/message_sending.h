#pragma once
#include <QList>
#include <QString>

namespace messages {
class MessageStore;
}

// Sending from the messages tab: a message is queued in the store for one
// phone's line, then that phone's controller is woken through its
// blackboard (`sms_ochered`). Qt Core only; reads the store afresh.
namespace messages_window {

// A phone that can send now: a GSM phone whose controller has its port
// open, named "Телефон 2 (Nokia 6300)".
struct SendingPhone {
    int slot = 0;
    QString name;
    bool operator==(const SendingPhone&) const = default;
};
QList<SendingPhone> sending_phones();

// The phone for a message: the chosen slot, or with 0 ("Авто") the one the
// call routing rules choose for the number; when the rules name Skype or
// the softphone, the first phone that can send, else phone 1.
int line_for_message(int chosen_slot, const QString& number);

// What the compose field says of the phone a message would go through:
// that it takes no messages (a CDMA phone, a wired modem, a phone without
// them), or that it confirms no delivery; "" when neither.
QString sending_note(int slot);

// The number as it goes to the phone (digits and a leading "+"); "" when
// the text holds no number.
QString sendable_number(const QString& typed);

// Queues the text and wakes the line's controller; the message's id, 0
// when the store did not take it.
qint64 queue_message(messages::MessageStore& store, int slot, const QString& number, const QString& text,
                     qint64 now_ms);
// A failed message back into its line's queue, its controller woken.
bool send_again(messages::MessageStore& store, qint64 id, qint64 now_ms);

}  // namespace messages_window
