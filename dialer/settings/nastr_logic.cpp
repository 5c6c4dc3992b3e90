#include "dialer/settings/nastr_logic.h"

#include <QCoreApplication>

#include "dialer/dial/operators_telefons.h"
#include "dialer/dial/reestr.h"
#include "blackboard/slot.h"

namespace nastr_logic {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(Nastr_form)
};

constexpr int kSlotCount = 6;

QString phone_name(int slot)
{
    return blackboard::Slot(slot).read(blackboard::key::name_tlf, QString());
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

QString retention_question(int days, int doomed_calls, int doomed_messages)
{
    if (doomed_messages > 0)
        return Text::tr("Из журнала будут сразу удалены записи старше %1 дн.: звонков %2, сообщений %3.\nУдалить их?")
            .arg(days)
            .arg(doomed_calls)
            .arg(doomed_messages);
    return Text::tr("Из журнала будут сразу удалены звонки старше %1 дн.: %2.\nУдалить их?")
        .arg(days)
        .arg(doomed_calls);
}

bool is_emergency_number(const QString& number)
{
    static const QStringList emergency{QStringLiteral("112"), QStringLiteral("911"), QStringLiteral("101"),
                                       QStringLiteral("102"), QStringLiteral("103"), QStringLiteral("104")};
    QString digits;
    for (const QChar c : number)
        if (c.isDigit())
            digits += c;
    return emergency.contains(digits);
}

bool slot_enabled(int slot)
{
    return blackboard::Slot(slot).enabled();
}

QStringList rule_list_entries()
{
    const QString unused = QStringLiteral(" --- ");
    QStringList entries{QStringLiteral("1 ") + phone_name(1)};
    for (int slot = 2; slot <= 4; ++slot) {
        entries << (slot_enabled(slot)
                        ? QString::number(slot) + QLatin1Char(' ') + phone_name(slot)
                        : QString::number(slot) + unused);
    }
    entries << (slot_enabled(Reestr::kSkypeSlot) ? QStringLiteral("5 Skype") : QStringLiteral("5") + unused);
    entries << (slot_enabled(Reestr::kSipSlot) ? QStringLiteral("6 ") + Text::tr("SIP-телефон")
                                               : QStringLiteral("6") + unused);
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
