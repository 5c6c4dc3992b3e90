// Runs the dialer (window shown, offscreen) with four controllers on four
// simulated GSM phones and prints:
//  - processor share and resident memory of each of the five processes over
//    an idle period (default 60 s; first argument overrides, in seconds);
//  - the time from the far end ringing until the dialer shows the number in
//    its call log, median and 99th percentile over 30 calls (second argument
//    overrides the count).
// The dialer reports each shown call in the "vekorra.watch" log category.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "phonesim_driver.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

namespace {

struct ProcessSample {
    QString name;
    qint64 pid = 0;
    double cpu_seconds = 0;
    double rss_mb = 0;
};

double cpu_seconds_of(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(stat.readAll());
    // Fields after the command name (which may hold spaces) in parentheses.
    const QStringList fields = text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

double rss_mb_of(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    const auto match = rss.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : -1;
}

// The controller of `slot` started by our dialer: its executable, and our
// store in its environment.
qint64 find_controller(int slot, const QString& store)
{
    const QString program = TestEnv::build_dir() + QStringLiteral("/%1/kestrum").arg(slot);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly))
            continue;
        if (QFile::decodeName(cmdline.readAll().split('\0').value(0)) != program)
            continue;
        if (environ.readAll().split('\0').contains(("VEKORRA_SETTINGS=" + store).toLocal8Bit()))
            return pid;
    }
    return 0;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(share * double(values.size() - 1) + 0.5));
    return values[index];
}

