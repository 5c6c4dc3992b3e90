#include "dialer/main_window/via_choices.h"

#include <QCoreApplication>

#include "blackboard/keys.h"
#include "blackboard/slot.h"
#include "dialer/dial/reestr.h"
#include "dialer/main_window/status_pass.h"
#include "settings_store/settings_store.h"

namespace main_window {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(ViaChoices)
};

}  // namespace

QList<ViaChoice> via_choices()
{
    const settings_store::ReadBatch batch;
    QList<ViaChoice> choices{{Text::tr("Авто (по правилам)"), std::nullopt}};
    for (int slot = 1; slot <= kSerialSlots; ++slot) {
        const blackboard::Slot board(slot);
        if (!board.port_open())
            continue;
        const QString model = board.read(blackboard::key::model, QString()).trimmed();
        QString text = Text::tr("Телефон %1").arg(slot);
        if (!model.isEmpty())
            text += QStringLiteral(" (%1)").arg(model);
        choices.append({text, slot - 1});
    }
    if (blackboard::Slot(Reestr::kSkypeSlot).enabled())
        choices.append({QStringLiteral("Skype"), Reestr::kSkypeSlot - 1});
    if (blackboard::Slot(Reestr::kSipSlot).enabled())
        choices.append({Text::tr("SIP-телефон"), Reestr::kSipSlot - 1});
    return choices;
}

}  // namespace main_window
