#include "serial/port_search.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>
#include <QWaitCondition>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "serial/serial_component.h"

namespace {

constexpr int kLookEveryMs = 20;

// What the workers hand back, guarded by one mutex; a finished answer
// wakes the caller at once.
struct Results {
    QMutex mutex;
    QWaitCondition changed;
    std::vector<std::optional<PortSearch::Answer>> answers;
    int running = 0;
};

}  // namespace

PortSearch::PortSearch(int parallel) : parallel_(std::max(1, parallel)) {}

bool PortSearch::run(const QList<int>& ports, const Probe& probe, const Observer& observer)
{
    stop_ = false;
    auto results = std::make_shared<Results>();
    results->answers.resize(static_cast<size_t>(ports.size()));
    QThreadPool pool;
    pool.setMaxThreadCount(parallel_);
    for (qsizetype index = 0; index < ports.size(); ++index) {
        const int port = ports.at(index);
        pool.start([this, &probe, results, index, port] {
            if (stop_)
                return;
            const Answer answer = probe(port);
            QMutexLocker lock(&results->mutex);
            results->answers[static_cast<size_t>(index)] = answer;
            results->changed.wakeAll();
        });
    }

    qsizetype next = 0;
    qsizetype reported = -1;
    while (next < ports.size() && !stop_) {
        if (observer.asking && reported != next) {
            reported = next;
            observer.asking(ports.at(next));
        }
        std::vector<std::pair<int, Answer>> ready;
        {
            QMutexLocker lock(&results->mutex);
            if (!results->answers[static_cast<size_t>(next)])
                results->changed.wait(&results->mutex, kLookEveryMs);
            while (next < ports.size() && results->answers[static_cast<size_t>(next)]) {
                ready.emplace_back(ports.at(next), *results->answers[static_cast<size_t>(next)]);
                ++next;
            }
        }
        for (const auto& [port, answer] : ready) {
            if (stop_)
                break;
            if (observer.answered)
                observer.answered(port, answer);
        }
        if (observer.pump)
            observer.pump();
    }
    const bool stopped = stop_;
    stop_ = true;  // ports not yet begun are left alone
    pool.clear();
    // The questions under way end within one reply wait; the caller's
    // window stays live meanwhile.
    while (!pool.waitForDone(kLookEveryMs)) {
        if (observer.pump)
            observer.pump();
    }
    return !stopped;
}

bool PortSearch::run_in_turn(const QList<int>& ports, const Probe& probe, const Observer& observer,
                             const std::function<void()>& pause)
{
    stop_ = false;
    for (const int port : ports) {
        if (stop_)
            break;
        if (observer.asking)
            observer.asking(port);
        if (observer.pump)
            observer.pump();
        if (stop_)
            break;
        const Answer answer = probe(port);
        if (observer.answered)
            observer.answered(port, answer);
        if (observer.pump)
            observer.pump();
        if (pause)
            pause();
    }
    return !stop_;
}

QString canonical_port_device(int port)
{
    const QString path = port_device_path(port);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}
