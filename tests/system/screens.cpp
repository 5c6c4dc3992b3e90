#include "screens.h"

#include <QClipboard>
#include <QGuiApplication>

#include "x_desktop.h"

using main_window::CallButton;

namespace {

QPoint inside(const QRect& box) { return box.center(); }

}  // namespace

bool uniform(const QImage& picture, const QRect& area)
{
    if (picture.isNull() || area.isEmpty())
        return false;
    const QRgb first = picture.pixel(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (picture.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

MainScreen::MainScreen(InstalledDialer& dialer)
    : window_(dialer.main_window()), map_(InstalledDialer::installation_folder())
{
}

QString MainScreen::read_box(const QRect& box) const
{
    // Marks the box's whole text and copies it. The test owns the
    // clipboard first, so that an empty box is not read as what was copied
    // before. The clipboard reads empty for a moment while the copy is on
    // its way, and an empty box copies nothing: both read as "" after a few
    // tries, and callers poll for what they expect.
    const QString nothing = QStringLiteral("<nothing copied>");
    QString text = nothing;
    for (int attempt = 0; attempt < 3 && (text == nothing || text.isEmpty()); ++attempt) {
        QGuiApplication::clipboard()->setText(nothing);
        desktop::click(window_, box.center());
        desktop::press_keys(window_, {QStringLiteral("ctrl+a"), QStringLiteral("ctrl+c")});
        wait_until([&] { return (text = desktop::clipboard_text()) != nothing && !text.isEmpty(); }, 1000);
    }
    last_read_ = text == nothing ? QString() : text.trimmed();
    return last_read_;
}

QString MainScreen::display(int slot) const { return read_box(map_.display(slot)); }
QString MainScreen::last_call_number() const { return read_box(map_.last_call_number()); }
QString MainScreen::last_call_time() const { return read_box(map_.last_call_time()); }

bool MainScreen::wait_display(int slot, const std::function<bool(const QString&)>& expected, int timeout_ms) const
{
    return poll_until([&] { return expected(display(slot)); }, timeout_ms, 200);
}

bool MainScreen::frame_shown(int slot) const
{
    // Neighbouring frames share their edge rows: look inside the edges.
    return !uniform(desktop::grab(window_), map_.frame(slot).adjusted(2, 2, -2, -2));
}

bool MainScreen::offered(int slot, CallButton button) const
{
    return shows_button(desktop::grab(window_), map_.button(slot, button), main_window::family_of(button),
                        InstalledDialer::installation_folder());
}

bool MainScreen::wait_offered(int slot, CallButton button, bool expected, int timeout_ms) const
{
    return poll_until([&] { return offered(slot, button) == expected; }, timeout_ms, 100);
}

void MainScreen::press(int slot, CallButton button) const { desktop::click(window_, inside(map_.button(slot, button))); }

void MainScreen::call(const QString& number) const
{
    desktop::click(window_, inside(map_.number_field()));
    desktop::press_keys(window_, {QStringLiteral("ctrl+a"), QStringLiteral("BackSpace")});
    desktop::type_text(window_, number);
    desktop::click(window_, inside(map_.call_button()));
}

void MainScreen::open_settings() const { desktop::click(window_, inside(map_.settings_menu())); }

const QString SettingsScreen::kTitle = QStringLiteral("Настройки программы");

SettingsScreen::SettingsScreen(InstalledDialer& dialer)
    : dialer_(dialer), window_(desktop::wait_window(dialer.pid(), kTitle, 10000))
{
}

SettingsWindowMap SettingsScreen::map() const
{
    SettingsWindowState state;
    for (int slot = 1; slot <= 6; ++slot) {
        const QString section = QString::number(slot);
        state.slot_keys[section + QStringLiteral("/ON")] = dialer_.value("Kestrum", section, "ON", "0");
        if (slot <= 4)
            state.slot_keys[section + QStringLiteral("/name_tlf")] = dialer_.value("Kestrum", section, "name_tlf", "");
    }
    state.shown = shown;
    state.tab = tab;
    state.found = found_phones;
    state.size = desktop::window_geometry(window_).size();
    return SettingsWindowMap(state);
}

QRect SettingsScreen::control(const QString& object_name) const { return map().control(object_name); }

void SettingsScreen::click(const QString& object_name) const { desktop::click(window_, inside(control(object_name))); }

void SettingsScreen::click_tab(int index)
{
    desktop::click(window_, inside(map().tab(index)));
    tab = index;
}

void SettingsScreen::click_found_entry(int row) const { desktop::click(window_, inside(map().found_entry(row))); }

void SettingsScreen::type_into(const QString& object_name, const QString& text) const
{
    click(object_name);
    desktop::press_keys(window_, {QStringLiteral("ctrl+a"), QStringLiteral("BackSpace")});
    desktop::type_text(window_, text);
}

void SettingsScreen::choose_in_list(const QString& object_name, int steps) const
{
    click(object_name);   // opens the list
    QStringList keys;
    for (int step = 0; step < steps; ++step)
        keys << QStringLiteral("Down");
    keys << QStringLiteral("Return");
    desktop::press_keys(window_, keys);
}

bool SettingsScreen::shows_found_phones() const
{
    const SettingsWindowMap expected = map();
    const QRect list = expected.control(QStringLiteral("List1"));
    return same_text(desktop::grab(window_), list, expected.picture(), list);
}

bool SettingsScreen::looks_empty(const QString& object_name) const
{
    return uniform(desktop::grab(window_), control(object_name));
}

bool SettingsScreen::close()
{
    click(QStringLiteral("OKButton"));
    return poll_until([this] { return desktop::window_gone(dialer_.pid(), kTitle); }, 10000);
}
