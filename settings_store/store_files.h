#pragma once
#include <QString>
#include <QtGlobal>
#include <optional>

struct sqlite3;

namespace settings_store {

// Which file a path names: its device and inode.
struct FileId {
    quint64 device = 0, inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// The three files of a store in WAL mode as the path names them now; an
// absent one is empty.
struct StoreFiles {
    std::optional<FileId> db, wal, shm;
    friend bool operator==(const StoreFiles&, const StoreFiles&) = default;
};

StoreFiles store_files(const QString& path);

// A connection whose files `path` no longer names (opened: as they were
// when it opened; now: as they are) is about to be closed and opened
// again at `path`. Keeps what it committed where the others will find it:
// a removed store is put back from this connection's copy, and a -wal that
// only this connection's group still knows is written into the store first.
// Journal files left at the path that belong to the old store are removed,
// since SQLite would take them for the new one's. Closing the connection
// afterwards writes nothing more. Returns what happened, for the log.
QString let_go_of_moved_store(sqlite3* db, const QString& path, const StoreFiles& opened, const StoreFiles& now);

}  // namespace settings_store
