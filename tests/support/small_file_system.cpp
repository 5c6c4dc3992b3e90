#include "small_file_system.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallFileSystem::SmallFileSystem(const QString& folder, int kilobytes, Mode mode) : folder_(folder)
{
    QDir().mkpath(folder);
    const QByteArray options = QStringLiteral("size=%1k,mode=0700").arg(kilobytes).toLatin1();
    const unsigned long flags = mode == ReadOnly ? MS_RDONLY : 0;
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", flags, options.constData()) == 0)
        mounted_ = true;
    else
        error_ = QStringLiteral("cannot mount a tmpfs on %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
}

SmallFileSystem::~SmallFileSystem()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

bool SmallFileSystem::fill()
{
    const QByteArray path = QFile::encodeName(folder_ + QStringLiteral("/filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, '\0');
    // Whole pages first, then single bytes for what is left of one.
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    while (::write(fd, block.constData(), 1) > 0) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}
