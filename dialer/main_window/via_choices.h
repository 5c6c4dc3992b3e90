#pragma once
#include <QList>
#include <QString>
#include <optional>

namespace main_window {

// One entry of "Через:" beside "Позвонить": what it says and the routing
// rule's value it stands for (none: the rules decide).
struct ViaChoice {
    QString text;
    std::optional<int> rule;
    bool operator==(const ViaChoice&) const = default;
};

// "Авто (по правилам)" first, then each connected phone by name, then
// Skype and the SIP softphone where they are switched on. Read from the
// store afresh.
QList<ViaChoice> via_choices();

}  // namespace main_window
