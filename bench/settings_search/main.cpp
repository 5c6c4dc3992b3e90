// Figures of the settings window and the phone search with the real clock:
//   bench_settings_search          window load, model query per port
//   bench_settings_search --full   also one complete search over 256 ports
// Run offscreen: QT_QPA_PLATFORM=offscreen build/bench/settings_search/bench_settings_search
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "dialer/settings/main_window_link.h"
#include "dialer/settings/modem_model.h"
#include "dialer/settings/nastr_form.h"
#include "dialer/settings/scan_ports.h"
#include "serial/qt_serial_component.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

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

void print_median(const char* what, QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %8.2f ms  max %8.2f ms  (n=%lld)\n", what, ms.at(ms.size() / 2), ms.last(),
                static_cast<long long>(ms.size()));
}

double elapsed_ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool full = app.arguments().contains(QStringLiteral("--full"));
    TestEnv env;
    QuietMainWindow main_window;

    QList<double> loads;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer timer;
        timer.start();
        Nastr_form form(main_window);
        loads << elapsed_ms(timer);
    }
    print_median("settings window load (construct + load)", loads);

    PhoneSim phone({"--echo", "on", "--model", "Nokia 6230i"}, 3);
    if (!phone.ready())
        return 1;
    shield_real_ports(env.ports_dir());
    QList<double> answering, missing;
    for (int run = 0; run < 10; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QString model = Get_model(main_window.serial, 3);
        answering << elapsed_ms(timer);
        if (model != QLatin1String("Nokia 6230i"))
            std::printf("unexpected model: %s\n", qPrintable(model));
        timer.restart();
        Get_model(main_window.serial, 5);
        missing << elapsed_ms(timer);
    }
    print_median("Get_model, phone answering", answering);
    print_median("Get_model, missing device", missing);

    if (full) {
        Scan_ports scan(main_window.serial);
        int found = 0;
        Scan_ports::Observer observer;
        observer.found = [&](const QString&, int) { ++found; };
        QElapsedTimer timer;
        timer.start();
        scan.search(main_window, observer);
        std::printf("complete search, 256 ports, 1 phone: %.1f s, %d found\n", elapsed_ms(timer) / 1000, found);
    }
    return 0;
}
