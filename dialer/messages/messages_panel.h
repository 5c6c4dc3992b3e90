#pragma once
#include <QTimer>
#include <QWidget>
#include <functional>

#include "dialer/messages/conversation_list_model.h"
#include "dialer/messages/message_notifier.h"
#include "dialer/messages/thread_model.h"
#include "journal/journal.h"
#include "messages/message_store.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;

// The main window's "Сообщения" tab: the conversations on the left (search
// as typed, "Новое сообщение"), the open conversation on the right with
// the number it goes to, its messages and calls, and the compose field
// with its counter, the phone to send through and "Отправить". It follows
// the messages database that the controllers write, a look every quarter
// second; it writes only through the message store and the blackboard.
class MessagesPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int refresh_period_ms = 250;

    // call_number dials a number as the number field and "Позвонить" do.
    MessagesPanel(platform::NotificationService& notifications, std::function<void(const QString&)> call_number,
                  QWidget* parent = nullptr);
    ~MessagesPanel() override;

    // Shows the conversation of the number and marks it read.
    void open_conversation(const QString& number);
    // An empty conversation for a number to type (or this one).
    void new_message(const QString& number = QString());
    // Queues the compose field's text for the number; false when nothing
    // was queued.
    bool send();
    bool send_selected_again();
    bool export_thread();
    void remove_message(int row);
    // "Добавить в контакты…": a new own contact with the conversation's number.
    void add_contact(const QString& number);
    bool remove_conversation();
    // Reads the store again when another program changed it.
    void refresh_if_changed();
    void refresh();
    // Messages older than the call journal keeps its calls leave the store.
    void remove_expired(int days);

    int unread_total() const { return unread_total_; }
    messages_window::ConversationListModel& conversations() { return list_model_; }
    messages_window::ThreadModel& thread() { return thread_model_; }
    QLineEdit* search_field() const { return search_; }
    QListView* conversation_list() const { return list_; }
    QListView* thread_view() const { return thread_view_; }
    QLineEdit* number_field() const { return to_; }
    QPlainTextEdit* compose_field() const { return compose_; }
    QLabel* counter() const { return counter_; }
    QComboBox* via() const { return via_; }
    QPushButton* send_button() const { return send_; }
    QPushButton* resend_button() const { return resend_; }

signals:
    void unread_changed(int unread);
    // A notification was clicked: the tab wants to be seen.
    void show_requested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void build_thread_side(QWidget* side);
    void connect_controls();
    void on_conversation_chosen(const QModelIndex& index);
    void show_open_conversation();
    void update_counter();
    void update_note();
    void update_phones();
    void update_resend();
    void show_thread_menu(const QPoint& position);

    std::function<void(const QString&)> call_number_;
    messages::MessageStore store_;
    journal::Journal journal_;
    messages_window::ConversationListModel list_model_{store_};
    messages_window::ThreadModel thread_model_{store_, journal_};
    messages_window::MessageNotifier notifier_;
    qint64 seen_version_ = -1;
    int unread_total_ = 0;

    QLineEdit* search_ = nullptr;
    QPushButton* new_ = nullptr;
    QListView* list_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLabel* name_ = nullptr;
    QPushButton* resend_ = nullptr;
    QPushButton* export_ = nullptr;
    QListView* thread_view_ = nullptr;
    QPlainTextEdit* compose_ = nullptr;
    QLabel* counter_ = nullptr;
    QComboBox* via_ = nullptr;
    // What the phone the message would go through says of messages.
    QString note_;
    QPushButton* send_ = nullptr;
    QTimer refresh_timer_;
};
