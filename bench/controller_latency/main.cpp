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

#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {
double now_seconds()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

QString board(const QString& key)
{
    return read_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, QString());
}

void set_board(const QString& key, const QString& value)
{
    write_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, value);
}

// Polls the store without pumping: the measured process is another one.
bool poll_until(const std::function<bool()>& cond, int timeout_ms)
{
    const double end = now_seconds() + timeout_ms / 1000.0;
    while (!cond()) {
        if (now_seconds() > end)
            return false;
        QThread::usleep(1000);
    }
    return true;
}

void report(const char* what, QList<double> ms, double target_median, double target_p99)
{
    if (ms.isEmpty()) {
        std::printf("%-42s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms.at(ms.size() / 2);
    const double p99 = ms.at(std::min<qsizetype>(ms.size() - 1, qsizetype(ms.size() * 0.99)));
    std::printf("%-42s n=%lld median %6.1f ms  p99 %6.1f ms  max %6.1f ms  (target median <= %.0f", what,
                static_cast<long long>(ms.size()), median, p99, ms.last(), target_median);
    if (target_p99 > 0)
        std::printf(", p99 <= %.0f", target_p99);
    std::printf(")\n");
}

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

void pause_random() { QThread::msleep(QRandomGenerator::global()->bounded(50, 350)); }
}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    const int idle_seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 60;

    TestEnv env;
    PhoneSim phone({QStringLiteral("--alert-ms"), QStringLiteral("100")}, 1);
    if (!phone.ready()) {
        std::fprintf(stderr, "phone simulator did not start\n");
        return 1;
    }
    set_board(QStringLiteral("port"), QStringLiteral("1"));
    set_board(QStringLiteral("on_przv_exe"), QStringLiteral("1"));
    QProcess kestrum;
    kestrum.setProcessChannelMode(QProcess::ForwardedChannels);
    kestrum.start(TestEnv::build_dir() + QStringLiteral("/1/kestrum"), {QStringLiteral("0")});
    if (!kestrum.waitForStarted(5000)
        || !poll_until([] { return board(QStringLiteral("on_pr")) == QLatin1String("True"); }, 10000)
        || !poll_until([] { return !board(QStringLiteral("model")).isEmpty(); }, 10000)) {
        std::fprintf(stderr, "kestrum did not connect to the phone\n");
        return 1;
    }
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
        pause_random();
        const int hang_ups = phone.count_received(QStringLiteral("AT+CHUP"));
        written = now_seconds();
        set_board(QStringLiteral("poloz_t"), QStringLiteral("1"));
        if (phone.wait_for_command(QStringLiteral("AT+CHUP"), 5000, hang_ups + 1))
            hang_up_ms.append((phone.received_at(QStringLiteral("AT+CHUP"), true) - written) * 1000);
        poll_until([&] { return board(QStringLiteral("status")) == idle_status; }, 5000);
        pause_random();
    }

    for (int trial = 0; trial < trials; ++trial) {
        const QString number = QStringLiteral("06733%1").arg(trial, 5, 10, QLatin1Char('0'));
        const double rung = now_seconds();
        phone.control(QStringLiteral("incoming ") + number);
        if (poll_until([&] { return board(QStringLiteral("vhod_zvonok")) == number; }, 5000))
            incoming_ms.append((now_seconds() - rung) * 1000);
        phone.control(QStringLiteral("hangup"));
        poll_until([&] { return board(QStringLiteral("status")) == idle_status; }, 5000);
        pause_random();
    }

    report("(a) pozvonit -> ATD at the phone", dial_ms, 450, 800);
    report("(b) poloz_t -> AT+CHUP at the phone", hang_up_ms, 450, 800);
    report("(c) ringing -> vhod_zvonok holds the number", incoming_ms, 700, 0);
    std::fflush(stdout);

    const qint64 pid = kestrum.processId();
    const double cpu_start = cpu_seconds(pid);
    const double wall_start = now_seconds();
    QThread::sleep(static_cast<unsigned long>(idle_seconds));
    const double cpu_used = cpu_seconds(pid) - cpu_start;
    const double wall = now_seconds() - wall_start;
    std::printf("(d) idle controller over %.0f s: CPU %.2f %% of one core (target < 0.5 %%), "
                "RSS %s, peak %s (target < 30 MB)\n",
                wall, 100.0 * cpu_used / wall, qPrintable(status_field(pid, QStringLiteral("VmRSS"))),
                qPrintable(status_field(pid, QStringLiteral("VmHWM"))));

    set_board(QStringLiteral("on_przv_exe"), QStringLiteral("0"));
    if (!kestrum.waitForFinished(5000))
        kestrum.kill();
    return 0;
}
