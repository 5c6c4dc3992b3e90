#pragma once
#include <QHash>
#include <QList>
#include <QStringList>

#include "platform/notifications.h"

// The notification service of the tests that need no session bus: a server
// that records every call, keeps what is on its screen, and lets the test
// play the user (invoke an action, dismiss a notification).
class RecordingNotifications : public platform::NotificationService {
    Q_OBJECT

public:
    struct Sent {
        quint32 id;
        platform::Notification notification;
    };

    // What the server says it can do; the default is a server with buttons.
    QStringList server_capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    // false: no server at all (nothing answers, nothing is shown).
    bool present = true;

    QList<Sent> sent;          // every Notify, in order
    QList<quint32> closes;     // every CloseNotification, in order
    QHash<quint32, platform::Notification> on_screen;

    QStringList capabilities() override;
    quint32 notify(const platform::Notification& notification) override;
    void close(quint32 id) override;

    // The user's hand.
    void invoke(quint32 id, const QString& action_key) { emit action_invoked(id, action_key); }
    void dismiss(quint32 id);

    // The one notification on screen (checked by the caller with
    // on_screen.size()); its action keys.
    const platform::Notification& only_shown() const;
    quint32 only_shown_id() const;
    static QStringList action_keys(const platform::Notification& notification);

private:
    quint32 next_id_ = 40;  // well away from the ids tests use for other programs
};
