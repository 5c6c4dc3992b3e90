#include "bench/store_load/load_worker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

#include "settings_store/settings_store.h"

namespace {

const QString app = QStringLiteral("Kestrum");
// The controllers take this key; the dialer fills it with sequence numbers.
const QString command_key = QStringLiteral("poloz_t");
const QString flag_keys[] = {"vzat_t_pr", "poloz_t_pr", "ud_otklon", "vzat_t", "kf", "kf1", "kf_oj"};
const QString status_keys[] = {"on_pr_exe", "on_pr", "model", "status", "zvonok", "knopki_zv"};
const QString panel_keys[] = {"on_pr", "model", "status", "zvonok", "knopki_zv"};

enum Kind { Read, Write, Take, KindCount };

class Recorder {
public:
    // Runs one store operation, timing it and counting a failure.
    void time(Kind kind, const std::function<void()>& operation)
    {
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto end = std::chrono::steady_clock::now();
        latencies_[kind] << std::chrono::duration<double, std::micro>(end - start).count();
        if (settings_store::last_operation_failed())
            ++busy_;
    }
    QString read(const QString& section, const QString& key, const QString& default_value)
    {
        QString value;
        time(Read, [&] { value = read_setting(app, section, key, default_value); });
        return value;
    }
    void write(const QString& section, const QString& key, const QString& value)
    {
        time(Write, [&] { write_setting(app, section, key, value); });
    }
    QString take(const QString& section, const QString& key)
    {
        QString value;
        time(Take, [&] { value = take_setting(app, section, key, "", true); });
        return value;
    }
    void print() const
    {
        const char* names[] = {"read", "write", "take"};
        for (int kind = 0; kind < KindCount; ++kind) {
            std::printf("lat %s", names[kind]);
            for (double us : latencies_[kind])
                std::printf(" %.2f", us);
            std::printf("\n");
        }
        std::printf("busy %d\n", busy_);
    }

private:
    QList<double> latencies_[KindCount];
    int busy_ = 0;
};

struct Worker {
    Recorder recorder;
    int slot = 0;
    QList<int> taken;     // controller: sequence numbers it took
    int written[5] = {};  // dialer: highest sequence number per slot

    // Every 300 ms: 6 writes, 1 read, 8 takes.
    void controller_tick()
    {
        const QString section = QString::number(slot);
        recorder.read(section, "pozvonit", "");
        for (const QString& key : flag_keys)
            recorder.take(section, key);
        const QString command = recorder.take(section, command_key);
        if (!command.isEmpty())
            taken << command.toInt();
        for (const QString& key : status_keys)
            recorder.write(section, key, key == "knopki_zv" ? "0@0@0@0@1@0@0@0@0@0@0" : "1");
    }

    // Every 100 ms: 24 reads, 4 writes, 10 takes. A command is written only
    // into an empty key, so every sequence number must reach its controller.
    void dialer_tick()
    {
        for (int s = 1; s <= 4; ++s) {
            const QString section = QString::number(s);
            for (const QString& key : panel_keys)
                recorder.read(section, key, "");
            if (recorder.read(section, command_key, "").isEmpty())
                recorder.write(section, command_key, QString::number(++written[s]));
        }
        for (const char* section : {"1", "2", "3", "4", "6"}) {
            recorder.take(section, "vhod_zvonok");
            recorder.take(section, "vhod_zvonok_time");
        }
    }

    // Every 50 ms: 5 reads.
    void watcher_tick()
    {
        for (const char* section : {"1", "2", "3", "4", "6"})
            recorder.read(section, "pozvonit", "");
    }
};

double cpu_seconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int run_worker(const QString& role, int slot, int seconds, int speed)
{
    Worker worker;
    worker.slot = slot;
    // The first operation opens the store; a program pays that once. The
    // processor share counts from here, the load alone, without start-up.
    read_setting(app, "1", "pozvonit", "");
    QElapsedTimer wall;
    wall.start();
    const double cpu_at_start = cpu_seconds();

    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    if (role == "controller") {
        tick.setInterval(std::max(1, 300 / speed));
        QObject::connect(&tick, &QTimer::timeout, [&] { worker.controller_tick(); });
    } else if (role == "dialer") {
        tick.setInterval(std::max(1, 100 / speed));
        QObject::connect(&tick, &QTimer::timeout, [&] { worker.dialer_tick(); });
    } else {
        tick.setInterval(std::max(1, 50 / speed));
        QObject::connect(&tick, &QTimer::timeout, [&] { worker.watcher_tick(); });
    }
    tick.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    worker.recorder.print();
    if (role == "controller") {
        std::printf("taken %d", slot);
        for (int n : worker.taken)
            std::printf(" %d", n);
        std::printf("\n");
    } else if (role == "dialer") {
        for (int s = 1; s <= 4; ++s)
            std::printf("written %d %d\n", s, worker.written[s]);
    }
    std::printf("cpu %.4f %.4f\n", cpu_seconds() - cpu_at_start, double(wall.nsecsElapsed()) / 1e9);
    return 0;
}
