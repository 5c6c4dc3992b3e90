#pragma once
#include <QString>

#include "blackboard/keys.h"

// The dialer's dial settings and routing rules in the settings store, and
// the phone blackboard keys the dial logic touches. Every accessor reads the
// store afresh: a change made by the settings window (or another process)
// counts from the next call placed. The dial logic never writes a setting;
// the descriptors below are what the settings window writes through.
namespace Reestr {

// One stored value: where it lives and what an absent key reads as.
struct Setting {
    QLatin1String app;
    QLatin1String section;
    QLatin1String key;
    QLatin1String default_value;
};

namespace app = blackboard::app;
namespace section = blackboard::section;
namespace key = blackboard::key;

// Dial settings (application "MyApp", section "vekorra").
inline constexpr Setting kKod3{app::MyApp, section::vekorra, key::kod3, QLatin1String("044")};
inline constexpr Setting kKod4{app::MyApp, section::vekorra, key::kod4, QLatin1String("0442")};
inline constexpr Setting kKod5{app::MyApp, section::vekorra, key::kod5, QLatin1String("04422")};
inline constexpr Setting kKodS1{app::MyApp, section::vekorra, key::kodS1, QLatin1String("+38")};
inline constexpr Setting kKodGorPlus{app::MyApp, section::vekorra, key::kodGor_Plus, QLatin1String("1")};
inline constexpr Setting kPlusRepl{app::MyApp, section::vekorra, key::Plus_repl, QLatin1String("0")};
inline constexpr Setting kPlusReplNom{app::MyApp, section::vekorra, key::Plus_repl_nom, QLatin1String("815")};

// Other dialer settings (application "Vekorra", section "drugoe").
// wind: raise the main window while a handed-over call is pending; off only
// when exactly "0".
inline constexpr Setting kWind{app::Vekorra, section::drugoe, key::wind, QLatin1String("1")};
// sip_program: the SIP softphone's executable; empty means the default
// Express Talk location.
inline constexpr Setting kSipProgram{app::Vekorra, section::drugoe, key::sip_program, QLatin1String("")};
// journal_days: calls older than this many days leave the call journal at
// the dialer's start; 0 keeps them for ever.
inline constexpr Setting kJournalDays{app::Vekorra, section::drugoe, key::journal_days, QLatin1String("0")};
// sms_udalyat: a message taken from a phone is deleted from its memory once
// kept; off only when exactly "0".
inline constexpr Setting kSmsUdalyat{app::Vekorra, section::drugoe, key::sms_udalyat, QLatin1String("1")};

// Routing rules: application "Vekorra", section "pravila", one key per
// operator class (MTS, KS, LF, BE, GOR, MEJD, OST), value = target slot - 1.
inline constexpr QLatin1String kRuleDefault{"0"};

// Phone slots outside the serial ones.
inline constexpr int kSkypeSlot = 5;
inline constexpr int kSipSlot = 6;

// Reads one setting; an absent key gives its default.
QString read(const Setting& setting);

QString kod3();
QString kod4();
QString kod5();
QString kodS1();
QString kodGor_Plus();
QString Plus_repl();
QString Plus_repl_nom();
QString wind();
QString sip_program();
// The journal_days setting as days: 0 for ever, also for a value that is
// not a whole number of days from 0 up.
int journal_days();

// The stored text of an operator class's routing rule ("0" when absent).
QString rule_text(const QString& class_key);


}  // namespace Reestr
