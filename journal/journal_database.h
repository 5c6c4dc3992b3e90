#pragma once
#include <QLoggingCategory>
#include <QSet>
#include <QString>
#include <optional>

#include "settings_store/sqlite_connection.h"
#include "settings_store/store_files.h"

struct sqlite3;
struct sqlite3_stmt;

Q_DECLARE_LOGGING_CATEGORY(lcJournal)

namespace journal {

// Where the journal lives: $VEKORRA_JOURNAL when set and not empty, else
// ${XDG_DATA_HOME:-$HOME/.local/share}/vekorra/journal.sqlite.
QString journal_path();

// The schema version this program writes (PRAGMA user_version).
constexpr int schema_version = 3;

// One connection to the journal file. It opens lazily, creates the file
// 0600 in a 0700 folder, brings an older schema up to date, and keeps its
// prepared statements. Nothing here throws: a failure makes the operation
// report false and logs one warning per kind of failure; a journal that
// could not be opened is tried again at most every few seconds, so a
// broken file never costs a controller's tick more than a glance.
//
// A damaged file (SQLite finds it malformed, or it is no database) is
// neither read further nor written: the connection lets go of it and stays
// away until the path names another file, so that nothing is written over
// what a repair could still save.
class JournalDatabase {
public:
    // Who uses the connection. In the background (controllers, tools) a
    // statement waits up to a second for a lock another program holds, and
    // the whole file is checked once before the first write. A window's
    // look costs a few statements and the window answers within 100 ms: it
    // waits at most 30 ms per statement, and its writes (the user's
    // deletions) rely on SQLite's checks of the pages they touch, since a
    // check of a large journal takes longer than a window may wait.
    enum class Use { Background, Window };
    static constexpr int background_busy_timeout_ms = 1000;
    static constexpr int window_busy_timeout_ms = 30;

    explicit JournalDatabase(const QString& path = journal_path(), Use use = Use::Background);
    ~JournalDatabase();

    // The file at a path checked whole on a read-only connection of its
    // own, for a window to run off its thread: the damage found (empty when
    // sound or when it could not be checked now) and which file it was.
    struct FileCheck {
        std::optional<settings_store::FileId> file;
        QString damage;
    };
    static FileCheck check_file(const QString& path);
    // Such a check found the file damaged: from now on as if this connection
    // had found it, provided the path still names that file.
    void take_check(const FileCheck& check);
    JournalDatabase(const JournalDatabase&) = delete;
    JournalDatabase& operator=(const JournalDatabase&) = delete;

    // Opens when needed; false when the journal cannot be used now.
    bool ready();
    // ready(), and the file checked whole once on this connection before
    // its first write: a damaged journal is never written to.
    bool ready_to_write();
    // The file was found damaged; it stays so until the path names another.
    bool damaged() const { return damaged_file_.has_value(); }
    // A kept prepared statement of this text, reset and unbound; nullptr on
    // failure.
    sqlite3_stmt* statement(const char* sql);
    // True for SQLITE_OK, _ROW and _DONE; otherwise reports the failure.
    bool check(int rc, const char* during);
    sqlite3* handle() const { return connection_.handle(); }
    int busy_timeout_ms() const;
    void set_busy_timeout(int ms);

    const QString& path() const { return path_; }
    // The last failure's explanation, for the command-line tool.
    const QString& last_error() const { return last_error_; }
    void close();

private:
    bool open();
    bool migrate();
    std::optional<int> stored_version();
    bool known_version(int version);
    bool verify_whole_file();
    void mark_damaged(const QString& detail);
    bool still_damaged();
    void report(int kind, const QString& text);

    sqlite3* db() const { return connection_.handle(); }

    QString path_;
    int busy_timeout_ms_;
    bool check_before_writing_;
    settings_store::SqliteConnection connection_;
    bool verified_for_writing_ = false;
    std::optional<settings_store::FileId> damaged_file_;
    qint64 next_open_attempt_ms_ = 0;
    QSet<int> reported_kinds_;
    QString last_error_;
};

using settings_store::StatementUse;
using settings_store::bind_text;
using settings_store::column_text;

}  // namespace journal
