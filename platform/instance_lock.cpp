#include "platform/instance_lock.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype kMaxText = 4096;
constexpr char kReceipt = '\n';

// The abstract address of the name: sun_path begins with a zero byte.
socklen_t abstract_address(const QString& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray id = QStringLiteral("%1-%2").arg(qulonglong(::geteuid())).arg(name).toUtf8();
    const size_t length = std::min(size_t(id.size()), sizeof(address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, id.constData(), length);
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length);
}

int new_socket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); }

bool wait_for(int fd, short events, int timeout_ms)
{
    pollfd one{fd, events, 0};
    return ::poll(&one, 1, timeout_ms) == 1 && (one.revents & events) != 0;
}

// One line from a peer that connected, read within a short time: a slow
// or silent peer is dropped rather than waited for.
std::optional<QByteArray> read_line(int fd)
{
    QByteArray line;
    char chunk[512];
    while (line.size() < kMaxText && !line.endsWith('\n') && wait_for(fd, POLLIN, 100)) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0)
            break;
        line.append(chunk, got);
    }
    if (!line.endsWith('\n'))
        return std::nullopt;
    line.chop(1);
    return line;
}

}  // namespace

InstanceLock::InstanceLock(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool InstanceLock::acquire(bool take_texts)
{
    if (fd_ >= 0)
        return true;
    const int fd = new_socket();
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = abstract_address(name_, address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        (take_texts && ::listen(fd, 8) != 0)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    if (!take_texts)
        return true;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { accept_one(); });
    return true;
}

void InstanceLock::accept_one()
{
    const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0)
        return;
    const std::optional<QByteArray> line = read_line(peer);
    if (line) {
        // A sender that gave up meanwhile must not end this process.
        const char receipt = kReceipt;
        (void)!::send(peer, &receipt, 1, MSG_NOSIGNAL);
    }
    ::close(peer);
    if (line)
        emit text_received(QString::fromUtf8(*line));
}

bool instance_running(const QString& name)
{
    const int fd = new_socket();
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = abstract_address(name, address);
    const bool taken = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 && errno == EADDRINUSE;
    ::close(fd);
    return taken;
}

bool send_to_instance(const QString& name, const QString& text, int timeout_ms)
{
    const int fd = new_socket();
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = abstract_address(name, address);
    QByteArray line = text.toUtf8().left(kMaxText - 1);
    line.replace('\n', ' ');
    line.append('\n');
    bool delivered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                     ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size();
    char receipt = 0;
    delivered = delivered && wait_for(fd, POLLIN, timeout_ms) && ::read(fd, &receipt, 1) == 1 && receipt == kReceipt;
    ::close(fd);
    return delivered;
}

}  // namespace platform
