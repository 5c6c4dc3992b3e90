#pragma once
#include <QLatin1String>
#include <QString>
#include <optional>

// Every name the dialer and the controllers use in the settings store, and
// the stored spellings of their values. The store matches names without
// regard to letter case, but each name is written here with the exact
// letters the programs have always used, so that a store written by either
// side, old or new, reads the same.
namespace blackboard {

// Applications of the store.
namespace app {
inline constexpr QLatin1String Kestrum{"Kestrum"};  // the phone blackboard
inline constexpr QLatin1String MyApp{"MyApp"};      // the dial settings
inline constexpr QLatin1String Vekorra{"Vekorra"};  // routing rules, other dialer settings
}  // namespace app

// Sections. The phone blackboard has one section per slot, named by the
// slot's number ("1" to "6"); a controller run from a folder of another
// name uses that name.
namespace section {
inline constexpr QLatin1String vekorra{"vekorra"};  // of MyApp: dial settings
inline constexpr QLatin1String pravila{"pravila"};  // of Vekorra: routing rules
inline constexpr QLatin1String drugoe{"drugoe"};    // of Vekorra: other settings
// The section of phone slot `slot`.
QString slot(int slot);
// The section of a controller run from its development folder.
QString development();
}  // namespace section

// Keys of the phone blackboard (application Kestrum, a slot's section).
namespace key {
// Configuration.
inline constexpr QLatin1String port{"port"};          // serial port number, decimal text
// The phone type is written under one spelling and read under the other;
// the store folds case, so both address the one key.
inline constexpr QLatin1String Tip_Tlf{"Tip_Tlf"};    // written
inline constexpr QLatin1String Tip_tlf{"Tip_tlf"};    // read
inline constexpr QLatin1String ON{"ON"};              // slot enabled (flag)
inline constexpr QLatin1String name_tlf{"name_tlf"};  // the phone's display name
// Lifecycle.
inline constexpr QLatin1String on_przv_exe{"on_przv_exe"};  // dialer lets the controller run (flag)
inline constexpr QLatin1String on_pr_exe{"on_pr_exe"};      // controller runs (flag)
inline constexpr QLatin1String on_pr{"on_pr"};              // controller's port open ("True"/"False")
// Status, written by the controller.
inline constexpr QLatin1String model{"model"};
inline constexpr QLatin1String status{"status"};        // CallFields
inline constexpr QLatin1String zvonok{"zvonok"};        // CallFields
inline constexpr QLatin1String knopki_zv{"knopki_zv"};  // ButtonFlags
// Commands, written by the dialer and taken by the controller.
inline constexpr QLatin1String pozvonit{"pozvonit"};      // number to dial
// The number the controller last took from `pozvonit`, taken by the main
// window: a request is taken within milliseconds, too soon for the window's
// watcher to see it waiting, and the window still comes forward for it.
inline constexpr QLatin1String pozvonit_vzyat{"pozvonit_vzyat"};
inline constexpr QLatin1String vzat_t{"vzat_t"};          // answer
inline constexpr QLatin1String poloz_t{"poloz_t"};        // hang up
inline constexpr QLatin1String ud_otklon{"ud_otklon"};    // reject the waiting call
inline constexpr QLatin1String kf{"kf"};                  // swap active and held calls
inline constexpr QLatin1String kf_oj{"kf_oj"};            // the same swap
inline constexpr QLatin1String kf1{"kf1"};                // join the held call
inline constexpr QLatin1String vzat_t_pr{"vzat_t_pr"};    // wired modem takes the line
inline constexpr QLatin1String poloz_t_pr{"poloz_t_pr"};  // wired modem releases the line
// Tones to send during the active call: writers append (dtmf_tones tells
// which characters count), the controller takes the whole text.
inline constexpr QLatin1String dtmf{"dtmf"};
// Incoming-call announcement, written by the controller, taken by the dialer.
inline constexpr QLatin1String vhod_zvonok{"vhod_zvonok"};
inline constexpr QLatin1String vhod_zvonok_time{"vhod_zvonok_time"};
// USSD. `ussd` is a request (a code such as "*111#", or the user's answer
// to a menu): only 0-9 * # +, at most 64 characters, written by the dialer
// or a script and taken by the controller like the commands. `ussd_cancel`
// ("1") ends a menu the network holds open. The controller publishes
// `ussd_reply` (the decoded text of the network's last answer) and then
// `ussd_state` (UssdState spellings below); both are "" while a request
// is out.
inline constexpr QLatin1String ussd{"ussd"};
inline constexpr QLatin1String ussd_cancel{"ussd_cancel"};
inline constexpr QLatin1String ussd_reply{"ussd_reply"};
inline constexpr QLatin1String ussd_state{"ussd_state"};
// The dialer's last ten codes of the phone, newest first, joined by "@".
inline constexpr QLatin1String ussd_codes{"ussd_codes"};
// Phones that come and go. `podkl_snova` ("1"), written by the dialer when
// the slot's device has just come back (plugged in again), taken by the
// controller, which opens its port again at once instead of at its next
// retry. `port_zanyat` is the controller's note on a port that another
// program holds (who holds it and what to do), "" while the port is not
// held.
inline constexpr QLatin1String podkl_snova{"podkl_snova"};
inline constexpr QLatin1String port_zanyat{"port_zanyat"};
// Text messages. `sms_ochered` ("1"), written by whoever queued a message
// for the slot's line in the message store, taken by the controller, which
// then sends what its line has queued. The controller publishes
// `sms_rezhim` (SmsMode spellings below): how its phone takes messages.
inline constexpr QLatin1String sms_ochered{"sms_ochered"};
// `kniga_chitat` ("1"), written by the dialer when the user asks for the
// phones' phonebooks again, taken by the controller, which reads its
// phone's SIM and phone memory into the contacts cache of its line once no
// call goes on.
inline constexpr QLatin1String kniga_chitat{"kniga_chitat"};
inline constexpr QLatin1String sms_rezhim{"sms_rezhim"};

// Dial settings (application MyApp, section vekorra).
inline constexpr QLatin1String kod3{"kod3"};
inline constexpr QLatin1String kod4{"kod4"};
inline constexpr QLatin1String kod5{"kod5"};
inline constexpr QLatin1String kodS1{"kodS1"};
inline constexpr QLatin1String kodGor_Plus{"kodGor_Plus"};
inline constexpr QLatin1String Plus_repl{"Plus_repl"};
inline constexpr QLatin1String Plus_repl_nom{"Plus_repl_nom"};
// Other dialer settings (application Vekorra, section drugoe).
inline constexpr QLatin1String wind{"wind"};
inline constexpr QLatin1String sip_program{"sip_program"};
// How many days the call journal keeps a call: a whole number; "0" (or an
// absent key, or anything that is not a number) keeps every call.
inline constexpr QLatin1String journal_days{"journal_days"};
// Whether a message the controller took from a phone is deleted from the
// phone's memory once kept: anything but "0" (absent too) deletes.
inline constexpr QLatin1String sms_udalyat{"sms_udalyat"};
// The country whose numbering reads numbers written without a country code
// (setting "Страна"): an ISO 3166 code such as "UA", the default.
inline constexpr QLatin1String strana{"strana"};
// Routing rules (application Vekorra, section pravila): one key per
// operator class.
inline constexpr QLatin1String MTS{"MTS"};
inline constexpr QLatin1String KS{"KS"};
inline constexpr QLatin1String LF{"LF"};
inline constexpr QLatin1String BE{"BE"};
inline constexpr QLatin1String GOR{"GOR"};
inline constexpr QLatin1String MEJD{"MEJD"};
inline constexpr QLatin1String OST{"OST"};
}  // namespace key

// Stored spellings of values.
namespace flag {
// Flags: only exactly "1" counts as on.
inline constexpr QLatin1String on{"1"};
inline constexpr QLatin1String off{"0"};
// The controller's port state in `on_pr`.
inline constexpr QLatin1String port_open{"True"};
inline constexpr QLatin1String port_closed{"False"};

inline QString of(bool set) { return set ? QString(on) : QString(off); }
inline bool is_on(const QString& value) { return value == on; }
inline QString port_state(bool open) { return open ? QString(port_open) : QString(port_closed); }
}  // namespace flag

// The tones of a `dtmf` text, in their order: 0-9, "*", "#" and A-D, with
// a-d read as A-D; every other character is no tone and is left out, so
// nothing else can reach the phone's command line.
QString dtmf_tones(const QString& written);

// The stored spellings of `ussd_state`.
namespace ussd_state {
inline constexpr QLatin1String pending{""};           // a request is out, no answer yet
inline constexpr QLatin1String done{"0"};             // no further action
inline constexpr QLatin1String menu{"1"};             // a menu waits for the user's answer
inline constexpr QLatin1String ended{"2"};            // ended by the network (or cancelled)
inline constexpr QLatin1String unsupported{"4"};      // not supported
inline constexpr QLatin1String network_timeout{"5"};  // timed out at the network
inline constexpr QLatin1String error{"error"};        // the phone refused it, or it was not valid
inline constexpr QLatin1String timeout{"timeout"};    // no answer within 20 s
}  // namespace ussd_state

// The stored spellings of `sms_rezhim`.
namespace sms_mode {
inline constexpr QLatin1String unknown{""};            // not asked yet
inline constexpr QLatin1String none{"net"};            // no messages: CDMA, a wired modem, or a phone without
inline constexpr QLatin1String pdu{"pdu"};             // PDU mode, delivery reports passed on
inline constexpr QLatin1String text{"text"};           // text mode, delivery reports passed on
inline constexpr QLatin1String pdu_no_reports{"pdu-bez-otchetov"};    // no delivery reports:
inline constexpr QLatin1String text_no_reports{"text-bez-otchetov"};  // "доставка не подтверждается"
}  // namespace sms_mode

// Whether text may be written to `ussd`: 1 to 64 of 0-9 * # +, so that no
// quote, comma or line end can reach the phone's command line.
bool ussd_request_valid(const QString& text);
inline constexpr int kUssdRequestMaxLength = 64;

// The phone type of a slot, which selects the controller's engine and the
// dial command.
enum class PhoneType { Gsm, Cdma, Provod };

inline constexpr QLatin1String kGsm{"GSM"};
inline constexpr QLatin1String kCdma{"CDMA"};
inline constexpr QLatin1String kProvod{"Provod"};  // wired modem

// The stored spelling: "GSM", "CDMA" or "Provod".
QString phone_type_text(PhoneType type);
// The type a stored text names, matched exactly ("gsm" names none).
std::optional<PhoneType> phone_type_of(const QString& text);
// What an absent `Tip_tlf` reads as.
inline constexpr PhoneType kDefaultPhoneType = PhoneType::Gsm;

}  // namespace blackboard
