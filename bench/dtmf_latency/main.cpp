// Measures a real kestrum with the simulated phone during an active call:
// ten tones appended to `dtmf` in one step -> the tenth "AT+VTS" reaches the
// phone. Each run waits a random part of a tick first, so the runs fall on
// every phase of the status and engine timers.
// Usage: bench_dtmf_latency [RUNS]
#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench/support/bench_support.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

using bench::board;
using bench::now_seconds;
using bench::poll_until;
using bench::set_board;

namespace {
const QString kTones = QStringLiteral("1234567890");

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;

    bench::ConnectedPhone rig({QStringLiteral("--alert-ms"), QStringLiteral("50")});
    if (!rig.ready())
        return 1;
    PhoneSim& phone = rig.phone();
    set_board(QStringLiteral("pozvonit"), QStringLiteral("0501234567"));
    if (!phone.wait_for_command(QStringLiteral("ATD0501234567;"), 5000) || !phone.control(QStringLiteral("answer"))
        || !poll_until([] { return board(QStringLiteral("status")).contains(QStringLiteral("Разг.")); }, 5000)) {
        std::fprintf(stderr, "no active call\n");
        return 1;
    }

    QList<double> ms;
    for (int run = 0; run < runs; ++run) {
        QThread::msleep(QRandomGenerator::global()->bounded(50, 400));
        const int before = phone.count_received(QStringLiteral("AT+VTS="));
        const double written = now_seconds();
        append_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), QStringLiteral("dtmf"), kTones);
        if (!phone.wait_for_command(QStringLiteral("AT+VTS="), 10000, before + kTones.size())) {
            std::fprintf(stderr, "run %d: only %d of %lld tones arrived\n", run,
                         phone.count_received(QStringLiteral("AT+VTS=")) - before,
                         static_cast<long long>(kTones.size()));
            continue;
        }
        ms.append((phone.received_at(QStringLiteral("AT+VTS="), true) - written) * 1000);
    }

    if (ms.isEmpty()) {
        std::printf("ten tones -> last AT+VTS at the phone: no samples\n");
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("ten tones -> last AT+VTS at the phone: n=%lld median %6.1f ms  worst %6.1f ms  best %6.1f ms"
                "  (target: within 3000 ms)\n",
                static_cast<long long>(ms.size()), ms.at(ms.size() / 2), ms.last(), ms.first());
    return 0;
}
