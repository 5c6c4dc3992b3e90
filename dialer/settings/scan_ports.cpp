#include "dialer/settings/scan_ports.h"

#include <QHash>
#include <QSet>
#include <memory>

#include "blackboard/keys.h"
#include "blackboard/phone_text.h"
#include "blackboard/slot.h"
#include "dialer/settings/main_window_link.h"
#include "dialer/settings/modem_model.h"
#include "platform/clock.h"
#include "serial/port_holders.h"

namespace {

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

// The ports that connected controllers hold, with the model each phone
// reported, and every port that leads to one of their devices: those are
// listed or passed over, never opened.
struct HeldByControllers {
    QHash<int, QString> models;
    QSet<int> passed_over;
};

HeldByControllers ports_of_connected_phones()
{
    HeldByControllers held;
    QSet<QString> devices;
    for (int slot = 1; slot <= 4; ++slot) {
        const blackboard::Slot board(slot);
        if (!board.port_open())
            continue;
        const int port = blackboard::leading_number16(board.port());
        if (port < Scan_ports::kFirstPort || port > Scan_ports::kLastPort)
            continue;
        held.models.insert(port, board.read(blackboard::key::model, QString()).trimmed());
        const QString device = canonical_port_device(port);
        if (!device.isEmpty())
            devices.insert(device);
    }
    for (int port = Scan_ports::kFirstPort; port <= Scan_ports::kLastPort; ++port) {
        if (held.models.contains(port) || devices.contains(canonical_port_device(port)))
            held.passed_over.insert(port);
    }
    return held;
}

PortSearch::Answer ask_free_port(int port)
{
    const ModelAnswer answer = ask_model_on_worker(port);
    return {answer.model == kNoModel ? QString() : answer.model, answer.open_failed};
}

// A port that would not open: tells who holds it, when another program does.
void report_held(int port, const std::function<void(int, const QString&)>& held)
{
    const QString note = held_port_note(port);
    if (!note.isEmpty())
        held(port, note);
}

}  // namespace

Scan_ports::Outcome Scan_ports::search(MainWindowLink& main_window, const Observer& observer)
{
    if (running_)
        return Outcome::Ignored;
    main_window.set_poisk_aktiv(1);
    return scan(observer);
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
    auto held = std::make_shared<const HeldByControllers>(ports_of_connected_phones());
    QList<int> ports;
    for (int port = kFirstPort; port <= kLastPort; ++port)
        ports << port;

    const PortSearch::Probe probe = [held](int port) -> PortSearch::Answer {
        if (held->passed_over.contains(port))
            return {held->models.value(port), false};
        return ask_free_port(port);
    };
    PortSearch::Observer events;
    events.asking = observer.asking;
    events.pump = [] { platform::clock().pump(); };
    events.answered = [&observer](int port, const PortSearch::Answer& answer) {
        if (!answer.model.isEmpty() && observer.found)
            observer.found(answer.model, port);
        if (answer.open_failed && observer.held)
            report_held(port, observer.held);
    };
    return ports_.run(ports, probe, events) ? Outcome::Done : Outcome::Stopped;
}
