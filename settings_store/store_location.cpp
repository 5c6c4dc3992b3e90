#include "settings_store/store_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings_store {

QString home_folder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    const passwd* user = ::getpwuid(::geteuid());
    return user && user->pw_dir && *user->pw_dir ? QFile::decodeName(user->pw_dir) : QDir::rootPath();
}

QString user_folder(UserFolder which)
{
    struct Base {
        const char* variable;
        const char* under_home;
    };
    static constexpr Base kBases[] = {
        {"XDG_CONFIG_HOME", "/.config"},
        {"XDG_DATA_HOME", "/.local/share"},
        {"XDG_CACHE_HOME", "/.cache"},
        {"XDG_RUNTIME_DIR", nullptr},
    };
    const Base& base = kBases[static_cast<int>(which)];
    const QString set = qEnvironmentVariable(base.variable);
    if (!base.under_home)
        return QDir::isAbsolutePath(set) && QFileInfo(set).isDir() ? set : QString();
    if (QDir::isAbsolutePath(set))
        return set;
    return home_folder() + QLatin1String(base.under_home);
}

QString store_path()
{
    const QString explicit_path = qEnvironmentVariable("VEKORRA_SETTINGS");
    if (!explicit_path.isEmpty())
        return explicit_path;
    return user_folder(UserFolder::Config) + QStringLiteral("/vekorra/settings.sqlite");
}

namespace {

QString system_error(const char* what, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), path,
                                           QString::fromLocal8Bit(std::strerror(errno)));
}

QString user_name(uid_t uid)
{
    const passwd* user = ::getpwuid(uid);
    const QString number = QString::number(qulonglong(uid));
    return user && user->pw_name ? QStringLiteral("%1 (uid %2)").arg(QFile::decodeName(user->pw_name), number)
                                 : QStringLiteral("uid %1").arg(number);
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
        return system_error("cannot create", current);
    }
    return QString();
}

// Folders no program of a user may close, whoever owns them: closing one
// (as root) would lock every other user and service out.
bool shared_system_folder(const QString& canonical)
{
    static const QStringList system_folders = {QStringLiteral("/"), QStringLiteral("/dev"), QStringLiteral("/tmp"),
                                               QStringLiteral("/var/tmp"), QStringLiteral("/run")};
    return canonical.isEmpty() || system_folders.contains(canonical)
        || canonical == QFileInfo(home_folder()).canonicalFilePath()
        || canonical == QFileInfo(QDir::homePath()).canonicalFilePath();
}

// The store's own folder is closed to others when it is the user's, once
// the file in it was accepted. A shared folder (sticky, as /tmp), a system
// folder and the home folder are left as they are: they are not the
// store's to close.
void tighten_folder(const QString& folder, QStringList& tightened)
{
    struct stat info {};
    const QByteArray native = QFile::encodeName(folder);
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()
        || (info.st_mode & S_ISVTX) || (info.st_mode & 077) == 0
        || shared_system_folder(QFileInfo(folder).canonicalFilePath()))
        return;
    if (::chmod(native.constData(), 0700) == 0)
        tightened << folder;
}

// The -wal and -shm that SQLite made beside a store that was open to
// others are as open; one that belongs to someone else makes the store
// unusable as the store file itself would.
QString check_journal_file(const QString& path, QStringList& tightened)
{
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return QString();
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to %2").arg(path, user_name(info.st_uid));
    if ((info.st_mode & 077) != 0 && ::chmod(native.constData(), 0600) == 0)
        tightened << path;
    return QString();
}

// A descriptor of the file at the path, to examine it through. Closing
// any descriptor of a file drops every POSIX lock this process holds on
// it, SQLite's included: a second connection to a database in the same
// process (the journal's and the messages') would lose its locks, and
// another program's checkpoint could then write over what it committed.
// So the descriptor of a regular file stays open for the life of the
// process, one per file, and is used again. O_CREAT with 0600 creates the
// file private from its first moment; SQLite then gives its journal files
// the same mode. A file that exists but cannot be written may still be
// readable: SQLite decides what it can do with it.
int examined_descriptor(const QByteArray& native)
{
    static QMutex guard;
    static QHash<QPair<dev_t, ino_t>, int> kept;
    const QMutexLocker lock(&guard);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0 && S_ISREG(info.st_mode)) {
        const int known = kept.value({info.st_dev, info.st_ino}, -1);
        if (known >= 0)
            return known;
    }
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && !kept.contains({info.st_dev, info.st_ino}))
        kept.insert({info.st_dev, info.st_ino}, fd);
    return fd;
}

// The open store file must be the user's own and closed to others.
QString check_store_file(int fd, const QString& path, QStringList& tightened)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return system_error("cannot examine", path);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to %2, not to this user").arg(path, user_name(info.st_uid));
    if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0600) == 0)
        tightened << path;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString problem = check_journal_file(path + QLatin1String(suffix), tightened);
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

}  // namespace

QString prepare_store_file(const QString& path, QStringList& tightened)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString problem = make_folders(folder);
    if (!problem.isEmpty())
        return problem;
    const int fd = examined_descriptor(QFile::encodeName(path));
    if (fd < 0)
        return system_error("cannot open", path);
    struct stat info {};
    QString refusal;
    if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
        refusal = QStringLiteral("%1 is not a regular file").arg(path);
        ::close(fd);  // no database on it: no lock to lose
    } else {
        refusal = check_store_file(fd, path, tightened);
    }
    // Only the folder of a file this program takes is its to close.
    if (refusal.isEmpty())
        tighten_folder(folder, tightened);
    return refusal;
}

}  // namespace settings_store
