#include "dialer/main_window/status_pass.h"

#include "settings_store/settings_store.h"

#include <QCoreApplication>

#include "blackboard/fields.h"
#include "blackboard/slot.h"
#include "blackboard/stored_texts.h"
#include "contacts/shown_names.h"

namespace main_window {

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(StatusPass)
};

namespace key = blackboard::key;
namespace flag = blackboard::flag;

DisplayState call_list_display(const blackboard::CallFields& status, const blackboard::CallFields& calls)
{
    QString text;
    for (int k = 0; k < blackboard::kCallFieldCount; ++k) {
        if (status[k].isEmpty())
            continue;
        text += blackboard::shown_text(status[k]) + QLatin1Char(' ') + contacts::with_name(calls[k]) + QStringLiteral("\r\n");
    }
    return {text, DisplayColour::LightGreen};
}

DisplayState connection_display(const blackboard::Slot& slot, const QString& model)
{
    // Both spellings of "not connected" that a controller leaves behind
    // count, and so does an absent key.
    const bool connected = slot.read(key::on_pr, flag::off) != flag::off
                           && slot.read(key::on_pr, flag::port_closed) != flag::port_closed;
    if (connected)
        return {model, DisplayColour::LightYellow};
    QString text = model + Text::tr(" < НЕТ СВЯЗИ >");
    // Another program holds the port: its name on the display says why
    // (the whole note, with the remedy, is the display's tooltip).
    const QString held_by = slot.read(key::port_zanyat, QString()).section(QLatin1Char('.'), 0, 0);
    if (!held_by.isEmpty())
        text += QStringLiteral("\r\n") + blackboard::shown_text(held_by + QLatin1Char('.'));
    return {text, DisplayColour::LightGrey};
}

bool any_offered(const std::array<std::optional<bool>, kCallButtonCount>& buttons, SkinFamily family)
{
    for (int field = 0; field < kCallButtonCount; ++field) {
        if (family_of(call_button(field)) == family && buttons[field].value_or(false))
            return true;
    }
    return false;
}

}  // namespace

Rgb display_rgb(DisplayColour colour)
{
    switch (colour) {
    case DisplayColour::LightGreen: return {128, 255, 128};
    case DisplayColour::LightYellow: return {255, 255, 192};
    case DisplayColour::LightGrey: break;
    }
    return {224, 224, 224};
}

SlotView read_slot_view(int slot)
{
    SlotView view;
    const blackboard::Slot board(slot);
    view.model = board.read(key::model, QString());
    // Written (an absent key too) only when it differs, so that the pass's
    // reads keep one read transaction: a write would end it.
    static const QString absent(QChar(0));  // never a stored display name
    if (board.read(key::name_tlf, absent) != view.model)
        board.write(key::name_tlf, view.model);

    view.calls = blackboard::read_published_calls(board);
    const blackboard::PublishedCalls& calls = view.calls;
    if (!calls.states || !calls.numbers)
        return view;
    view.call_active = calls.call_active();
    view.port_note = blackboard::shown_text(board.read(key::port_zanyat, QString()));

    if (calls.any_call)
        view.display = call_list_display(*calls.states, *calls.numbers);
    else
        view.display = connection_display(board, view.model);

    const QList<bool>& offered = calls.offered;
    for (int field = 0; field < kCallButtonCount; ++field) {
        if (field >= offered.size())
            return view;
        view.buttons[field] = offered[field];
    }
    std::array<bool, kPlaceholderCount> placeholders{};
    for (int index = 0; index < kPlaceholderCount; ++index)
        placeholders[index] = !any_offered(view.buttons, family_of(static_cast<Placeholder>(index)));
    view.placeholders = placeholders;
    return view;
}

std::array<SlotView, kSerialSlots> status_pass()
{
    std::array<SlotView, kSerialSlots> views;
    const settings_store::ReadBatch batch;
    for (int index = 0; index < kSerialSlots; ++index)
        views[index] = read_slot_view(index + 1);
    return views;
}

}  // namespace main_window
