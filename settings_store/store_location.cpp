#include "settings_store/store_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings_store {

QString store_path()
{
    const QString explicit_path = qEnvironmentVariable("VEKORRA_SETTINGS");
    if (!explicit_path.isEmpty())
        return explicit_path;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vekorra/settings.sqlite");
}

namespace {

QString system_error(const char* what, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), path,
                                           QString::fromLocal8Bit(std::strerror(errno)));
}

// mkdir -p with mode 0700 for every folder it creates; existing folders keep
// their mode.
QString make_folders(const QString& folder)
{
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), 0700) == 0 || errno == EEXIST)
            continue;
        return system_error("cannot create folder", current);
    }
    return QString();
}

}  // namespace

QString prepare_store_file(const QString& path)
{
    const QString problem = make_folders(QFileInfo(path).absolutePath());
    if (!problem.isEmpty())
        return problem;
    const QByteArray native = QFile::encodeName(path);
    // O_CREAT with 0600 creates the file private from its first moment;
    // SQLite then gives its journal files the same mode.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return QString();
    }
    // A file that exists but cannot be written may still be readable:
    // let SQLite decide what it can do with it.
    if (errno == EACCES || errno == EROFS) {
        struct stat info {};
        if (::stat(native.constData(), &info) == 0 && S_ISREG(info.st_mode))
            return QString();
    }
    return system_error("cannot create", path);
}

}  // namespace settings_store
