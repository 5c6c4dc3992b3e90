// port_holder N: a device on a pseudo-terminal, linked as comN into the
// ports folder, that this process holds open the way the programs open a
// port (Qt's lock file and the tty's exclusive mode), so that every other
// opener fails. Prints "held" once it holds the port. A line on standard
// input lets the port go ("released"; the device stays); the end of input
// ends the process. Ends with its parent.
#include <QCoreApplication>
#include <cstdio>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

#include "serial/qt_serial_component.h"
#include "serial/stable_names.h"

namespace {

bool wait_for_line()
{
    char line[64];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int port = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (port <= 0 || master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "usage: port_holder N (N > 0)\n");
        return 2;
    }
    QString error;
    if (!write_port_link(port, QString::fromLocal8Bit(ptsname(master)), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QtSerialComponent serial;
    try {
        serial.setCommPort(port);
        serial.setPortOpen(true);
    } catch (const SerialError& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    if (wait_for_line()) {
        serial.setPortOpen(false);
        std::printf("released\n");
        std::fflush(stdout);
        wait_for_line();
    }
    ::close(master);
    return 0;
}
