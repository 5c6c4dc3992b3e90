// Measures the real main window (offscreen) with real controllers and
// simulated phones:
//  - plug: the simulator's comN link made -> the offer emitted (the notice
//    shows it in the same pass);
//  - return: slot 1's simulator ended and started again on the same port ->
//    the first command of its controller's probe at the phone.
// Both from the link's own change time, so that starting the simulator does
// not count. Usage: bench_plug_latency [RUNS]
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

#include "bench/support/bench_support.h"
#include "child_launcher.h"
#include "dialer/main_window/form_port.h"
#include "dialer/main_window/plug_watch.h"
#include "settings_store/settings_store.h"
#include "tests/support/message_recorder.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

// Slot 1's port: a number that only the ports folder gives a device, so
// that while the simulator is away the port leads nowhere, as a by-id link
// of an unplugged phone does (port 1 would fall back to /dev/ttyS0).
constexpr int kSlotPort = 101;

// When the link was made, in epoch seconds.
double link_made_at(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return info.st_mtim.tv_sec + info.st_mtim.tv_nsec / 1e9;
}

QStringList phone_options(const QString& model) { return {QStringLiteral("--model"), model}; }

QList<double> measure_plugs(main_window::PlugWatch& watch, int runs)
{
    QList<double> ms;
    double offered_at = -1;
    QObject::connect(&watch, &main_window::PlugWatch::offered, &watch,
                     [&](const PhoneOffer&) { offered_at = bench::now_seconds(); });
    for (int run = 0; run < runs; ++run) {
        offered_at = -1;
        PhoneSim plugged(phone_options(QStringLiteral("Nokia 6230")), 9);
        if (!plugged.ready() || !wait_until([&] { return offered_at > 0; }, 5000)) {
            std::fprintf(stderr, "plug %d: no offer\n", run);
            continue;
        }
        ms.append((offered_at - link_made_at(plugged.link_path())) * 1000);
    }
    return ms;
}

QList<double> measure_returns(std::unique_ptr<PhoneSim>& phone, int runs)
{
    QList<double> ms;
    for (int run = 0; run < runs; ++run) {
        phone.reset();
        if (!wait_until([] { return bench::board(QStringLiteral("on_pr")) == QLatin1String("False"); }, 15000)) {
            std::fprintf(stderr, "return %d: the controller did not notice the unplug\n", run);
            return ms;
        }
        wait_until([] { return false; }, 100 + run * 37 % 300);
        phone = std::make_unique<PhoneSim>(phone_options(QStringLiteral("Phone A")), kSlotPort);
        const QString probe = QStringLiteral("AT");  // any command: the first contact
        if (!phone->ready() || !wait_until([&] { return phone->count_received(probe) > 0; }, 10000)) {
            std::fprintf(stderr, "return %d: not reconnected\n", run);
            continue;
        }
        ms.append((phone->received_at(probe) - link_made_at(phone->link_path())) * 1000);
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE")) std::fprintf(stderr, "return %d: %.1f ms\n", run, ms.last());
    }
    return ms;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;

    TestEnv env;
    auto phone = std::make_unique<PhoneSim>(phone_options(QStringLiteral("Phone A")), kSlotPort);
    if (!phone->ready()) {
        std::fprintf(stderr, "phone simulator did not start\n");
        return 1;
    }
    bench::set_board(QStringLiteral("port"), QString::number(kSlotPort));
    MessageRecorder messages;
    ChildLauncher controllers;
    FormPort form(TestEnv::build_dir());
    form.start_up();
    form.show();
    if (!wait_until([] { return bench::board(QStringLiteral("on_pr")) == QLatin1String("True"); }, 15000)) {
        std::fprintf(stderr, "the controller did not connect\n");
        return 1;
    }
    auto* watch = form.findChild<main_window::PlugWatch*>();
    bench::report("comN made -> phone offered", measure_plugs(*watch, runs), QStringLiteral("within 3000 ms"));
    bench::report("device back -> controller probes it", measure_returns(phone, runs),
                  QStringLiteral("within 2000 ms"));
    form.close();
    return 0;
}
