#include "controller/slot_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <cstddef>
#include <cstring>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrum {

namespace {

QString lock_name(const QString& slot_folder)
{
    const QByteArray digest =
        QCryptographicHash::hash(slot_folder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("kestrum-%1.lock").arg(QString::fromLatin1(digest));
}

QString runtime_folder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QDir(runtime).exists() ? runtime : QString();
}

// The private folder, made when missing; empty unless it is a real folder
// of this user's that nobody else can enter.
QString usable_private_folder()
{
    const QString folder = private_lock_folder();
    const QByteArray native = QFile::encodeName(folder);
    ::mkdir(native.constData(), 0700);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()
        || (info.st_mode & 077) != 0)
        return QString();
    return folder;
}

enum class LockResult { Taken, Held, NoPlace };

LockResult lock_in(const QString& folder, const QString& name)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
    // flock is released by the kernel when the process ends, also when it
    // ends at once without running destructors.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return LockResult::NoPlace;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? LockResult::Held : LockResult::NoPlace;
    }
    return LockResult::Taken;  // the descriptor stays open for the life of the process
}

// Without any folder that can hold a file: a name in the abstract socket
// space, which the kernel also frees when the process ends.
LockResult lock_by_socket(const QString& name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return LockResult::NoPlace;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray id = QStringLiteral("%1-%2").arg(qulonglong(::geteuid())).arg(name).toLatin1();
    const size_t length = std::min(size_t(id.size()), sizeof(address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, id.constData(), length);  // sun_path[0] = 0: abstract
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length))
        == 0)
        return LockResult::Taken;  // kept open for the life of the process
    const bool held = errno == EADDRINUSE;
    ::close(fd);
    return held ? LockResult::Held : LockResult::NoPlace;
}

}  // namespace

QString private_lock_folder()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("kestrum-%1").arg(qulonglong(::geteuid())));
}

QString slot_lock_path(const QString& slot_folder)
{
    const QString runtime = runtime_folder();
    return QDir(runtime.isEmpty() ? private_lock_folder() : runtime).filePath(lock_name(slot_folder));
}

bool acquire_slot_lock(const QString& slot_folder)
{
    const QString name = lock_name(slot_folder);
    const QString runtime = runtime_folder();
    if (!runtime.isEmpty()) {
        const LockResult result = lock_in(runtime, name);
        if (result != LockResult::NoPlace)
            return result == LockResult::Taken;
    }
    const QString fallback = usable_private_folder();
    const LockResult result = fallback.isEmpty() ? LockResult::NoPlace : lock_in(fallback, name);
    if (result != LockResult::NoPlace)
        return result == LockResult::Taken;
    const LockResult socket_result = lock_by_socket(name);
    if (socket_result != LockResult::NoPlace)
        return socket_result == LockResult::Taken;
    std::fprintf(stderr, "kestrum: no lock file can be made for %s, neither in the runtime folder nor in %s\n",
                 qPrintable(slot_folder), qPrintable(private_lock_folder()));
    return false;
}

}  // namespace kestrum
