// bench_store_load [--seconds N] [--store PATH] [--speed K]
// Starts itself six times (four controllers, a dialer, a watcher) on one
// fresh store and prints, per kind of operation, the median, 99th
// percentile and maximum latency, the busy errors, the lost and doubled
// takes, each process's share of one core, and the size of the -wal file
// over the run. --speed K runs every tick K times as often, so that K
// hours of the real load pass in one hour (the -wal's growth over a long
// run, in minutes).
// bench_store_load --single N
// Times N reads, writes and takes in this one process instead.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "bench/store_load/load_worker.h"
#include "settings_store/settings_store.h"

namespace {

// Median, 99th percentile and maximum of a list, sorted in place.
struct Spread {
    double median, p99, max;
};

Spread spread_of(std::vector<double>& list)
{
    std::sort(list.begin(), list.end());
    const size_t p99 = size_t(std::ceil(0.99 * double(list.size()))) - 1;
    return {list[list.size() / 2], list[p99], list.back()};
}

struct Totals {
    QMap<QString, std::vector<double>> latencies;  // by kind
    QStringList process_lines;                     // each process's own spread
    int busy = 0;
    QMap<int, QList<int>> taken;  // by slot
    QMap<int, int> written;       // by slot
    QStringList cpu_lines;
    double cpu_share_sum = 0;
};

void read_worker_output(const QString& name, const QByteArray& output, Totals& totals)
{
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.isEmpty())
            continue;
        const QByteArray& head = words[0];
        if (head == "lat") {
            std::vector<double> own;
            for (qsizetype i = 2; i < words.size(); ++i)
                own.push_back(words[i].toDouble());
            if (own.empty())
                continue;
            std::vector<double>& list = totals.latencies[QString::fromLatin1(words[1])];
            list.insert(list.end(), own.begin(), own.end());
            const Spread s = spread_of(own);
            totals.process_lines << QString::asprintf("  %-12s %-6s %8zu %10.1f %10.1f %10.1f", qPrintable(name),
                                                      words[1].constData(), own.size(), s.median, s.p99, s.max);
        } else if (head == "busy") {
            totals.busy += words[1].toInt();
        } else if (head == "taken") {
            for (qsizetype i = 2; i < words.size(); ++i)
                totals.taken[words[1].toInt()] << words[i].toInt();
        } else if (head == "written") {
            totals.written[words[1].toInt()] = words[2].toInt();
        } else if (head == "cpu") {
            const double share = 100.0 * words[1].toDouble() / words[2].toDouble();
            totals.cpu_share_sum += share;
            totals.cpu_lines << QStringLiteral("  %1 %2 %").arg(name, -12).arg(share, 0, 'f', 3);
        }
    }
}

void print_latencies(Totals& totals)
{
    std::printf("%-6s %8s %10s %10s %10s\n", "kind", "count", "median_us", "p99_us", "max_us");
    for (const char* kind : {"read", "write", "take"}) {
        std::vector<double>& list = totals.latencies[kind];
        if (list.empty())
            continue;
        const Spread s = spread_of(list);
        std::printf("%-6s %8zu %10.1f %10.1f %10.1f\n", kind, list.size(), s.median, s.p99, s.max);
    }
    if (!totals.process_lines.isEmpty())
        std::printf("per process:\n%s\n", qPrintable(totals.process_lines.join('\n')));
}

// Every sequence number the dialer wrote must have been taken once, or
// still wait in its key.
void print_takes(const Totals& totals)
{
    int written = 0, taken = 0, pending = 0, lost = 0, doubled = 0;
    for (int slot = 1; slot <= 4; ++slot) {
        const int highest = totals.written.value(slot);
        const QList<int> numbers = totals.taken.value(slot);
        QSet<int> seen;
        for (int n : numbers) {
            if (seen.contains(n) || n < 1 || n > highest)
                ++doubled;
            seen.insert(n);
        }
        const QString left = read_setting("Kestrum", QString::number(slot), "poloz_t", "");
        if (!left.isEmpty()) {
            ++pending;
            seen.insert(left.toInt());
        }
        for (int n = 1; n <= highest; ++n)
            lost += seen.contains(n) ? 0 : 1;
        written += highest;
        taken += int(numbers.size());
    }
    std::printf("takes: %d written, %d taken, %d pending, %d lost, %d doubled\n", written, taken, pending, lost,
                doubled);
}

int run_single(int count, const QString& store)
{
    QTemporaryDir dir;
    qputenv("VEKORRA_SETTINGS", (store.isEmpty() ? dir.filePath("settings.sqlite") : store).toLocal8Bit());
    std::printf("store %s, %d operations of each kind in one process\n", qPrintable(settings_store::store_path()),
                count);
    Totals totals;
    read_setting("Kestrum", "1", "pozvonit", "");
    auto time = [&](const char* kind, const std::function<void()>& operation) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto end = std::chrono::steady_clock::now();
        totals.latencies[kind].push_back(std::chrono::duration<double, std::micro>(end - start).count());
        totals.busy += settings_store::last_operation_failed() ? 1 : 0;
    };
    for (int i = 0; i < count; ++i) {
        const QString key = QStringLiteral("key%1").arg(i % 16);
        time("write", [&] { write_setting("Kestrum", "1", key, QString::number(i)); });
        time("read", [&] { read_setting("Kestrum", "1", key, ""); });
        time("take", [&] { take_setting("Kestrum", "1", key, "", true); });
    }
    print_latencies(totals);
    std::printf("busy errors: %d\n", totals.busy);
    return 0;
}

