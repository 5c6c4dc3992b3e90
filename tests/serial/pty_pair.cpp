#include "pty_pair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slave_path_ = QString::fromLocal8Bit(ptsname(master_));
}

PtyPair::~PtyPair() { close_master(); }

void PtyPair::link_as(const QString& ports_dir, int port) const
{
    const QString entry = QDir(ports_dir).filePath(QStringLiteral("com%1").arg(port));
    QFile::remove(entry);
    if (!QFile::link(slave_path_, entry))
        throw std::runtime_error("cannot link the port entry");
}

void PtyPair::write(const QByteArray& bytes) const
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            throw std::runtime_error("write to the pty master failed");
        done += n;
    }
}

QByteArray PtyPair::read(int count, int timeout_ms) const
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < count && timer.elapsed() < timeout_ms) {
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(timeout_ms - timer.elapsed())) <= 0)
            break;
        char chunk[4096];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        got.append(chunk, n);
    }
    return got;
}

void PtyPair::close_master()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}
