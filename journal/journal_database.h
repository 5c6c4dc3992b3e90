#pragma once
#include <QByteArray>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <QString>

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
class JournalDatabase {
public:
    explicit JournalDatabase(const QString& path = journal_path());
    ~JournalDatabase();
    JournalDatabase(const JournalDatabase&) = delete;
    JournalDatabase& operator=(const JournalDatabase&) = delete;

    // Opens when needed; false when the journal cannot be used now.
    bool ready();
    // A kept prepared statement of this text, reset and unbound; nullptr on
    // failure.
    sqlite3_stmt* statement(const char* sql);
    // True for SQLITE_OK, _ROW and _DONE; otherwise reports the failure.
    bool check(int rc, const char* during);
    sqlite3* handle() const { return db_; }

    const QString& path() const { return path_; }
    // The last failure's explanation, for the command-line tool.
    const QString& last_error() const { return last_error_; }
    void close();

private:
    bool open();
    bool migrate();
    void report(int kind, const QString& text);

    QString path_;
    sqlite3* db_ = nullptr;
    QHash<QByteArray, sqlite3_stmt*> statements_;
    qint64 next_open_attempt_ms_ = 0;
    QSet<int> reported_kinds_;
    QString last_error_;
};

// Leaves a statement ready for its next use whichever way the caller returns.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* stmt_;
};

}  // namespace journal
