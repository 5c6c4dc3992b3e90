#include "controller/slot_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

#include "settings_store/settings_store.h"

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

// A name in the abstract socket space: every process of the user reaches
// it whatever the modes and mounts of its folders, and the kernel frees it
// when the process ends.
LockResult lock_by_socket(const QString& name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return LockResult::NoPlace;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray id = QStringLiteral("kestrum-%1-%2").arg(qulonglong(::geteuid())).arg(name).toLatin1();
    const size_t length = std::min(size_t(id.size()), sizeof(address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, id.constData(), length);  // sun_path[0] = 0: abstract
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length))
        == 0)
        return LockResult::Taken;  // kept open for the life of the process
    const bool held = errno == EADDRINUSE;
    ::close(fd);
    return held ? LockResult::Held : LockResult::NoPlace;
}

// The slot as the blackboard knows it: its folder and the store its
// section lives in. Controllers of one folder with stores of their own
// (tests side by side) share no keys and are no rivals.
QString socket_name(const QString& slot_folder)
{
    const QFileInfo store(settings_store::store_path());
    const QString canonical_store = store.canonicalFilePath().isEmpty() ? store.absoluteFilePath()
                                                                        : store.canonicalFilePath();
    return QString::fromLatin1(
        QCryptographicHash::hash((slot_folder + QLatin1Char('\n') + canonical_store).toUtf8(), QCryptographicHash::Sha1)
            .toHex());
}

}  // namespace

QString slot_lock_path(const QString& slot_folder)
{
    const QString runtime = runtime_folder();
    return runtime.isEmpty() ? QString() : QDir(runtime).filePath(lock_name(slot_folder));
}

bool acquire_slot_lock(const QString& slot_folder)
{
    // The name first: one place for every process of the user, so that no
    // folder's mode (a runtime folder mounted read-only for one process)
    // can lead two controllers of one slot to two different locks.
    const LockResult by_name = lock_by_socket(socket_name(slot_folder));
    if (by_name == LockResult::Held)
        return false;
    // The file as well, where controllers of this user have always looked.
    const QString runtime = runtime_folder();
    const LockResult by_file = runtime.isEmpty() ? LockResult::NoPlace : lock_in(runtime, lock_name(slot_folder));
    if (by_file == LockResult::Held)
        return false;
    if (by_name == LockResult::Taken || by_file == LockResult::Taken)
        return true;
    std::fprintf(stderr, "kestrum: no lock can be taken for %s, neither by name nor in the runtime folder\n",
                 qPrintable(slot_folder));
    return false;
}

}  // namespace kestrum
