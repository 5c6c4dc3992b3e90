#pragma once
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

// Asks many serial ports at once what answers on them. Asking one port
// mostly means waiting for a reply that may never come, so the ports are
// asked in parallel on worker threads; what they said is handed back on
// the caller's thread, in the order of the ports given. Used by every
// search for phones; a search that must go one port at a time (what a
// phone on a slow link expects) asks them in turn.
class PortSearch {
public:
    // What one port said: the model text ("" when nothing usable came) and
    // whether the port could not be opened at all (absent, or held).
    struct Answer {
        QString model;
        bool open_failed = false;
    };
    // Asks one port; runs on a worker thread and may block for as long as
    // the question takes. It must not touch windows or the clock seam.
    using Probe = std::function<Answer(int port)>;

    struct Observer {
        // The first port whose answer has not been handed back yet: the
        // search has got that far.
        std::function<void(int port)> asking;
        std::function<void(int port, const Answer& answer)> answered;
        // Runs between two looks at the workers (about every 20 ms): the
        // caller's events (a stop button, painting) are handled here.
        std::function<void()> pump;
    };

    static constexpr int kDefaultParallel = 16;

    explicit PortSearch(int parallel = kDefaultParallel);

    // Asks every port of the list with probe and hands back every answer
    // before it returns; false when stop() ended it early. Ports not yet begun when
    // stop() came are never asked; those being asked are finished, their
    // answers dropped.
    bool run(const QList<int>& ports, const Probe& probe, const Observer& observer);
    // Asks the ports one after another on the caller's own thread, for a
    // probe that needs the caller's serial link and clock: asking, pump,
    // the probe, answered, pump, then pause before the next port. A stop
    // (from any callback) takes effect before the next probe; false when
    // it came.
    bool run_in_turn(const QList<int>& ports, const Probe& probe, const Observer& observer,
                     const std::function<void()>& pause);
    // Safe from inside the observer's callbacks.
    void stop() { stop_ = true; }

private:
    int parallel_;
    std::atomic<bool> stop_{false};
};

// The device behind each of ports 1 to 256 that exists, links followed, so
// that a port and another name of the same device count as one.
QString canonical_port_device(int port);
