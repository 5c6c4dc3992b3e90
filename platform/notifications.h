#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {

// Desktop notifications as the freedesktop notification service offers them
// on the session bus. The seam carries one notification at a time and the two
// signals the service sends back; what to show and when is the caller's.

enum class Urgency : quint8 { Low = 0, Normal = 1, Critical = 2 };

struct NotificationAction {
    QString key;    // sent back in action_invoked; "default" is a click on the body
    QString label;  // shown on the button

    bool operator==(const NotificationAction&) const = default;
};

struct Notification {
    QString app_name;
    quint32 replaces_id = 0;  // a shown notification to replace in place; 0 for a new one
    QString icon;             // an icon name of the theme, or empty
    QString summary;
    QString body;
    QList<NotificationAction> actions;
    Urgency urgency = Urgency::Normal;
    QString category;         // "call.incoming", "call.unanswered", ...
    QString desktop_entry;    // the program's .desktop file name without ".desktop"
    int expire_timeout_ms = -1;  // -1: the server's choice; 0: never expires

    bool operator==(const Notification&) const = default;
};

// Why the service closed a notification (NotificationClosed's reason).
enum class CloseReason : quint32 { Expired = 1, Dismissed = 2, Closed = 3, Undefined = 4 };

class NotificationService : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~NotificationService() override = default;

    // What the server can do ("actions", "body", "body-markup", ...); empty
    // when there is no server or no session bus.
    virtual QStringList capabilities() = 0;
    // Shows (or, with replaces_id, replaces) a notification; the server's id
    // for it, 0 when it could not be shown.
    virtual quint32 notify(const Notification& notification) = 0;
    // Takes a notification off the screen; unknown ids are ignored.
    virtual void close(quint32 id) = 0;

signals:
    // The user chose an action of notification `id`. The service reports
    // the actions of every program's notifications: compare the id.
    void action_invoked(quint32 id, const QString& action_key);
    void closed(quint32 id, platform::CloseReason reason);
};

}  // namespace platform
