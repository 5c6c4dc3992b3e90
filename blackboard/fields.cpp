#include "blackboard/fields.h"

#include <QStringList>

#include "blackboard/keys.h"

namespace blackboard {

namespace {
QStringList fields_of(const QString& text)
{
    return text.isEmpty() ? QStringList() : text.split(kFieldSeparator);
}
}  // namespace

QString join_call_fields(const CallFields& fields)
{
    QStringList parts;
    for (const QString& field : fields)
        parts.append(QString(field).remove(kFieldSeparator));
    return parts.join(kFieldSeparator);
}

std::optional<CallFields> split_call_fields(const QString& text)
{
    const QStringList parts = fields_of(text);
    if (parts.size() < kCallFieldCount)
        return std::nullopt;
    CallFields fields;
    for (int index = 0; index < kCallFieldCount; ++index)
        fields[index] = parts[index];
    return fields;
}

bool all_fields_empty(const QString& text)
{
    return QString(text).remove(kFieldSeparator).isEmpty();
}

QString join_button_flags(const ButtonFlags& flags)
{
    QStringList parts(flags.begin(), flags.end());
    return parts.join(kFieldSeparator);
}

QList<bool> split_button_flags(const QString& text)
{
    QList<bool> offered;
    for (const QString& field : fields_of(text).mid(0, kButtonFieldCount))
        offered.append(flag::is_on(field));
    return offered;
}

QString no_buttons() { return QString(kButtonFieldCount - 1, kFieldSeparator); }

std::optional<QLatin1String> command_key(ButtonField field)
{
    switch (field) {
    case ButtonField::sn_tr: return key::vzat_t_pr;
    case ButtonField::pol_tr1: return key::poloz_t_pr;
    case ButtonField::prin1: return key::vzat_t;
    case ButtonField::otklon1: return key::ud_otklon;
    case ButtonField::pol_tr2: return key::poloz_t;
    case ButtonField::prin2: return key::vzat_t;
    case ButtonField::otklon2: return key::poloz_t;
    case ButtonField::kf: return key::kf;
    case ButtonField::kf1: return key::kf1;
    case ButtonField::kf_oj: return key::kf_oj;
    case ButtonField::kf_dob: break;
    }
    return std::nullopt;
}

QString active_call_state() { return QStringLiteral("Разг."); }

bool has_active_call(const CallFields& status)
{
    for (int row = 1; row < kCallFieldCount; ++row)
        if (status[row].startsWith(active_call_state()))
            return true;
    return false;
}

}  // namespace blackboard
