#include "blackboard/notify_keys.h"

#include "settings_store/settings_store.h"

namespace blackboard::notify {

namespace {
QString text(const char* latin1) { return QString::fromLatin1(latin1); }
}  // namespace

bool notifications_on()
{
    const Setting& s = kNotificationsOn;
    return read_setting(text(s.app), text(s.section), text(s.key), text(s.default_value))
           == QLatin1String("1");
}

void set_notifications_on(bool on)
{
    const Setting& s = kNotificationsOn;
    write_setting(text(s.app), text(s.section), text(s.key), on ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace blackboard::notify
