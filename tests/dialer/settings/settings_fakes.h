#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

#include "dialer/settings/main_window_link.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/qt_serial_component.h"

// The main window as the settings window sees it: records every call in
// order ("start 2", "panel 3 hidden", "poisk_aktiv 1") around a real
// serial component. start_controller writes on_przv_exe = "1" like the
// real one but starts no process.
class RecordingMainWindow : public MainWindowLink {
public:
    void start_controller(int slot) override;
    void set_phone_panel_visible(int slot, bool visible) override;
    int poisk_aktiv() const override { return poisk_aktiv_; }
    void set_poisk_aktiv(int value) override;
    SerialComponent& serial_port() override { return serial_; }

    QStringList calls;
    // The slots whose controller was started, in order.
    QList<int> started() const;
    // The last visibility given to a panel; absent when never set.
    std::optional<bool> panel_visible(int slot) const;

    QtSerialComponent serial_;

private:
    int poisk_aktiv_ = 0;
};

// A clock whose waits are short: the requested sleeps are recorded, and
// each sleeps a small fraction of it (enough for a simulated phone on a
// pseudo-terminal to answer a model query). on_pump runs at every pump,
// as a user click would.
class FastClock : public platform::Clock {
public:
    FastClock();
    ~FastClock() override;
    void sleep_ms(int ms) override;
    void pump() override;
    QString time_of_day() override { return QStringLiteral("12:00:00"); }
    qint64 now_ms() override { return platform::SystemClock().now_ms(); }

    QList<int> sleeps;
    std::function<void()> on_pump;
};

// Records every message instead of showing a box.
class RecordingMessages : public platform::Messages {
public:
    RecordingMessages();
    ~RecordingMessages() override;
    void show(const QString& caption, const QString& text, platform::MessageIcon icon) override;

    QStringList texts;
    QList<platform::MessageIcon> icons;
};


// Presses "Поиск телефонов" and lets the search, which starts once the
// click is over, run to its end.
void click_search(QWidget& form);

// Every key of the store as "App/section/key=value", sorted.
QStringList store_contents();
