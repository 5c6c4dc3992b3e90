#pragma once
#include <QString>

// The dialer's switch for desktop notifications of calls, stored beside its
// other settings (application "Vekorra", section "drugoe"). Written by the
// check box of the "Другое" tab, read by the call notifier at every status
// pass, so a change counts from the next pass.
namespace blackboard::notify {

struct Setting {
    const char* app;
    const char* section;
    const char* key;
    const char* default_value;
};

// uvedomleniya: "1" shows notifications of ringing and missed calls; on
// when absent; like every flag, only exactly "1" counts as on.
inline constexpr Setting kNotificationsOn{"Vekorra", "drugoe", "uvedomleniya", "1"};

// sms_tekst_v_uvedoml: "1" shows the text of a new message in its
// notification (the sender alone otherwise); on when absent.
inline constexpr Setting kMessageTextShown{"Vekorra", "drugoe", "sms_tekst_v_uvedoml", "1"};

bool notifications_on();
void set_notifications_on(bool on);
bool message_text_shown();
void set_message_text_shown(bool shown);

}  // namespace blackboard::notify
