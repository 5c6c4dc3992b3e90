#include "settings_store/store_files.h"

#include <QFile>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings_store {

namespace {

std::optional<FileId> file_id(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileId{quint64(info.st_dev), quint64(info.st_ino)};
}

// Removes path when it still names `ours`, and only then: a file another
// process has made there meanwhile belongs to the new store.
void remove_if_ours(const QString& path, const std::optional<FileId>& ours)
{
    if (ours && file_id(path) == ours)
        ::unlink(QFile::encodeName(path).constData());
}

// Writes everything the connection sees into a new private file beside
// path; returns its name, or an empty text when that failed.
QString write_copy(sqlite3* db, const QString& path)
{
    const QString copy_path = path + QStringLiteral(".restore-%1").arg(::getpid());
    const QByteArray native = QFile::encodeName(copy_path);
    ::unlink(native.constData());
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return QString();
    ::close(fd);
    sqlite3* copy = nullptr;
    bool copied = sqlite3_open_v2(native.constData(), &copy, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    if (copied) {
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db, "main");
        copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        sqlite3_backup_finish(backup);
    }
    sqlite3_close(copy);
    if (copied)
        return copy_path;
    ::unlink(native.constData());
    return QString();
}

// Links the copy in as path unless another process was quicker.
bool link_copy(const QString& copy_path, const QString& path)
{
    const QByteArray native = QFile::encodeName(copy_path);
    const bool linked = ::link(native.constData(), QFile::encodeName(path).constData()) == 0;
    ::unlink(native.constData());
    return linked;
}

}  // namespace

StoreFiles store_files(const QString& path)
{
    return {file_id(path), file_id(path + QStringLiteral("-wal")), file_id(path + QStringLiteral("-shm"))};
}

QString let_go_of_moved_store(sqlite3* db, const QString& path, const StoreFiles& opened, const StoreFiles& now)
{
    // Nobody has opened the store anew while the journal files at the path
    // are still ours or gone.
    const bool no_new_journal =
        (!now.wal || now.wal == opened.wal) && (!now.shm || now.shm == opened.shm);
    QString what;
    QString copy_path;
    if (!now.db) {
        what = QStringLiteral("was removed");
        // Written before the journal files go: the copy holds the -wal's part.
        if (no_new_journal)
            copy_path = write_copy(db, path);
    } else if (now.db != opened.db) {
        what = QStringLiteral("was replaced by another file");
    } else {
        what = QStringLiteral("lost its -wal or -shm file");
        if (no_new_journal)
            sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    }
    remove_if_ours(path + QStringLiteral("-wal"), opened.wal);
    remove_if_ours(path + QStringLiteral("-shm"), opened.shm);
    if (!copy_path.isEmpty() && link_copy(copy_path, path))
        what += QStringLiteral("; put back as this process last saw it");
    // The old files may still be shared with processes that have not
    // noticed yet: closing must not write into them or remove anything.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    return what;
}

}  // namespace settings_store
