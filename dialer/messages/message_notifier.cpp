#include "dialer/messages/message_notifier.h"

#include <QSet>
#include <utility>

#include "blackboard/notify_keys.h"
#include "contacts/shown_names.h"
#include "dialer/messages/message_labels.h"
#include "messages/message_store.h"

namespace messages_window {

namespace {
const QString kDefault = QStringLiteral("default");
}

MessageNotifier::MessageNotifier(platform::NotificationService& service, QObject* parent)
    : QObject(parent), service_(service)
{
    connect(&service_, &platform::NotificationService::action_invoked, this, &MessageNotifier::on_action);
    connect(&service_, &platform::NotificationService::closed, this,
            [this](quint32 id, platform::CloseReason) { on_closed(id); });
}

void MessageNotifier::pass(const QList<messages::Conversation>& conversations, messages::MessageStore& store)
{
    QSet<QString> unread_keys;
    for (const messages::Conversation& c : conversations) {
        if (c.unread <= 0)
            continue;
        unread_keys.insert(c.key);
        const messages::Message newest = store.newest_unread(c.number);
        if (newest.id == 0 || newest.id <= newest_seen_.value(c.key))
            continue;
        newest_seen_[c.key] = newest.id;
        if (!first_pass_ && blackboard::notify::notifications_on())
            show(newest, c.unread, c.key);
    }
    // Read (or deleted) conversations take their notification with them.
    for (auto shown = shown_.begin(); shown != shown_.end();) {
        if (unread_keys.contains(shown.key())) {
            ++shown;
            continue;
        }
        if (shown->id != 0)
            service_.close(shown->id);
        newest_seen_.remove(shown.key());
        shown = shown_.erase(shown);
    }
    first_pass_ = false;
}

void MessageNotifier::show(const messages::Message& newest, int unread, const QString& key)
{
    const QStringList capabilities = service_.capabilities();
    platform::Notification notification;
    notification.app_name = QStringLiteral("Vekorra");
    notification.desktop_entry = QStringLiteral("vekorra");
    notification.icon = QStringLiteral("vekorra");
    notification.category = QStringLiteral("im.received");
    notification.summary = Labels::tr("Новое сообщение");
    if (unread > 1)
        notification.summary += QStringLiteral(" (%1)").arg(unread);
    QString body = contacts::with_name(newest.number);
    if (blackboard::notify::message_text_shown())
        body += QLatin1Char('\n') + newest.text.left(kShownCharacters);
    if (capabilities.contains(QStringLiteral("body-markup")))
        body = body.toHtmlEscaped();
    notification.body = body;
    if (capabilities.contains(QStringLiteral("actions")))
        notification.actions << platform::NotificationAction{kDefault, Labels::tr("Открыть")};
    Shown& shown = shown_[key];
    notification.replaces_id = shown.id;
    shown.number = newest.number;
    shown.id = service_.notify(notification);
}

void MessageNotifier::on_action(quint32 id, const QString& action_key)
{
    if (id == 0 || action_key != kDefault)
        return;
    for (const Shown& shown : std::as_const(shown_))
        if (shown.id == id) {
            emit open_conversation(shown.number);
            return;
        }
}

void MessageNotifier::on_closed(quint32 id)
{
    if (id == 0)
        return;
    for (Shown& shown : shown_)
        if (shown.id == id)
            shown.id = 0;  // dismissed: the next message shows a new one
}

}  // namespace messages_window
