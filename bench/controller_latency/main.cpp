// Measures a real kestrum with the simulated phone:
//  (a) pozvonit written -> "ATD" reaches the phone,
//  (b) poloz_t written -> "AT+CHUP" reaches the phone,
//  (c) the phone starts ringing -> vhod_zvonok holds the number,
//  (d) an idle controller's processor share and resident memory.
// Usage: bench_controller_latency [TRIALS [IDLE_SECONDS]]
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>

#include "bench/support/bench_support.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

using bench::board;
using bench::now_seconds;
using bench::poll_until;
using bench::set_board;

namespace {

// utime + stime of the process, in seconds.
double cpu_seconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(stat.readAll());
    const QStringList fields = text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

QString status_field(qint64 pid, const QString& name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name.toLatin1() + ':'))
            return QString::fromLatin1(line.mid(name.size() + 1)).simplified();
    return {};
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    const int idle_seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 60;

    bench::ConnectedPhone rig({QStringLiteral("--alert-ms"), QStringLiteral("100"), QStringLiteral("--ring-urc"), QStringLiteral("3000")});
    if (!rig.ready())
        return 1;
    PhoneSim& phone = rig.phone();
    const QString idle_status = QStringLiteral("@@@@@@");

    QList<double> dial_ms, hang_up_ms, incoming_ms;
    for (int trial = 0; trial < trials; ++trial) {
        const QString number = QStringLiteral("05012%1").arg(trial, 5, 10, QLatin1Char('0'));
        const QString atd = QStringLiteral("ATD") + number + QLatin1Char(';');
        double written = now_seconds();
        set_board(QStringLiteral("pozvonit"), number);
        if (phone.wait_for_command(atd, 5000))
            dial_ms.append((phone.received_at(atd, true) - written) * 1000);
        poll_until([] { return board(QStringLiteral("status")).startsWith(QStringLiteral("Ожидание")); }, 5000);
        bench::pause_random();
        const int hang_ups = phone.count_received(QStringLiteral("AT+CHUP"));
        written = now_seconds();
        set_board(QStringLiteral("poloz_t"), QStringLiteral("1"));
        if (phone.wait_for_command(QStringLiteral("AT+CHUP"), 5000, hang_ups + 1))
            hang_up_ms.append((phone.received_at(QStringLiteral("AT+CHUP"), true) - written) * 1000);
        poll_until([&] { return board(QStringLiteral("status")) == idle_status; }, 5000);
        bench::pause_random();
    }

    for (int trial = 0; trial < trials; ++trial) {
        const QString number = QStringLiteral("06733%1").arg(trial, 5, 10, QLatin1Char('0'));
        const double rung = now_seconds();
        phone.control(QStringLiteral("incoming ") + number);
        if (poll_until([&] { return board(QStringLiteral("vhod_zvonok")) == number; }, 5000))
            incoming_ms.append((now_seconds() - rung) * 1000);
        phone.control(QStringLiteral("hangup"));
        poll_until([&] { return board(QStringLiteral("status")) == idle_status; }, 5000);
        bench::pause_random();
    }

    bench::report("(a) pozvonit -> ATD at the phone", dial_ms, QStringLiteral("median <= 450, p99 <= 800"));
    bench::report("(b) poloz_t -> AT+CHUP at the phone", hang_up_ms, QStringLiteral("median <= 450, p99 <= 800"));
    bench::report("(c) ringing -> vhod_zvonok holds the number", incoming_ms, QStringLiteral("median <= 700"));
    std::fflush(stdout);

    const qint64 pid = rig.controller().processId();
    const double cpu_start = cpu_seconds(pid);
    const double wall_start = now_seconds();
    QThread::sleep(static_cast<unsigned long>(idle_seconds));
    const double cpu_used = cpu_seconds(pid) - cpu_start;
    const double wall = now_seconds() - wall_start;
    std::printf("(d) idle controller over %.0f s: CPU %.2f %% of one core (target < 0.5 %%), "
                "RSS %s, peak %s (target < 30 MB)\n",
                wall, 100.0 * cpu_used / wall, qPrintable(status_field(pid, QStringLiteral("VmRSS"))),
                qPrintable(status_field(pid, QStringLiteral("VmHWM"))));

    return 0;
}
