#pragma once
#include <QLatin1String>
#include <QList>
#include <QString>
#include <array>
#include <optional>

// The "@"-joined lists of the phone blackboard: `status` and `zvonok`
// (seven fields each) and `knopki_zv` (eleven button flags).
namespace blackboard {

inline constexpr QChar kFieldSeparator = u'@';

// `status`: the state summary, then the states of up to six calls;
// `zvonok`: the number summary, then the numbers of the same calls.
inline constexpr int kCallFieldCount = 7;
using CallFields = std::array<QString, kCallFieldCount>;

// Joined with "@". A caller's number may itself hold an "@" (a gateway's
// "user@host"); left in, it would shift every later field and pair the
// dialer's states with the wrong numbers, so it is dropped.
QString join_call_fields(const CallFields& fields);
// The first seven fields of a stored list; nothing when it holds fewer
// (a controller that never ran leaves the key absent).
std::optional<CallFields> split_call_fields(const QString& text);
// True when a stored list holds nothing but separators.
bool all_fields_empty(const QString& text);
// The state a call row of `status` begins with while that call is active
// (state 0 of the call list): "Разг.".
QString active_call_state();
// Whether one of the six call rows of `status` is an active call.
bool has_active_call(const CallFields& status);

// The fields of `knopki_zv`, in their order: which call buttons the dialer
// offers. Each field is "1" (offer), "0" or "" (not yet decided).
enum class ButtonField { sn_tr, pol_tr1, prin1, otklon1, pol_tr2, prin2, otklon2, kf, kf1, kf_oj, kf_dob };
inline constexpr int kButtonFieldCount = 11;
using ButtonFlags = std::array<QString, kButtonFieldCount>;  // indexed by ButtonField

QString join_button_flags(const ButtonFlags& flags);
// Whether each field present offers its button ("1"), in field order; at
// most eleven. An empty text holds no field at all.
QList<bool> split_button_flags(const QString& text);
// What a controller leaves at its orderly end: eleven empty fields.
QString no_buttons();

// The command key a button of the field writes "1" into; nothing for
// kf_dob, which opens the add-a-party window instead.
std::optional<QLatin1String> command_key(ButtonField field);

}  // namespace blackboard
