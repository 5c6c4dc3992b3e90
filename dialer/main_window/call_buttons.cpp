#include "dialer/main_window/call_buttons.h"

#include <QCoreApplication>
#include <array>

#include "blackboard/fields.h"
#include "blackboard/slot.h"

namespace main_window {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(CallButtons)
};

struct ButtonInfo {
    const char* name;
    SkinFamily family;
    const char* caption;  // UTF-8, translated when shown
};

// In `knopki_zv` field order.
constexpr std::array<ButtonInfo, kCallButtonCount> kButtons{{
    {"sn_tr_k", SkinFamily::ok, QT_TRANSLATE_NOOP("CallButtons", "Снять трубку")},
    {"pol_tr1_k", SkinFamily::no, QT_TRANSLATE_NOOP("CallButtons", "Положить трубку")},
    {"prin1_k", SkinFamily::ok, QT_TRANSLATE_NOOP("CallButtons", "Ответить на второй вызов")},
    {"otklon1_k", SkinFamily::no, QT_TRANSLATE_NOOP("CallButtons", "Отклонить второй вызов")},
    {"pol_tr2_k", SkinFamily::off, QT_TRANSLATE_NOOP("CallButtons", "Положить трубку")},
    {"prin2_k", SkinFamily::ok, QT_TRANSLATE_NOOP("CallButtons", "Ответить")},
    {"otklon2_k", SkinFamily::off, QT_TRANSLATE_NOOP("CallButtons", "Отклонить")},
    {"kf_k", SkinFamily::kf, QT_TRANSLATE_NOOP("CallButtons", "Переключить")},
    {"kf1_k", SkinFamily::kf, QT_TRANSLATE_NOOP("CallButtons", "Объединить в конференцию")},
    {"kf_oj_k", SkinFamily::kf_oj, QT_TRANSLATE_NOOP("CallButtons", "Переключить конференцию")},
    {"kf_dob_k", SkinFamily::kf_dob, QT_TRANSLATE_NOOP("CallButtons", "Добавить в конференцию")},
}};
static_assert(kCallButtonCount == blackboard::kButtonFieldCount);

constexpr std::array<const char*, kPlaceholderCount> kPlaceholderNames{
    "prin_na", "otkl_na", "pol_na", "Image1", "Image2", "Image3"};

// The action of each position, for the placeholder that stands in it.
constexpr std::array<const char*, kPlaceholderCount> kPlaceholderCaptions{
    QT_TRANSLATE_NOOP("CallButtons", "Ответить"),
    QT_TRANSLATE_NOOP("CallButtons", "Отклонить"),
    QT_TRANSLATE_NOOP("CallButtons", "Положить трубку"),
    QT_TRANSLATE_NOOP("CallButtons", "Переключить"),
    QT_TRANSLATE_NOOP("CallButtons", "Переключить конференцию"),
    QT_TRANSLATE_NOOP("CallButtons", "Добавить в конференцию")};

constexpr std::array<const char*, kSkinFamilyCount> kFamilyNames{
    "ok", "no", "off", "kf", "kf_oj", "kf_dob", "dtmf"};

constexpr std::array<int, kSkinFamilyCount> kFamilyLeft{8, 64, 120, 184, 240, 296, 296};

constexpr std::array<const char*, kSkinRoleCount> kRoleSuffixes{"", "_f", "_kl", "_na"};

}  // namespace

SkinFamily family_of(CallButton button) { return kButtons[field_of(button)].family; }

// Placeholders are listed in the order of the positions they stand in.
SkinFamily family_of(Placeholder placeholder) { return static_cast<SkinFamily>(placeholder); }

int position_left(SkinFamily family) { return kFamilyLeft[static_cast<int>(family)]; }

QString button_name(CallButton button) { return QString::fromLatin1(kButtons[field_of(button)].name); }

QString placeholder_name(Placeholder placeholder)
{
    return QString::fromLatin1(kPlaceholderNames[static_cast<int>(placeholder)]);
}

QString button_caption(CallButton button)
{
    return Text::tr(kButtons[field_of(button)].caption);
}

QString placeholder_caption(Placeholder placeholder)
{
    return Text::tr(kPlaceholderCaptions[static_cast<int>(placeholder)]);
}

QString family_name(SkinFamily family)
{
    return QString::fromLatin1(kFamilyNames[static_cast<int>(family)]);
}

QString skin_file_name(SkinFamily family, SkinRole role)
{
    return family_name(family) + QString::fromLatin1(kRoleSuffixes[static_cast<int>(role)])
           + QStringLiteral(".jpg");
}

QString skin_folder(const QString& installation_folder)
{
    return installation_folder + QStringLiteral("/icons");
}

namespace {
std::optional<QLatin1String> command_of(CallButton button)
{
    return blackboard::command_key(static_cast<blackboard::ButtonField>(field_of(button)));
}
}  // namespace

QString command_key(CallButton button)
{
    const std::optional<QLatin1String> key = command_of(button);
    return key ? QString(*key) : QString();
}

void write_button_command(int slot, CallButton button)
{
    if (const std::optional<QLatin1String> key = command_of(button))
        blackboard::Slot(slot).write(*key, blackboard::flag::on);
}

}  // namespace main_window
