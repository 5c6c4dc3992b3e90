// bench_store_kill_stress [--seconds N] [--seed N] [--logs DIR]
// Runs the six-process store load of bench_store_load for N seconds (600
// by default) and every 2 to 5 seconds kills one of the six processes with
// SIGKILL and starts it again. After each kill and at the end it checks
// the database (PRAGMA integrity_check) and the killed controller's status
// keys; at the end it accounts for every token put into the two token
// channels (see stress_check.h). Prints the kills, the checks, the latencies
// and the token figures; exit status 1 when any check failed.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <sqlite3.h>

#include "bench/store_kill_stress/stress_check.h"
#include "bench/store_kill_stress/stress_worker.h"
#include "settings_store/settings_store.h"

using namespace kill_stress;

namespace {

// "ok", or what PRAGMA integrity_check reported instead.
QString integrity(const QString& path)
{
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
        QStringList rows;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        result = rc == SQLITE_DONE ? rows.join("; ") : QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
    } else {
        result = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return result;
}

QStringList status_values(int slot)
{
    QStringList values;
    for (const QString& key : status_keys())
        values << read_setting("Kestrum", QString::number(slot), key, "");
    return values;
}

struct Figures {
    QMap<QString, int> kills;
    int aimed = 0, mid_tick = 0, integrity_checks = 0, status_checks = 0;
    QStringList faults;
};

class Stress {
public:
    Stress(const QString& dir, qint64 until_ms, unsigned seed) : dir_(dir), until_ms_(until_ms), random_(seed)
    {
        for (const QString& role : role_names())
            start(role, 1);
    }

    void run()
    {
        std::uniform_int_distribution<int> pause(2000, 5000), pick(0, 5), coin(0, 1);
        for (;;) {
            const qint64 due = QDateTime::currentMSecsSinceEpoch() + pause(random_);
            // A worker restarted this late would end before it did anything.
            if (due > until_ms_ - 1500)
                break;
            QThread::msleep(ulong(due - QDateTime::currentMSecsSinceEpoch()));
            kill_and_restart(role_names()[pick(random_)], coin(random_) == 1);
        }
        for (auto it = workers_.begin(); it != workers_.end(); ++it) {
            QProcess& worker = *it->second;
            if (!worker.waitForFinished(int(until_ms_ - QDateTime::currentMSecsSinceEpoch()) + 30000)
                || worker.exitStatus() != QProcess::NormalExit || worker.exitCode() != 0)
                figures_.faults << it.key() + " did not end in order";
        }
    }
    int incarnations(const QString& role) const { return workers_.value(role).first; }
    Figures& figures() { return figures_; }

private:
    void start(const QString& role, int incarnation)
    {
        auto process = std::make_shared<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QCoreApplication::applicationFilePath(),
                       {"--role", role, "--incarnation", QString::number(incarnation), "--logs", dir_, "--until",
                        QString::number(until_ms_)});
        process->waitForStarted();
        workers_[role] = {incarnation, process};
    }

    // Aimed kills wait until the victim has just announced a take or a put
    // of a token (the watcher has none: until a tick begins), so that many
    // kills fall inside a write transaction or between a take and its
    // record, the windows the accounting has to get right.
    void kill_and_restart(const QString& role, bool aimed)
    {
        auto& [incarnation, process] = workers_[role];
        if (aimed) {
            wait_for_announcement(log_path(dir_, role, incarnation), slot_of(role) > 0 || role == "dialer");
            ++figures_.aimed;
        }
        process->kill();
        process->waitForFinished(10000);
        ++figures_.kills[role];
        const QList<Incarnation> runs = read_incarnations(dir_, role);
        figures_.mid_tick += !runs.isEmpty() && runs.last().killed_mid_tick() ? 1 : 0;
        check_after_kill(role, runs);
        start(role, incarnation + 1);
    }

    static void wait_for_announcement(const QString& log, bool token_role)
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return;
        qint64 size = file.size();
        for (int i = 0; i < 20000; ++i, QThread::usleep(50)) {
            const qint64 now = file.size();
            if (now == size)
                continue;
            if (!token_role)
                return;
            file.seek(std::max<qint64>(size, now - 64));
            const QByteArray tail = file.read(now - file.pos());
            const qsizetype start = tail.lastIndexOf('\n', tail.size() - 2) + 1;
            if (tail.endsWith('\n') && (tail.mid(start, 2) == "A " || tail.mid(start, 2) == "P "))
                return;
            size = now;
        }
    }

    void check_after_kill(const QString& role, const QList<Incarnation>& runs)
    {
        const QString result = integrity(settings_store::store_path());
        ++figures_.integrity_checks;
        if (result != "ok")
            figures_.faults << "after killing " + role + ": " + result;
        if (slot_of(role) > 0) {
            ++figures_.status_checks;
            figures_.faults << check_status(role, runs, status_values(slot_of(role)));
        }
    }

    QString dir_;
    qint64 until_ms_;
    std::mt19937 random_;
    QMap<QString, std::pair<int, std::shared_ptr<QProcess>>> workers_;
    Figures figures_;
};

