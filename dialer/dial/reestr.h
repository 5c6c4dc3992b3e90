#pragma once
#include <QString>

// The dialer's dial settings and routing rules in the settings store, and
// the phone blackboard keys the dial logic touches. Every accessor reads the
// store afresh: a change made by the settings window (or another process)
// counts from the next call placed. The dial logic never writes a setting;
// the descriptors below are what the settings window writes through.
namespace Reestr {

// One stored value: where it lives and what an absent key reads as.
struct Setting {
    const char* app;
    const char* section;
    const char* key;
    const char* default_value;
};

// Dial settings (application "MyApp", section "vekorra").
inline constexpr Setting kKod3{"MyApp", "vekorra", "kod3", "044"};
inline constexpr Setting kKod4{"MyApp", "vekorra", "kod4", "0442"};
inline constexpr Setting kKod5{"MyApp", "vekorra", "kod5", "04422"};
inline constexpr Setting kKodS1{"MyApp", "vekorra", "kodS1", "+38"};
inline constexpr Setting kKodGorPlus{"MyApp", "vekorra", "kodGor_Plus", "1"};
inline constexpr Setting kPlusRepl{"MyApp", "vekorra", "Plus_repl", "0"};
inline constexpr Setting kPlusReplNom{"MyApp", "vekorra", "Plus_repl_nom", "815"};

// Other dialer settings (application "Vekorra", section "drugoe").
// wind: raise the main window while a handed-over call is pending; off only
// when exactly "0".
inline constexpr Setting kWind{"Vekorra", "drugoe", "wind", "1"};
// sip_program: the SIP softphone's executable; empty means the default
// Express Talk location.
inline constexpr Setting kSipProgram{"Vekorra", "drugoe", "sip_program", ""};

// Routing rules: application "Vekorra", section "pravila", one key per
// operator class (MTS, KS, LF, BE, GOR, MEJD, OST), value = target slot - 1.
inline constexpr const char* kRulesApp = "Vekorra";
inline constexpr const char* kRulesSection = "pravila";
inline constexpr const char* kRuleDefault = "0";

// The phone blackboard: application "Kestrum", one section per slot.
inline constexpr const char* kBlackboardApp = "Kestrum";
inline constexpr const char* kKeyOn = "ON";                 // slot enabled ("1")
inline constexpr const char* kKeyOnPr = "on_pr";            // controller's port open ("True")
inline constexpr const char* kKeyOnPrzvExe = "on_przv_exe"; // main window runs controllers ("1")
inline constexpr const char* kKeyPozvonit = "pozvonit";     // number for the controller to dial

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

// The stored text of an operator class's routing rule ("0" when absent).
QString rule_text(const QString& class_key);

// A phone blackboard key of a slot's section, read with the default "0".
QString blackboard(int slot, const char* key);

}  // namespace Reestr
