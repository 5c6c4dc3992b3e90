#pragma once
#include <QString>
#include <functional>

class MainWindowLink;
class SerialComponent;

// Lets the controllers go: poisk_aktiv = 1 (closing the settings window
// starts them again), on_przv_exe = "0" for slots 1 to 4, then a blocking
// 3000 ms wait through the clock seam while they close their ports.
void release_controllers(MainWindowLink& main_window);

// The search for phones on serial ports 1 to 256: each port is asked for
// its model, and every port that answered is reported. It yields to pending
// events before and after each port (through the clock seam), which is when
// a stop request or a second start can arrive.
class Scan_ports {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 256;

    enum class Outcome {
        Done,     // every port was asked
        Stopped,  // a stop request ended it before the next port
        Ignored,  // a search was already running; nothing was done
    };

    struct Observer {
        std::function<void()> scanning;                          // the port loop begins
        std::function<void(int port)> asking;                    // port N is next
        std::function<void(const QString& model, int port)> found;
        // Port N could not be opened because another program holds it:
        // who it is and what to do (serial/port_holders.h).
        std::function<void(int port, const QString& note)> held;
    };

    explicit Scan_ports(SerialComponent& serial) : serial_(serial) {}

    // "Поиск телефонов": clears the stop request, releases the controllers,
    // then scans. A call made while a search runs is ignored.
    Outcome search(MainWindowLink& main_window, const Observer& observer);
    // The port loop alone, without releasing the controllers.
    Outcome scan(const Observer& observer);

    // "Остановить": takes effect before the next port is asked.
    void request_stop() { stop_search_ = true; }
    bool running() const { return running_; }

private:
    Outcome scan_loop(const Observer& observer);

    SerialComponent& serial_;
    bool stop_search_ = false;
    bool running_ = false;
};
