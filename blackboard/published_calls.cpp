#include "blackboard/published_calls.h"

#include "blackboard/keys.h"
#include "blackboard/slot.h"

namespace blackboard {

bool PublishedCalls::offers(ButtonField field) const { return offered.value(static_cast<int>(field), false); }

bool PublishedCalls::call_active() const { return states && has_active_call(*states); }

QString PublishedCalls::number() const { return numbers ? (*numbers)[0] : QString(); }

PublishedCalls::Ringing PublishedCalls::ringing() const
{
    if (offers(ButtonField::prin2))
        return Ringing::Incoming;
    if (offers(ButtonField::prin1))
        return Ringing::Waiting;
    return Ringing::None;
}

PublishedCalls read_published_calls(const Slot& slot)
{
    PublishedCalls calls;
    const QString states = slot.read(key::status, QString());
    const QString numbers = slot.read(key::zvonok, QString());
    calls.states = split_call_fields(states);
    calls.numbers = split_call_fields(numbers);
    calls.any_call = !all_fields_empty(numbers) && !all_fields_empty(states);
    calls.offered = split_button_flags(slot.read(key::knopki_zv, no_buttons()));
    return calls;
}

}  // namespace blackboard
