#pragma once
#include <QAbstractListModel>
#include <QList>

#include "messages/message.h"
#include "messages/message_store.h"

namespace messages_window {

// The conversations of the messages tab, newest first: the sender (the
// contact's name beside the number), the time and the start of the newest
// message on a second line, the unread count (shown in bold by the view). A search as typed
// keeps the conversations with a message holding the text, a number
// holding its digits ("067 123"), or a contact's name holding it.
class ConversationListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { NumberRole = Qt::UserRole + 1, UnreadRole };
    static constexpr int kPreviewLength = 60;

    explicit ConversationListModel(messages::MessageStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Reads the store again (and searches again).
    void refresh(qint64 now_ms);
    void set_search(const QString& text);
    const messages::Conversation& conversation(int row) const { return shown_[row]; }
    // Every conversation as last read, whatever the search shows.
    const QList<messages::Conversation>& all() const { return all_; }
    int row_of(const QString& number) const;  // -1 when not shown

private:
    void apply_search();

    messages::MessageStore& store_;
    QList<messages::Conversation> all_;
    QList<messages::Conversation> shown_;
    QString search_;
    qint64 now_ms_ = 0;
};

}  // namespace messages_window