// Samples the -wal's size while the workers run.
struct WalSizes {
    qint64 largest = 0;
    QList<qint64> samples;  // one per second
};

bool all_finished(const std::vector<std::unique_ptr<QProcess>>& workers)
{
    for (const auto& worker : workers)
        if (worker->state() != QProcess::NotRunning)
            return false;
    return true;
}

WalSizes watch_wal(const QString& wal_path, const std::vector<std::unique_ptr<QProcess>>& workers, int seconds)
{
    WalSizes sizes;
    const auto start = std::chrono::steady_clock::now();
    const auto limit = start + std::chrono::seconds(seconds + 60);
    while (!all_finished(workers) && std::chrono::steady_clock::now() < limit) {
        for (const auto& worker : workers)
            worker->waitForFinished(20);
        const qint64 size = QFileInfo(wal_path).size();
        sizes.largest = std::max(sizes.largest, size);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (std::chrono::duration_cast<std::chrono::seconds>(elapsed).count() >= sizes.samples.size())
            sizes.samples << size;
    }
    return sizes;
}

void print_wal(const WalSizes& sizes, const QString& wal_path, int speed)
{
    std::printf("wal (%s): largest %.1f KiB, after the run %.1f KiB\n", qPrintable(wal_path),
                double(sizes.largest) / 1024, double(QFileInfo(wal_path).size()) / 1024);
    std::printf("wal size by real-load minute (KiB):");
    const int per_minute = std::max(1, 60 / speed);
    for (qsizetype i = 0; i < sizes.samples.size(); i += per_minute)
        std::printf(" %.0f", double(sizes.samples[i]) / 1024);
    std::printf("\n");
}

int run_load(int seconds, const QString& store, int speed)
{
    QTemporaryDir dir;
    qputenv("VEKORRA_SETTINGS", (store.isEmpty() ? dir.filePath("settings.sqlite") : store).toLocal8Bit());
    std::printf("store %s, %d s at %dx the real tick rate\n", qPrintable(settings_store::store_path()), seconds,
                speed);
    std::fflush(stdout);

    struct Role {
        QString name, role;
        int slot;
    };
    const QList<Role> roles = {{"controller1", "controller", 1}, {"controller2", "controller", 2},
                               {"controller3", "controller", 3}, {"controller4", "controller", 4},
                               {"dialer", "dialer", 0},          {"watcher", "watcher", 0}};
    std::vector<std::unique_ptr<QProcess>> workers;
    for (const Role& role : roles) {
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        workers.back()->start(QCoreApplication::applicationFilePath(),
                              {"--role", role.role, "--slot", QString::number(role.slot), "--seconds",
                               QString::number(seconds), "--speed", QString::number(speed)});
    }
    // The bench keeps no connection of its own meanwhile: the -wal is the
    // workers' alone, as it is the programs'.
    const QString wal_path = settings_store::store_path() + QStringLiteral("-wal");
    const WalSizes wal = watch_wal(wal_path, workers, seconds);
    Totals totals;
    for (size_t i = 0; i < workers.size(); ++i) {
        const bool ended = workers[i]->state() == QProcess::NotRunning || workers[i]->waitForFinished(60000);
        if (!ended || workers[i]->exitStatus() != QProcess::NormalExit || workers[i]->exitCode() != 0) {
            std::fprintf(stderr, "worker %s failed\n", qPrintable(roles[int(i)].name));
            return 1;
        }
        read_worker_output(roles[int(i)].name, workers[i]->readAllStandardOutput(), totals);
    }
    print_latencies(totals);
    std::printf("busy errors: %d\n", totals.busy);
    print_takes(totals);
    std::printf("cpu share of one core:\n%s\n  %-12s %.3f %%\n", qPrintable(totals.cpu_lines.join('\n')), "total",
                totals.cpu_share_sum);
    print_wal(wal, wal_path, speed);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption seconds_option("seconds", "How long the load runs.", "N", "30");
    const QCommandLineOption store_option("store", "Store file (default: a fresh temporary one).", "PATH");
    const QCommandLineOption role_option("role", "Internal: run as one worker.", "ROLE");
    const QCommandLineOption slot_option("slot", "Internal: the worker's slot.", "N", "0");
    const QCommandLineOption single_option("single", "Time N operations of each kind in one process.", "N");
    const QCommandLineOption speed_option("speed", "Run every tick K times as often.", "K", "1");
    parser.addOptions({seconds_option, store_option, role_option, slot_option, single_option, speed_option});
    parser.process(application);
    const int seconds = std::max(1, parser.value(seconds_option).toInt());
    const int speed = std::clamp(parser.value(speed_option).toInt(), 1, 50);
    if (parser.isSet(role_option))
        return run_worker(parser.value(role_option), parser.value(slot_option).toInt(), seconds, speed);
    if (parser.isSet(single_option))
        return run_single(std::max(1, parser.value(single_option).toInt()), parser.value(store_option));
    return run_load(seconds, parser.value(store_option), speed);
}
