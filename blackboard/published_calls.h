#pragma once
#include <QList>
#include <QString>
#include <optional>

#include "blackboard/fields.h"

namespace blackboard {

class Slot;

// A phone's calls as its controller last published them (`status`,
// `zvonok`, `knopki_zv`). The dialer reads them here once per pass; the
// phone's frame, its keypad and the notifier all take this record.
struct PublishedCalls {
    // Absent while the list has fewer than seven fields: a controller that
    // never ran leaves the keys absent.
    std::optional<CallFields> states;   // `status`: the summary, then six rows
    std::optional<CallFields> numbers;  // `zvonok`: the summary, then six rows
    // Both lists hold more than separators: there are calls to show.
    bool any_call = false;
    // The button fields present, in ButtonField order: at most eleven; an
    // absent `knopki_zv` offers nothing in all eleven.
    QList<bool> offered;

    bool offers(ButtonField field) const;
    // One of the six rows is an active call: tones can be sent.
    bool call_active() const;
    // The number summary: the number being dialled or the one that rings.
    QString number() const;
    // A call that comes in offers "prin2"; one that waits beside another
    // offers "prin1".
    enum class Ringing { None, Incoming, Waiting };
    Ringing ringing() const;
};

PublishedCalls read_published_calls(const Slot& slot);

}  // namespace blackboard
