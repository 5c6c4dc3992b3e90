// Measures a real kestrum with the simulated phone answering USSD at once
// (--ussd-delay 0): from `ussd` written until `ussd_reply` holds the
// decoded balance and `ussd_state` is "0". Requests are spaced by random
// pauses so that they fall at every point of the controller's ticks.
// Usage: bench_ussd_latency [TRIALS]
#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "bench/support/bench_support.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

using bench::board;
using bench::poll_until;
using bench::set_board;

namespace {
const QString kBalance = QStringLiteral("Ваш баланс: 125,40 грн.\nБонус: 50 МБ до 31.12");

double now_ms()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;

    bench::ConnectedPhone rig({QStringLiteral("--ussd-delay"), QStringLiteral("0")});
    if (!rig.ready())
        return 1;

    QList<double> ms;
    int failed = 0;
    for (int trial = 0; trial < trials; ++trial) {
        QThread::msleep(QRandomGenerator::global()->bounded(50, 350));
        // The store holds the last answer: wait for this request's own.
        set_board(QStringLiteral("ussd_reply"), QString());
        set_board(QStringLiteral("ussd_state"), QString());
        const double start = now_ms();
        set_board(QStringLiteral("ussd"), trial % 2 ? QStringLiteral("*100#") : QStringLiteral("*111#"));
        if (poll_until([] { return board(QStringLiteral("ussd_state")) == QLatin1String("0")
                                   && board(QStringLiteral("ussd_reply")) == kBalance; }, 25000))
            ms.append(now_ms() - start);
        else
            ++failed;
    }

    std::sort(ms.begin(), ms.end());
    if (ms.isEmpty()) {
        std::printf("ussd written -> ussd_reply holds the answer: no samples (%d failed)\n", failed);
        return 1;
    }
    std::printf("ussd written -> ussd_reply holds the answer: n=%lld median %6.1f ms  worst %6.1f ms  "
                "(goal: median < 1000 ms)%s\n",
                static_cast<long long>(ms.size()), ms.at(ms.size() / 2), ms.last(),
                failed ? qPrintable(QStringLiteral("  %1 without answer").arg(failed)) : "");
    return failed ? 1 : 0;
}
