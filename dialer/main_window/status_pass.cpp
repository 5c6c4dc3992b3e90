#include "dialer/main_window/status_pass.h"

#include <QStringList>

#include "settings_store/settings_store.h"

namespace main_window {

namespace {

const QString kApp = QStringLiteral("Kestrum");
const QString kSeparator = QStringLiteral("@");
constexpr int kCallFields = 7;

// The stored lists are "@"-joined; an empty text holds no field at all.
QStringList fields_of(const QString& text)
{
    return text.isEmpty() ? QStringList() : text.split(kSeparator);
}

QString without_separators(QString text)
{
    return text.remove(kSeparator);
}

DisplayState call_list_display(const QStringList& status, const QStringList& calls)
{
    QString text;
    for (int k = 0; k < kCallFields; ++k) {
        if (status[k].isEmpty())
            continue;
        text += status[k] + QLatin1Char(' ') + calls[k] + QStringLiteral("\r\n");
    }
    return {text, DisplayColour::LightGreen};
}

DisplayState connection_display(const QString& section, const QString& model)
{
    // Both spellings of "not connected" that a controller leaves behind
    // count, and so does an absent key.
    const bool connected =
        read_setting(kApp, section, QStringLiteral("on_pr"), QStringLiteral("0")) != QLatin1String("0")
        && read_setting(kApp, section, QStringLiteral("on_pr"), QStringLiteral("False"))
               != QLatin1String("False");
    if (connected)
        return {model, DisplayColour::LightYellow};
    return {model + QStringLiteral(" < НЕТ СВЯЗИ >"), DisplayColour::LightGrey};
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
    const QString section = QString::number(slot);
    const QString model = read_setting(kApp, section, QStringLiteral("model"), QString());
    write_setting(kApp, section, QStringLiteral("name_tlf"), model);

    const QString status_text = read_setting(kApp, section, QStringLiteral("status"), QString());
    const QString call_text = read_setting(kApp, section, QStringLiteral("zvonok"), QString());
    const QStringList status = fields_of(status_text);
    const QStringList calls = fields_of(call_text);
    if (status.size() < kCallFields || calls.size() < kCallFields)
        return view;

    if (!without_separators(call_text).isEmpty() && !without_separators(status_text).isEmpty())
        view.display = call_list_display(status, calls);
    else
        view.display = connection_display(section, model);

    const QString buttons_text = read_setting(kApp, section, QStringLiteral("knopki_zv"),
                                              QString(kCallButtonCount, QLatin1Char('@')));
    if (buttons_text.isEmpty())
        return view;
    const QStringList flags = fields_of(buttons_text);
    for (int field = 0; field < kCallButtonCount; ++field) {
        if (field >= flags.size())
            return view;
        view.buttons[field] = flags[field] == QLatin1String("1");
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
    for (int index = 0; index < kSerialSlots; ++index)
        views[index] = read_slot_view(index + 1);
    return views;
}

}  // namespace main_window
