#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

#include "dialer/settings/main_window_link.h"
#include "serial/qt_serial_component.h"
#include "tests/support/message_recorder.h"
#include "tests/support/mock_clock.h"
#include "tests/support/store_fixture.h"

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

// How long the search's waits really take with the mock clock (see
// MockClock::real_wait): the reply wait stays long enough for a simulated
// phone to answer even on a busy machine; the per-port pause and the
// release wait shrink.
int shortened_search_wait(int ms);

// Presses "Поиск телефонов" and lets the search, which starts once the
// click is over, run to its end.
void click_search(QWidget& form);
