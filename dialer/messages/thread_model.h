#pragma once
#include <QAbstractListModel>
#include <QList>

#include "journal/call_record.h"
#include "messages/message.h"

namespace journal {
class Journal;
}
namespace messages {
class MessageStore;
}

namespace messages_window {

// One entry of a conversation: a message, or a call with the same number
// from the call journal.
struct ThreadItem {
    bool is_call = false;
    messages::Message message;
    journal::CallRecord call;
    qint64 time_ms() const { return is_call ? call.start_ms : message.received_ms; }
};

// The messages and calls of one number, oldest first (the order they
// happened in; a message before a call at the same moment).
QList<ThreadItem> merge_thread(const QList<messages::Message>& messages, const QList<journal::CallRecord>& calls);

// The conversation as a text file: a heading with the number (and the
// contact's name), then one line per message or call, oldest first.
QString export_text(const QString& number, const QList<ThreadItem>& items);

// The open conversation of the messages tab: its newest kShownMessages
// messages and the calls of the same number since the oldest of them.
class ThreadModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { OutgoingRole = Qt::UserRole + 1, CallRole, TextRole, TimeRole, StateRole, FailedRole, IdRole };
    static constexpr int kShownMessages = 500;

    ThreadModel(messages::MessageStore& store, journal::Journal& journal, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Opens the conversation of the number ("" closes it) and reads it.
    void open(const QString& number);
    void refresh();
    const QString& number() const { return number_; }
    const ThreadItem& item(int row) const { return items_[row]; }
    // The row of the message with this id; -1 when it is not shown.
    int row_of_message(qint64 id) const;
    // The whole conversation with its calls, for the export.
    QList<ThreadItem> whole_thread();

private:
    QList<journal::CallRecord> calls_since(qint64 since_ms);

    messages::MessageStore& store_;
    journal::Journal& journal_;
    QString number_;
    QList<ThreadItem> items_;
};

}  // namespace messages_window
