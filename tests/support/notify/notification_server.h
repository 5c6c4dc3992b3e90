#pragma once
#include <QDBusContext>
#include <QFile>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

// The freedesktop notification service as the tests run it: it shows
// nothing, records every call with its time (one JSON object a line in the
// log, flushed at once) and keeps the ids it has handed out. A slow server
// answers GetCapabilities and Notify only after reply_delay_ms, a hung one
// (-1) never.
class NotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NotificationServer(const QString& log_path, bool with_actions, QObject* parent = nullptr);
    int reply_delay_ms = 0;

public slots:
    QStringList GetCapabilities();
    QString GetServerInformation(QString& vendor, QString& version, QString& spec_version);
    uint Notify(const QString& app_name, uint replaces_id, const QString& app_icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expire_timeout);
    void CloseNotification(uint id);

signals:
    void ActionInvoked(uint id, const QString& action_key);
    void NotificationClosed(uint id, uint reason);

public:
    // The user's hand, reached through the control object.
    void invoke(uint id, const QString& action_key);
    void dismiss(uint id);

private:
    void record(QVariantMap entry);
    // Holds the reply back as the server is set to; true when it did.
    bool held_back(const QVariant& answer);

    QFile log_;
    bool with_actions_;
    uint last_id_ = 0;
    QSet<uint> shown_;
};

// What a test asks of the server: org.vekorra.test.NotificationControl at
// /control. Invoke emits ActionInvoked for any id (also one the server never
// gave out, as another program's notification would), Dismiss closes as the
// user would.
class NotificationControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vekorra.test.NotificationControl")

public:
    explicit NotificationControl(NotificationServer& server) : server_(server) {}

public slots:
    void Invoke(uint id, const QString& action_key) { server_.invoke(id, action_key); }
    void Dismiss(uint id) { server_.dismiss(id); }

private:
    NotificationServer& server_;
};
