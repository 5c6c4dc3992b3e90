#include "controller/slot_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kestrum {

QString slot_lock_path(const QString& slot_folder)
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists())
        runtime = QDir::tempPath();
    const QByteArray digest =
        QCryptographicHash::hash(slot_folder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(runtime).filePath(QStringLiteral("kestrum-%1.lock").arg(QString::fromLatin1(digest)));
}

bool acquire_slot_lock(const QString& slot_folder)
{
    const QByteArray path = QFile::encodeName(slot_lock_path(slot_folder));
    // flock is released by the kernel when the process ends, also when it
    // ends at once without running destructors.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;  // no place for a lock: run rather than refuse every start
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true;  // the descriptor stays open for the life of the process
}

}  // namespace kestrum
