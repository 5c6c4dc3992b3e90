#include "bench/support/bench_support.h"

#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace bench {

double now_seconds()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

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

QString board(const QString& key) { return read_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, QString()); }

void set_board(const QString& key, const QString& value)
{
    write_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, value);
}

ConnectedPhone::ConnectedPhone(const QStringList& phone_options) : phone_(phone_options, 1)
{
    if (!phone_.ready()) {
        std::fprintf(stderr, "phone simulator did not start\n");
        return;
    }
    set_board(QStringLiteral("port"), QStringLiteral("1"));
    set_board(QStringLiteral("on_przv_exe"), QStringLiteral("1"));
    kestrum_.setProcessChannelMode(QProcess::ForwardedChannels);
    // Its hidden window needs no screen.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    kestrum_.setProcessEnvironment(environment);
    kestrum_.start(TestEnv::build_dir() + QStringLiteral("/1/kestrum"), {QStringLiteral("0")});
    ready_ = kestrum_.waitForStarted(5000)
             && poll_until([] { return board(QStringLiteral("on_pr")) == QLatin1String("True"); }, 10000)
             && poll_until([] { return !board(QStringLiteral("model")).isEmpty(); }, 10000);
    if (!ready_)
        std::fprintf(stderr, "kestrum did not connect to the phone\n");
}

ConnectedPhone::~ConnectedPhone()
{
    if (kestrum_.state() == QProcess::NotRunning)
        return;
    set_board(QStringLiteral("on_przv_exe"), QStringLiteral("0"));
    if (!kestrum_.waitForFinished(5000))
        kestrum_.kill();
    kestrum_.waitForFinished(1000);
}

void pause_random() { QThread::msleep(QRandomGenerator::global()->bounded(50, 350)); }

void report(const char* what, QList<double> ms, const QString& target)
{
    if (ms.isEmpty()) {
        std::printf("%-42s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms.at(ms.size() / 2);
    const double p99 = ms.at(std::min<qsizetype>(ms.size() - 1, qsizetype(ms.size() * 0.99)));
    std::printf("%-42s n=%lld median %6.1f ms  p99 %6.1f ms  max %6.1f ms  (target %s)\n", what,
                static_cast<long long>(ms.size()), median, p99, ms.last(), qPrintable(target));
}

}  // namespace bench
