#include "platform/dbus_notifications.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QLoggingCategory>
#include <QVariantMap>
#include <utility>

Q_LOGGING_CATEGORY(lcNotify, "vekorra.notify", QtWarningMsg)

namespace platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage method_call(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

QStringList action_list(const QList<NotificationAction>& actions)
{
    QStringList flat;
    for (const NotificationAction& action : actions)
        flat << action.key << action.label;
    return flat;
}

QVariantMap hints_of(const Notification& notification)
{
    QVariantMap hints;
    // The interface types urgency as a byte ("y"); an int is ignored by
    // servers that check the type.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(notification.urgency)));
    if (!notification.category.isEmpty())
        hints.insert(QStringLiteral("category"), notification.category);
    if (!notification.desktop_entry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), notification.desktop_entry);
    return hints;
}
}  // namespace

DBusNotificationService::DBusNotificationService(QObject* parent)
    : DBusNotificationService(QDBusConnection::sessionBus(), parent)
{
}

DBusNotificationService::DBusNotificationService(const QDBusConnection& connection, QObject* parent)
    : NotificationService(parent), bus_(connection)
{
    connect_signals();
    // Asked now, so that the first notification already knows whether it
    // may carry buttons.
    if (bus_.isConnected())
        ask_capabilities();
}

void DBusNotificationService::connect_signals()
{
    if (!bus_.isConnected())
        return;
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(on_action_invoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(on_closed(uint, uint)));
    watcher_ = new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &DBusNotificationService::on_owner_changed);
}

bool DBusNotificationService::reachable()
{
    if (bus_.isConnected())
        return true;
    report_unavailable(QStringLiteral("no session bus: ") + bus_.lastError().message());
    return false;
}

void DBusNotificationService::report_unavailable(const QString& why)
{
    if (unavailable_reported_)
        return;
    unavailable_reported_ = true;
    qCWarning(lcNotify).noquote() << "desktop notifications are not shown:" << why;
}

QStringList DBusNotificationService::capabilities()
{
    if (!capabilities_asked_ && reachable())
        ask_capabilities();
    return capabilities_;
}

void DBusNotificationService::ask_capabilities()
{
    capabilities_asked_ = true;
    capabilities_asking_ = true;
    const quint64 generation = owner_generation_;
    auto* call = new QDBusPendingCallWatcher(
        bus_.asyncCall(method_call(QStringLiteral("GetCapabilities")), kReplyTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        capabilities_asking_ = false;
        const QDBusMessage reply = answered->reply();
        // The name may have changed hands while the question was out: only
        // the present owner's answer counts (the sender of a reply is its
        // unique name); otherwise the present owner is asked when next needed.
        if (generation != owner_generation_ && reply.service() != owner_) {
            capabilities_asked_ = false;
            return;
        }
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            report_unavailable(reply.errorMessage());
            return;
        }
        capabilities_ = reply.arguments().constFirst().toStringList();
        capabilities_from_ = reply.service();
        unavailable_reported_ = false;
    });
}

quint32 DBusNotificationService::notify(const Notification& notification)
{
    if (!reachable())
        return 0;
    const auto replaced = shown_.find(notification.replaces_id);
    if (notification.replaces_id != 0 && replaced != shown_.end() && !replaced->close_wanted) {
        if (replaced->awaiting) {
            replaced->next = notification;  // the latest text wins
        } else {
            Notification replacing = notification;
            replacing.replaces_id = replaced->server_id;
            send_notify(notification.replaces_id, replacing);
        }
        return notification.replaces_id;
    }
    const quint32 id = next_id_++;
    Notification fresh = notification;
    fresh.replaces_id = 0;
    shown_.insert(id, Shown{});
    send_notify(id, fresh);
    return id;
}

void DBusNotificationService::send_notify(quint32 id, Notification notification)
{
    shown_[id].awaiting = true;
    QDBusMessage call = method_call(QStringLiteral("Notify"));
    call << notification.app_name << notification.replaces_id << notification.icon << notification.summary
         << notification.body << action_list(notification.actions) << hints_of(notification)
         << notification.expire_timeout_ms;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call, kReplyTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, id](QDBusPendingCallWatcher* answered) { notify_answered(id, answered); });
}

void DBusNotificationService::notify_answered(quint32 id, QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusMessage reply = call->reply();
    const auto shown = shown_.find(id);
    if (shown == shown_.end())
        return;
    shown->awaiting = false;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        report_unavailable(reply.errorMessage());
        // An older text must not stay up as if current.
        if (shown->server_id != 0)
            send_close(shown->server_id);
        shown_.erase(shown);
        emit closed(id, CloseReason::Undefined);
        return;
    }
    unavailable_reported_ = false;
    shown->server_id = reply.arguments().constFirst().toUInt();
    const QList<EarlyAction> early = std::exchange(early_actions_, {});
    for (const EarlyAction& action : early) {
        if (action.server_id == shown->server_id)
            emit action_invoked(id, action.key);
        else if (notify_on_its_way())
            early_actions_ << action;
    }
    if (shown->close_wanted) {
        send_close(shown->server_id);
    } else if (shown->next) {
        Notification replacing = *shown->next;
        shown->next.reset();
        replacing.replaces_id = shown->server_id;
        send_notify(id, replacing);
    }
}

void DBusNotificationService::close(quint32 id)
{
    const auto shown = shown_.find(id);
    if (id == 0 || shown == shown_.end() || !reachable())
        return;
    shown->close_wanted = true;
    shown->next.reset();
    // Kept until the server confirms with NotificationClosed, which then
    // reaches the caller under this service's id.
    if (!shown->awaiting)
        send_close(shown->server_id);
}

void DBusNotificationService::send_close(quint32 server_id)
{
    QDBusMessage call = method_call(QStringLiteral("CloseNotification"));
    call << server_id;
    // No reply is awaited: the server confirms with NotificationClosed.
    bus_.send(call);
}

quint32 DBusNotificationService::own_id(quint32 server_id) const
{
    if (server_id == 0)
        return 0;
    for (auto shown = shown_.cbegin(); shown != shown_.cend(); ++shown)
        if (shown->server_id == server_id)
            return shown.key();
    return 0;
}

bool DBusNotificationService::notify_on_its_way() const
{
    for (const Shown& shown : shown_)
        if (shown.awaiting)
            return true;
    return false;
}

void DBusNotificationService::on_action_invoked(uint id, const QString& action_key)
{
    constexpr int kMostHeld = 16;  // another program's actions must not pile up
    if (const quint32 own = own_id(id))
        emit action_invoked(own, action_key);
    else if (id != 0 && notify_on_its_way() && early_actions_.size() < kMostHeld)
        early_actions_ << EarlyAction{id, action_key};
}

void DBusNotificationService::on_closed(uint id, uint reason)
{
    const quint32 own = own_id(id);
    if (own == 0)
        return;
    // A replace on its way keeps the notification: the server closed the
    // old one only to show the new one in its place.
    if (shown_.value(own).awaiting)
        return;
    shown_.remove(own);
    emit closed(own, static_cast<CloseReason>(reason));
}

void DBusNotificationService::on_owner_changed(const QString&, const QString&, const QString& new_owner)
{
    owner_ = new_owner;
    ++owner_generation_;
    if (!new_owner.isEmpty() && new_owner == capabilities_from_)
        return;  // its answer is in already
    // Another server (or none) now: its capabilities may differ.
    capabilities_.clear();
    capabilities_from_.clear();
    if (!capabilities_asking_)
        capabilities_asked_ = false;
}

}  // namespace platform
