// A complete phone search, ports 1 to 256, with the real clock: 32 ports are
// pseudo-terminals that never answer (a device that is there but silent
// costs the whole reply wait), one port is a simulated phone, the rest have
// no device.
//   QT_QPA_PLATFORM=offscreen build/bench/port_search/bench_port_search [runs]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

#include "dialer/settings/main_window_link.h"
#include "dialer/settings/scan_ports.h"
#include "serial/qt_serial_component.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

constexpr int kSilentPorts = 32;
constexpr int kPhonePort = 200;

class QuietMainWindow : public MainWindowLink {
public:
    void start_controller(int) override {}
    void set_phone_panel_visible(int, bool) override {}
    int poisk_aktiv() const override { return poisk_aktiv_; }
    void set_poisk_aktiv(int value) override { poisk_aktiv_ = value; }
    SerialComponent& serial_port() override { return serial; }
    QtSerialComponent serial;

private:
    int poisk_aktiv_ = 0;
};

// A pseudo-terminal whose far end nobody reads or answers, linked as comN.
int silent_port(const QString& ports_dir, int port)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return -1;
    QFile::link(QString::fromLocal8Bit(ptsname(master)), QDir(ports_dir).filePath(QStringLiteral("com%1").arg(port)));
    return master;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    TestEnv env;
    std::vector<int> masters;
    // Spread over the whole range: every eighth port.
    for (int n = 0; n < kSilentPorts; ++n)
        masters.push_back(silent_port(env.ports_dir(), 1 + n * 8));
    PhoneSim phone({"--echo", "off", "--model", "Nokia 6230i"}, kPhonePort);
    if (!phone.ready() || std::count(masters.begin(), masters.end(), -1) > 0) {
        std::fprintf(stderr, "set-up failed\n");
        return 1;
    }
    shield_real_ports(env.ports_dir());

    QuietMainWindow main_window;
    QList<double> seconds;
    for (int run = 0; run < runs; ++run) {
        Scan_ports scan(main_window.serial);
        int found = 0;
        Scan_ports::Observer observer;
        observer.found = [&](const QString&, int) { ++found; };
        QElapsedTimer timer;
        timer.start();
        scan.search(main_window, observer);
        seconds << static_cast<double>(timer.nsecsElapsed()) / 1e9;
        std::printf("search of ports 1-256, %d silent, 1 phone: %.2f s, %d found\n", kSilentPorts,
                    seconds.last(), found);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("median %.2f s  max %.2f s  (n=%lld)\n", seconds.at(seconds.size() / 2), seconds.last(),
                static_cast<long long>(seconds.size()));
    for (const int master : masters)
        close(master);
    return 0;
}
