#pragma once
#include <QList>
#include <functional>
#include <QString>

#include "journal/journal_database.h"
#include "messages/message.h"

// The text messages of every line, in the call journal's database (same
// file, same permissions). Each operation is one statement or one
// transaction, so a crash loses nothing already written. The text of a
// message is never logged. Failures report false, id 0 or -1 and warn once
// per kind in "vekorra.journal".
namespace messages {

// One received message or one part of a long one.
struct ReceivedPart {
    QString line, model, number, text;
    qint64 sent_ms = 0, received_ms = 0;
    int reference = 0, count = 1, sequence = 1;
    // What identifies this message in the phone's memory (its PDU, or its
    // text-mode header and text): a message seen before is not kept again.
    QString fingerprint;
};

enum class Kept { New, Waiting, Known, Failed };  // a message, a part waiting for the rest, seen before, store failed

struct ListFilter {
    QString number;        // the conversation of this number; "" = all
    bool unread_only = false;
    qint64 since_ms = 0;   // received or queued at or after
};

class MessageStore {
public:
    explicit MessageStore(const QString& path = journal::journal_path());

    // Receiving. Keeps a message, or a part until its message is whole
    // (then the joined message is kept, whatever order the parts came in).
    // Committed before it returns: only then may the phone delete it.
    Kept keep_received(const ReceivedPart& part, qint64* message_id = nullptr);
    // Parts still waiting a day after the first came are kept as an
    // incomplete message, with "…" where parts are missing. The number of
    // messages so kept, -1 on failure.
    int close_incomplete(qint64 now_ms, qint64 wait_ms = 24LL * 3600 * 1000);

    // For the window and the tool.
    QList<Conversation> conversations();           // newest first
    QList<Message> conversation(const QString& number, int limit = -1);  // oldest first
    QList<Message> fetch(const ListFilter& filter);  // newest first
    int unread_total();
    // The newest unread message of a conversation (through its index); id 0
    // when none.
    Message newest_unread(const QString& number);
    // The keys of the conversations with a message that holds `text` (ASCII
    // letters in any case; other letters as typed, in lower case, or with a
    // capital first) or whose number holds `digits`; "" matches nothing.
    QStringList matching_conversations(const QString& text, const QString& digits);
    bool mark_read(const QString& number);         // every received message of its conversation
    bool remove(qint64 id);
    int remove_conversation(const QString& number);  // how many, -1 on failure
    Message message(qint64 id);                    // id 0 when there is none

    // Sending. queue() puts a message in its line's queue (the caller then
    // wakes the line's controller through its blackboard); resend() puts a
    // failed one back.
    qint64 queue(const QString& line, const QString& number, const QString& text, qint64 now_ms);
    bool resend(qint64 id, qint64 now_ms);
    // Takes a message out of the queue while no phone has begun to send
    // it; false once one has (or when it is gone).
    bool withdraw(qint64 id);
    QList<Message> queued(const QString& line);    // oldest first
    bool set_state(qint64 id, State state, const QString& reason = QString());
    bool set_model(qint64 id, const QString& model);
    // A part went out with this reference (TP-MR).
    bool part_sent(qint64 id, const QString& line, int sequence, int tp_mr);
    // A status report of the line: the part with the newest such reference
    // is settled; the message is delivered once every part is, failed when
    // one part failed. The message's id, 0 when none matched.
    qint64 report(const QString& line, int tp_mr, bool delivered, const QString& reason);
    // At a controller's start: what its line left in "sending" failed.
    int interrupt_sending(const QString& line);

    // Retention, as the call journal's: older than days; 0 keeps all. How
    // many messages it removes (or would), -1 on failure.
    int remove_older_than_days(int days, qint64 now_ms);
    int count_older_than_days(int days, qint64 now_ms);
    qint64 data_version();
    bool usable() { return db_.ready(); }
    QString last_error() const { return db_.last_error(); }
    const QString& path() const { return db_.path(); }

private:
    bool transaction(const char* during, const std::function<bool()>& body);
    qint64 insert_message(const Message& message);
    Kept keep_part(const ReceivedPart& part, qint64* message_id);

    journal::JournalDatabase db_;
};

}  // namespace messages
