#include "recording_notifications.h"

QStringList RecordingNotifications::capabilities() { return present ? server_capabilities : QStringList(); }

quint32 RecordingNotifications::notify(const platform::Notification& notification)
{
    if (!present)
        return 0;
    // A replacement keeps its id while the old one is still up, as the
    // interface prescribes; otherwise it is a new notification.
    const quint32 id = on_screen.contains(notification.replaces_id) ? notification.replaces_id : ++next_id_;
    on_screen.insert(id, notification);
    sent.append({id, notification});
    return id;
}

void RecordingNotifications::close(quint32 id)
{
    closes.append(id);
    if (on_screen.remove(id))
        emit closed(id, platform::CloseReason::Closed);
}

void RecordingNotifications::dismiss(quint32 id)
{
    if (on_screen.remove(id))
        emit closed(id, platform::CloseReason::Dismissed);
}

const platform::Notification& RecordingNotifications::only_shown() const
{
    static const platform::Notification none;
    return on_screen.isEmpty() ? none : on_screen.constBegin().value();
}

quint32 RecordingNotifications::only_shown_id() const
{
    return on_screen.isEmpty() ? 0 : on_screen.constBegin().key();
}

QStringList RecordingNotifications::action_keys(const platform::Notification& notification)
{
    QStringList keys;
    for (const platform::NotificationAction& action : notification.actions)
        keys << action.key;
    return keys;
}
