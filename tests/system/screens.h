#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

#include "installed_dialer.h"
#include "window_maps.h"

// The dialer's windows as a person sees and handles them: reading what a
// box shows by marking its text with the pointer, seeing which call
// buttons a phone frame offers, clicking and typing.

class MainScreen {
public:
    explicit MainScreen(InstalledDialer& dialer);
    bool found() const { return window_ != 0; }
    unsigned long window() const { return window_; }
    const MainWindowMap& map() const { return map_; }

    // The text of a phone display, of the last call's number or time.
    QString display(int slot) const;
    QString last_call_number() const;
    QString last_call_time() const;
    // What the last reading found, for failure messages.
    QString last_read() const { return last_read_; }
    bool wait_display(int slot, const std::function<bool(const QString&)>& expected, int timeout_ms = 15000) const;

    // Whether the frame is on the screen at all, and whether the picture
    // position of `button` shows a button (not its placeholder).
    bool frame_shown(int slot) const;
    bool offered(int slot, main_window::CallButton button) const;
    bool wait_offered(int slot, main_window::CallButton button, bool expected = true, int timeout_ms = 10000) const;
    void press(int slot, main_window::CallButton button) const;

    // Types the number into the number field (replacing what it held) and
    // presses "Позвонить".
    void call(const QString& number) const;
    void open_settings() const;

private:
    QString read_box(const QRect& box) const;

    unsigned long window_;
    MainWindowMap map_;
    mutable QString last_read_;
};

class SettingsScreen {
public:
    static const QString kTitle;
    explicit SettingsScreen(InstalledDialer& dialer);
    bool found() const { return window_ != 0; }
    unsigned long window() const { return window_; }

    // What the window looks like now besides the store's state: controls
    // shown by the window itself, the open tab, the found phones.
    QStringList shown;
    int tab = 0;
    QList<QStringList> found_phones;  // model, device

    QRect control(const QString& object_name) const;
    void click(const QString& object_name) const;
    void click_tab(int index);
    void click_found_entry(int row) const;
    void type_into(const QString& object_name, const QString& text) const;
    // Picks the entry `steps` below the current one of a drop-down list.
    void choose_in_list(const QString& object_name, int steps) const;
    // Whether the found-phones list shows found_phones as its entries.
    bool shows_found_phones() const;
    // Whether the control's area shows nothing but the window's background.
    bool looks_empty(const QString& object_name) const;
    bool close();

private:
    SettingsWindowMap map() const;

    InstalledDialer& dialer_;
    unsigned long window_;
};

// Whether every pixel of the area has one colour.
bool uniform(const QImage& picture, const QRect& area);
