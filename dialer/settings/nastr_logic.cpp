#include "dialer/settings/nastr_logic.h"

#include "dialer/dial/operators_telefons.h"
#include "dialer/dial/reestr.h"
#include "settings_store/settings_store.h"

namespace nastr_logic {

namespace {

constexpr int kSlotCount = 6;

QString blackboard_text(int slot, const char* key)
{
    return read_setting(QLatin1String(Reestr::kBlackboardApp), QString::number(slot),
                        QLatin1String(key), QString());
}

bool all_digits(const QString& text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

}  // namespace

bool slot_enabled(int slot)
{
    return blackboard_text(slot, Reestr::kKeyOn) == QLatin1String("1");
}

QStringList rule_list_entries()
{
    const QString unused = QStringLiteral(" --- ");
    QStringList entries{QStringLiteral("1 ") + blackboard_text(1, "name_tlf")};
    for (int slot = 2; slot <= 4; ++slot) {
        entries << (slot_enabled(slot)
                        ? QString::number(slot) + QLatin1Char(' ') + blackboard_text(slot, "name_tlf")
                        : QString::number(slot) + unused);
    }
    entries << (slot_enabled(Reestr::kSkypeSlot) ? QStringLiteral("5 Skype") : QStringLiteral("5") + unused);
    entries << (slot_enabled(Reestr::kSipSlot) ? QStringLiteral("6 SIP-телефон") : QStringLiteral("6") + unused);
    return entries;
}

int rule_position(const QString& class_key)
{
    const int value = read_rule_number(Reestr::rule_text(class_key));
    return value >= 0 && value < kSlotCount ? value : -1;
}

bool any_extra_slot_enabled()
{
    for (int slot = 2; slot <= kSlotCount; ++slot) {
        if (slot_enabled(slot))
            return true;
    }
    return false;
}

CityCodeStep city_code_step(const QString& text, int width)
{
    if (!all_digits(text))
        return {CityCodeStep::Ignore, QString()};
    if (text.size() > width)
        return {CityCodeStep::Shorten, text.left(width)};
    return {CityCodeStep::Store, text};
}

}  // namespace nastr_logic
