#include "platform/dbus_notifications.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QLoggingCategory>
#include <QVariantMap>

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
    if (capabilities_known_ || !reachable())
        return capabilities_;
    const QDBusMessage reply = bus_.call(method_call(QStringLiteral("GetCapabilities")), QDBus::Block,
                                         kReplyTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        report_unavailable(reply.errorMessage());
        return {};
    }
    capabilities_ = reply.arguments().constFirst().toStringList();
    capabilities_known_ = true;
    unavailable_reported_ = false;
    return capabilities_;
}

quint32 DBusNotificationService::notify(const Notification& notification)
{
    if (!reachable())
        return 0;
    QDBusMessage call = method_call(QStringLiteral("Notify"));
    call << notification.app_name << notification.replaces_id << notification.icon << notification.summary
         << notification.body << action_list(notification.actions) << hints_of(notification)
         << notification.expire_timeout_ms;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kReplyTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        report_unavailable(reply.errorMessage());
        return 0;
    }
    unavailable_reported_ = false;
    return reply.arguments().constFirst().toUInt();
}

void DBusNotificationService::close(quint32 id)
{
    if (id == 0 || !reachable())
        return;
    QDBusMessage call = method_call(QStringLiteral("CloseNotification"));
    call << id;
    // No reply is awaited: the server confirms with NotificationClosed.
    bus_.send(call);
}

void DBusNotificationService::on_action_invoked(uint id, const QString& action_key)
{
    emit action_invoked(id, action_key);
}

void DBusNotificationService::on_closed(uint id, uint reason)
{
    emit closed(id, static_cast<CloseReason>(reason));
}

void DBusNotificationService::on_owner_changed()
{
    // Another server (or none) now: its capabilities may differ.
    capabilities_known_ = false;
    capabilities_.clear();
}

}  // namespace platform
