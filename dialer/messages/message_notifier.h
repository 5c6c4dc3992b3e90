#pragma once
#include <QHash>
#include <QList>
#include <QObject>

#include "messages/message.h"
#include "platform/notifications.h"

namespace messages {
class MessageStore;
}

namespace messages_window {

// Desktop notifications of new messages: one per conversation, replaced in
// place as further messages arrive and closed once the conversation is
// read. "Новое сообщение" shows the sender and the first 200 characters of
// the newest message (the sender alone while `sms_tekst_v_uvedoml` is off);
// nothing while `uvedomleniya` is off. The messages unread when the dialer
// started were seen before: only later ones are notified. A click on the
// notification (its default action) asks for the conversation.
class MessageNotifier : public QObject {
    Q_OBJECT

public:
    static constexpr int kShownCharacters = 200;

    explicit MessageNotifier(platform::NotificationService& service, QObject* parent = nullptr);

    // At every change of the store, with its conversations.
    void pass(const QList<messages::Conversation>& conversations, messages::MessageStore& store);

signals:
    void open_conversation(const QString& number);

private:
    struct Shown {
        quint32 id = 0;
        QString number;
    };
    void show(const messages::Message& newest, int unread, const QString& key);
    void on_action(quint32 id, const QString& action_key);
    void on_closed(quint32 id);

    platform::NotificationService& service_;
    QHash<QString, Shown> shown_;        // by conversation key
    QHash<QString, qint64> newest_seen_; // the newest unread message seen, by key
    bool first_pass_ = true;
};

}  // namespace messages_window
