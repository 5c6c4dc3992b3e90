#include "platform/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// The signal handler may only write to a descriptor; the event loop reads
// the other end of the socket pair and runs the handler where Qt may be used.
int wake_socket[2] = {-1, -1};
std::function<void()> termination_handler;

void note_signal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_socket[1], &byte, 1);
}

bool install_socket_and_notifier()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wake_socket) != 0)
        return false;
    // Lives as long as the application: the handler may run until its end.
    auto* notifier = new QSocketNotifier(wake_socket[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char bytes[16];
        while (::read(wake_socket[0], bytes, sizeof bytes) > 0) {
        }
        if (termination_handler)
            termination_handler();
    });
    struct sigaction action = {};
    action.sa_handler = note_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal_number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal_number, &action, nullptr);
    return true;
}

}  // namespace

void on_termination_request(std::function<void()> handler)
{
    static const bool installed = install_socket_and_notifier();
    termination_handler = std::move(handler);
    (void)installed;
}

}  // namespace platform
