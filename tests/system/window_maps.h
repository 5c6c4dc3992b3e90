#pragma once
#include <QImage>
#include <QMap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>

#include "dialer/main_window/call_buttons.h"

class FormPort;
class Nastr_form;
class QWidget;
class RecordingMainWindow;

// Where the controls of the dialer's windows lie, so that real pointer
// events can hit them. Each map lays out a copy of the window, built by the
// dialer's own code and never put on the screen, against the test's
// scratch store; positions are relative to the window, as xdotool's
// `mousemove --window` takes them.

// The main window: its controls have fixed places, only the menu bar's
// height comes from the style.
class MainWindowMap {
public:
    explicit MainWindowMap(const QString& installation_folder);
    ~MainWindowMap();

    QRect number_field() const;
    QRect call_button() const;
    QRect settings_menu() const;
    QRect display(int slot) const;
    QRect frame(int slot) const;
    // The picture position of a button in a phone frame (all buttons of a
    // position share it).
    QRect button(int slot, main_window::CallButton button) const;
    QRect last_call_number() const;
    QRect last_call_time() const;
    QSize size() const;

private:
    QRect rect_of(const QWidget* widget) const;
    std::unique_ptr<FormPort> copy_;
};

// The settings window "Настройки программы", in the state the real one is
// in: the slots' ON keys and names as given, the controls named in `shown`
// made visible (the test-call frame and "Назначить >" after a selection,
// "Остановить" during a search), the tab `tab` open, at the real window's
// size. `found` fills the found-phones list: one row of cells (model,
// device) per entry.
struct SettingsWindowState {
    QMap<QString, QString> slot_keys;   // "2/ON" -> "1", "1/name_tlf" -> ...
    QStringList shown;
    int tab = 0;
    QList<QStringList> found;
    QSize size;
};

class SettingsWindowMap {
public:
    explicit SettingsWindowMap(const SettingsWindowState& state);
    ~SettingsWindowMap();

    QRect control(const QString& object_name) const;
    QRect tab(int index) const;
    QRect found_entry(int row) const;
    // The copy drawn as the real window would be.
    QImage picture() const;

private:
    QRect rect_of(const QWidget* widget) const;
    std::unique_ptr<RecordingMainWindow> main_window_;
    std::unique_ptr<Nastr_form> copy_;
};

// Whether the same text is written in two areas of two pictures: their
// dark pixels (the letters) lie at the same places; backgrounds such as a
// highlighted row do not count.
bool same_text(const QImage& picture, const QRect& area, const QImage& other, const QRect& other_area);

// Which of its pictures a position of a phone frame shows on the screen:
// true when one of its buttons is offered (normal, hover or pressed
// picture), false for the inactive placeholder.
bool shows_button(const QImage& window_picture, const QRect& position, main_window::SkinFamily family,
                  const QString& installation_folder);
