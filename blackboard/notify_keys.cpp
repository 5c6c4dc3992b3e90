#include "blackboard/notify_keys.h"

#include "settings_store/settings_store.h"

namespace blackboard::notify {

namespace {
QString text(const char* latin1) { return QString::fromLatin1(latin1); }

bool flag_on(const Setting& s)
{
    return read_setting(text(s.app), text(s.section), text(s.key), text(s.default_value))
           == QLatin1String("1");
}

void set_flag(const Setting& s, bool on)
{
    write_setting(text(s.app), text(s.section), text(s.key), on ? QStringLiteral("1") : QStringLiteral("0"));
}
}  // namespace

bool notifications_on() { return flag_on(kNotificationsOn); }
void set_notifications_on(bool on) { set_flag(kNotificationsOn, on); }
bool message_text_shown() { return flag_on(kMessageTextShown); }
void set_message_text_shown(bool shown) { set_flag(kMessageTextShown, shown); }

}  // namespace blackboard::notify