void withdraw_permissions()
{
    for (int slot = 1; slot <= 4; ++slot)
        write_setting("Kestrum", QString::number(slot), "on_przv_exe", "0");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int idle_seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    const int calls = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 30;

    TestEnv env;
    std::vector<std::unique_ptr<PhoneSim>> phones;
    for (int slot = 1; slot <= 4; ++slot) {
        phones.push_back(std::make_unique<PhoneSim>(QStringList{"--mode", "gsm", "--model",
                                                                QStringLiteral("Bench %1").arg(slot), "--ring-urc", "3000"},
                                                    slot));
        if (!phones.back()->ready()) {
            std::fprintf(stderr, "phone simulator %d did not start\n", slot);
            return 1;
        }
        write_setting("Kestrum", QString::number(slot), "port", QString::number(slot));
        if (slot > 1)
            write_setting("Kestrum", QString::number(slot), "ON", "1");
    }

    QProcess dialer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_LOGGING_RULES", "vekorra.watch.debug=true");
    dialer.setProcessEnvironment(environment);
    dialer.setProcessChannelMode(QProcess::SeparateChannels);
    dialer.start(TestEnv::build_dir() + "/vekorra", {});
    if (!dialer.waitForStarted(5000)) {
        std::fprintf(stderr, "the dialer did not start\n");
        return 1;
    }
    const bool connected = wait_until([] {
        for (int slot = 1; slot <= 4; ++slot) {
            if (read_setting("Kestrum", QString::number(slot), "on_pr", "") != "True")
                return false;
        }
        return true;
    }, 20000);
    if (!connected) {
        std::fprintf(stderr, "the controllers did not connect\n");
        dialer.kill();
        withdraw_permissions();
        return 1;
    }

    std::vector<ProcessSample> processes{{"vekorra", dialer.processId()}};
    for (int slot = 1; slot <= 4; ++slot)
        processes.push_back({QStringLiteral("%1/kestrum").arg(slot), find_controller(slot, env.store_path())});
    QThread::sleep(2);  // let start-up work settle

    for (auto& process : processes)
        process.cpu_seconds = cpu_seconds_of(process.pid);
    QElapsedTimer idle;
    idle.start();
    // Idle: only drain the dialer's output now and then.
    while (idle.elapsed() < idle_seconds * 1000LL) {
        QThread::msleep(500);
        dialer.readAllStandardError();
    }
    const double wall = double(idle.elapsed()) / 1000.0;

    std::printf("Idle for %.1f s: the dialer (window shown, offscreen) and four controllers on four "
                "simulated GSM phones\n",
                wall);
    std::printf("%-12s %8s %10s %10s\n", "process", "pid", "cpu %", "rss MB");
    double total_cpu = 0, total_rss = 0;
    for (auto& process : processes) {
        const double cpu = (cpu_seconds_of(process.pid) - process.cpu_seconds) / wall * 100.0;
        process.rss_mb = rss_mb_of(process.pid);
        total_cpu += cpu;
        total_rss += process.rss_mb;
        std::printf("%-12s %8lld %10.2f %10.1f\n", qPrintable(process.name),
                    static_cast<long long>(process.pid), cpu, process.rss_mb);
    }
    std::printf("%-12s %8s %10.2f %10.1f   (targets: < 3 %% of one core, < 150 MB)\n", "total", "", total_cpu,
                total_rss);
    std::fflush(stdout);

    // Ring to display, on phone 1.
    static const QRegularExpression shown(QStringLiteral("incoming call shown: (\\d+) at (\\d+) ms"));
    QString log;
    std::vector<double> latencies, to_first_poll, poll_to_display;
    for (int call = 0; call < calls; ++call) {
        const QString number = QStringLiteral("05011%1").arg(call, 5, 10, QLatin1Char('0'));
        const qint64 rang = QDateTime::currentMSecsSinceEpoch();
        phones[0]->control("incoming " + number);
        qint64 displayed = 0;
        wait_until([&] {
            log += QString::fromLocal8Bit(dialer.readAllStandardError());
            for (auto it = shown.globalMatch(log); it.hasNext();) {
                const auto match = it.next();
                if (match.captured(1) == number)
                    displayed = match.captured(2).toLongLong();
            }
            return displayed != 0;
        }, 10000);
        if (displayed == 0) {
            std::fprintf(stderr, "call %d was not shown\n", call);
            continue;
        }
        latencies.push_back(double(displayed - rang));
        // Split at the first call-list poll that could see the ring.
        for (const QString& line : phones[0]->log_lines()) {
            const qint64 at = qint64(line.section(QLatin1Char(' '), 0, 0).toDouble() * 1000.0);
            if (at >= rang && line.section(QLatin1Char(' '), 1).startsWith(QLatin1String("RX AT+CLCC"))) {
                to_first_poll.push_back(double(at - rang));
                poll_to_display.push_back(double(displayed - at));
                break;
            }
        }
        phones[0]->control("hangup");
        // Let the controller see the end of the call before the next ring.
        wait_until([] { return read_setting("Kestrum", "1", "status", "").startsWith("@"); }, 5000);
        // A random pause, so that the rings do not fall into step with
        // the controllers' ticks.
        QThread::msleep(300 + QRandomGenerator::global()->bounded(1000));
    }
    if (!latencies.empty()) {
        std::printf("Ring to call-log display over %zu calls: median %.0f ms, p99 %.0f ms, max %.0f ms "
                    "(targets: median <= 900 ms, p99 <= 1500 ms)\n",
                    latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.99),
                    percentile(latencies, 1.0));
    }
    if (!to_first_poll.empty()) {
        std::printf("  of which ring to the controller's next call-list poll: median %.0f ms; "
                    "that poll to display: median %.0f ms, p99 %.0f ms\n",
                    percentile(to_first_poll, 0.5), percentile(poll_to_display, 0.5),
                    percentile(poll_to_display, 0.99));
    }

    dialer.kill();
    dialer.waitForFinished(3000);
    withdraw_permissions();
    wait_until([&] {
        for (size_t i = 1; i < processes.size(); ++i) {
            if (QFile::exists(QStringLiteral("/proc/%1").arg(processes[i].pid)))
                return false;
        }
        return true;
    }, 5000);
    return latencies.size() == size_t(calls) ? 0 : 1;
}
