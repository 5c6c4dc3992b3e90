#pragma once
#include <QString>
#include <functional>

#include "serial/port_search.h"

class MainWindowLink;
class SerialComponent;

// The search for phones on serial ports 1 to 256. A phone whose controller
// is connected keeps its controller and its calls: it is listed from what
// the controller publishes (model, port) and its port is not opened. Every
// other port is asked for its model, many at once (serial/port_search.h),
// and every port that answered is reported in port order. Between looks at
// the questions under way the window's events are handled (through the
// clock seam): that is when a stop request or a second start can arrive.
class Scan_ports {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 256;

    enum class Outcome {
        Done,     // every port was asked
        Stopped,  // a stop request ended it
        Ignored,  // a search was already running; nothing was done
    };

    struct Observer {
        std::function<void()> scanning;                          // the port loop begins
        std::function<void(int port)> asking;                    // the search has got to port N
        std::function<void(const QString& model, int port)> found;
        // Port N could not be opened because another program holds it:
        // who it is and what to do (serial/port_holders.h).
        std::function<void(int port, const QString& note)> held;
    };

    // serial: the dialer's own port, kept for the test call; the search
    // asks each port through a component of its own.
    explicit Scan_ports(SerialComponent& serial) : serial_(serial) {}

    // "Поиск телефонов": clears the stop request, marks the search for the
    // settings window's closing routine (poisk_aktiv), then scans. A call
    // made while a search runs is ignored.
    Outcome search(MainWindowLink& main_window, const Observer& observer);
    // The port loop alone.
    Outcome scan(const Observer& observer);

    // "Остановить": no further port is asked.
    void request_stop() { ports_.stop(); }
    bool running() const { return running_; }

private:
    Outcome scan_loop(const Observer& observer);

    SerialComponent& serial_;
    PortSearch ports_;
    bool running_ = false;
};
