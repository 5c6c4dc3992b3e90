#pragma once
#include <QDBusConnection>
#include <QHash>
#include <QStringList>
#include <optional>

#include "platform/notifications.h"

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace platform {

// The notification service org.freedesktop.Notifications on the session bus.
//
// No call waits for the bus: every method call goes out asynchronously and
// its reply is taken in the event loop, so a server that hangs or answers
// late costs the window nothing. notify() therefore hands out an id of its
// own at once; the server's id is learnt from the reply, and every later
// replace, close, action and closing is translated between the two. A
// replace or close asked for before the server's reply waits for it.
// Signals about notifications that are not this service's (another
// program's) are not passed on; an action heard before the reply that
// names its notification is held until that reply.
//
// Capabilities are asked at the start and once per owner of the service's
// name, again when another program takes the name over; until the answer
// comes they are empty. Without a session bus or a server nothing is shown, a failed call
// is reported as the notification closed, and one line goes to the log
// category "vekorra.notify" until a server answers.
class DBusNotificationService : public NotificationService {
    Q_OBJECT

public:
    explicit DBusNotificationService(QObject* parent = nullptr);
    // For tests: a connection of their own choosing (a private bus).
    DBusNotificationService(const QDBusConnection& connection, QObject* parent = nullptr);

    QStringList capabilities() override;
    quint32 notify(const Notification& notification) override;
    void close(quint32 id) override;

    // How long a reply is awaited (in the event loop, never blocking).
    static constexpr int kReplyTimeoutMs = 10000;

private slots:
    void on_action_invoked(uint id, const QString& action_key);
    void on_closed(uint id, uint reason);
    void on_owner_changed(const QString& name, const QString& old_owner, const QString& new_owner);

private:
    // One notification of this service, by its own id.
    struct Shown {
        quint32 server_id = 0;           // 0 until the server's first reply
        bool awaiting = false;           // a Notify is on its way
        std::optional<Notification> next;  // a replace asked for meanwhile
        bool close_wanted = false;       // closed by this service, not yet confirmed
    };

    void connect_signals();
    bool reachable();
    void report_unavailable(const QString& why);
    void ask_capabilities();
    void send_notify(quint32 id, Notification notification);
    void notify_answered(quint32 id, QDBusPendingCallWatcher* call);
    void send_close(quint32 server_id);
    quint32 own_id(quint32 server_id) const;
    bool notify_on_its_way() const;

    // An action whose server id is not known yet, heard while a Notify's
    // reply was still on its way: the bus may hand the signal over before
    // the reply that names the id.
    struct EarlyAction {
        quint32 server_id;
        QString key;
    };

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QStringList capabilities_;
    bool capabilities_asked_ = false;
    bool capabilities_asking_ = false;  // a GetCapabilities is on its way
    QString capabilities_from_;         // unique name of the owner that answered
    QString owner_;                     // the name's owner, as last announced
    quint64 owner_generation_ = 0;      // owner changes seen
    bool unavailable_reported_ = false;
    QHash<quint32, Shown> shown_;
    quint32 next_id_ = 1;
    QList<EarlyAction> early_actions_;
};

}  // namespace platform
