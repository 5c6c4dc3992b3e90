#pragma once
#include <QDBusConnection>
#include <QStringList>

#include "platform/notifications.h"

class QDBusServiceWatcher;

namespace platform {

// The notification service org.freedesktop.Notifications on the session bus.
//
// Every call waits for its reply at most a short time on the caller's
// thread: a hung server costs that once per call, never the default 25 s.
// Without a session bus or a server nothing is shown, every call returns at
// once (0 / an empty list), and one line goes to the log category
// "vekorra.notify" until a server appears. Capabilities are asked once per
// server and asked again when another program takes the name over.
class DBusNotificationService : public NotificationService {
    Q_OBJECT

public:
    explicit DBusNotificationService(QObject* parent = nullptr);
    // For tests: a connection of their own choosing (a private bus).
    DBusNotificationService(const QDBusConnection& connection, QObject* parent = nullptr);

    QStringList capabilities() override;
    quint32 notify(const Notification& notification) override;
    void close(quint32 id) override;

    static constexpr int kReplyTimeoutMs = 1000;

private slots:
    void on_action_invoked(uint id, const QString& action_key);
    void on_closed(uint id, uint reason);
    void on_owner_changed();

private:
    void connect_signals();
    bool reachable();
    void report_unavailable(const QString& why);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QStringList capabilities_;
    bool capabilities_known_ = false;
    bool unavailable_reported_ = false;
};

}  // namespace platform