void print_latencies(const QString& dir, const Stress& stress)
{
    Samples samples;
    for (const QString& role : role_names())
        add_samples(dir, role, stress.incarnations(role), samples);
    std::printf("%-6s %9s %10s %10s %10s\n", "kind", "count", "median_us", "p99_us", "max_us");
    for (const char* kind : {"read", "write", "take"}) {
        std::vector<double>& list = samples.by_kind[kind];
        if (list.empty())
            continue;
        std::sort(list.begin(), list.end());
        const size_t p99 = size_t(std::ceil(0.99 * double(list.size()))) - 1;
        std::printf("%-6s %9zu %10.1f %10.1f %10.1f\n", kind, list.size(), list[list.size() / 2], list[p99],
                    list.back());
    }
    std::printf("busy errors: %d\n", samples.busy);
}

void check_channels(const QString& dir, Figures& figures)
{
    std::printf("%-13s %6s %6s %5s %6s %5s %6s %5s %7s %7s %6s\n", "channel", "put", "unsure", "unput", "taken",
                "left", "by_kill", "lost", "doubled", "foreign", "order");
    for (const Channel& channel : channels()) {
        const QString left = read_setting("Kestrum", QString::number(channel.slot), channel.key, "");
        const ChannelCount c = check_channel(channel, read_incarnations(dir, channel.producer),
                                             read_incarnations(dir, channel.consumer), left);
        const QString name = QStringLiteral("%1 %2").arg(channel.key).arg(channel.slot);
        std::printf("%-13s %6d %6d %5d %6d %5d %6d %5d %7d %7d %6d\n", qPrintable(name), c.put, c.unsure_put,
                    c.unput, c.taken, c.left, c.gap_by_kill, c.lost, c.doubled, c.foreign, c.out_of_order);
        if (c.lost || c.doubled || c.foreign || c.out_of_order)
            figures.faults << name + ": tokens lost, doubled, foreign or out of order";
    }
}

void check_end(const QString& dir, Figures& figures)
{
    const QString result = integrity(settings_store::store_path());
    ++figures.integrity_checks;
    if (result != "ok")
        figures.faults << "at the end: " + result;
    for (const QString& role : role_names()) {
        const QList<Incarnation> runs = read_incarnations(dir, role);
        if (slot_of(role) > 0)
            figures.faults << check_status(role, runs, status_values(slot_of(role)));
        if (const int torn = torn_reads(runs))
            figures.faults << QStringLiteral("%1 read %2 values that were not whole").arg(role).arg(torn);
    }
    check_channels(dir, figures);
}

int run_stress(int seconds, unsigned seed, const QString& logs)
{
    QTemporaryDir temp;
    const QString dir = logs.isEmpty() ? temp.path() : logs;
    QDir().mkpath(dir);
    qputenv("VEKORRA_SETTINGS", (dir + "/settings.sqlite").toLocal8Bit());
    std::printf("store %s, %d s, seed %u\n", qPrintable(settings_store::store_path()), seconds, seed);
    std::fflush(stdout);

    Stress stress(dir, QDateTime::currentMSecsSinceEpoch() + seconds * 1000LL, seed);
    stress.run();
    Figures& figures = stress.figures();
    QStringList per_role;
    int kills = 0;
    for (auto it = figures.kills.begin(); it != figures.kills.end(); ++it) {
        per_role << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
        kills += it.value();
    }
    std::printf("kills: %d (%s), %d aimed at a take or put, %d fell inside a tick\n", kills,
                qPrintable(per_role.join(", ")), figures.aimed, figures.mid_tick);
    check_end(dir, figures);
    print_latencies(dir, stress);
    std::printf("integrity checks: %d, status checks after a kill: %d\n", figures.integrity_checks,
                figures.status_checks);
    for (const QString& fault : figures.faults)
        std::printf("FAULT: %s\n", qPrintable(fault));
    std::printf("result: %s\n", figures.faults.isEmpty() ? "ok" : "FAULTS");
    return figures.faults.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption seconds_option("seconds", "How long the load runs.", "N", "600");
    const QCommandLineOption seed_option("seed", "Seed of the kill schedule (default: random).", "N");
    const QCommandLineOption logs_option("logs", "Folder for the store and the logs (default: temporary).", "DIR");
    const QCommandLineOption role_option("role", "Internal: run as one worker.", "ROLE");
    const QCommandLineOption incarnation_option("incarnation", "Internal: the worker's run number.", "N", "1");
    const QCommandLineOption until_option("until", "Internal: the worker's end, ms since the epoch.", "MS");
    parser.addOptions({seconds_option, seed_option, logs_option, role_option, incarnation_option, until_option});
    parser.process(application);
    if (parser.isSet(role_option))
        return run_worker({parser.value(role_option), parser.value(incarnation_option).toInt(),
                           parser.value(logs_option), parser.value(until_option).toLongLong()});
    const unsigned seed = parser.isSet(seed_option) ? parser.value(seed_option).toUInt() : std::random_device()();
    return run_stress(std::max(5, parser.value(seconds_option).toInt()), seed, parser.value(logs_option));
}
