#include "dialer/settings/scan_ports.h"

#include "dialer/settings/main_window_link.h"
#include "dialer/settings/modem_model.h"
#include "platform/clock.h"
#include "blackboard/slot.h"
#include "serial/port_holders.h"

namespace {

constexpr int kReleaseWaitMs = 3000;
constexpr int kPausePerPortMs = 200;

// Clears the running flag however the loop is left.
class RunningGuard {
public:
    explicit RunningGuard(bool& running) : running_(running) { running_ = true; }
    ~RunningGuard() { running_ = false; }
    RunningGuard(const RunningGuard&) = delete;
    RunningGuard& operator=(const RunningGuard&) = delete;

private:
    bool& running_;
};

// A port that would not open: tells who holds it, when another program does.
void report_held(int port, const std::function<void(int, const QString&)>& held)
{
    const QString note = held_port_note(port);
    if (!note.isEmpty())
        held(port, note);
}

}  // namespace

void release_controllers(MainWindowLink& main_window)
{
    main_window.set_poisk_aktiv(1);
    for (int slot = 1; slot <= 4; ++slot)
        blackboard::Slot(slot).set_run_permission(false);
    platform::clock().sleep_ms(kReleaseWaitMs);
}

Scan_ports::Outcome Scan_ports::search(MainWindowLink& main_window, const Observer& observer)
{
    if (running_)
        return Outcome::Ignored;
    RunningGuard guard(running_);
    stop_search_ = false;
    release_controllers(main_window);
    return scan_loop(observer);
}

Scan_ports::Outcome Scan_ports::scan(const Observer& observer)
{
    if (running_)
        return Outcome::Ignored;
    RunningGuard guard(running_);
    return scan_loop(observer);
}

Scan_ports::Outcome Scan_ports::scan_loop(const Observer& observer)
{
    if (observer.scanning)
        observer.scanning();
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        if (stop_search_)
            return Outcome::Stopped;
        if (observer.asking)
            observer.asking(port);
        platform::clock().pump();
        const ModelAnswer answer = ask_model(serial_, port);
        if (answer.model != kNoModel && observer.found)
            observer.found(answer.model, port);
        if (answer.open_failed && observer.held)
            report_held(port, observer.held);
        platform::clock().pump();
        platform::clock().sleep_ms(kPausePerPortMs);
    }
    return Outcome::Done;
}
