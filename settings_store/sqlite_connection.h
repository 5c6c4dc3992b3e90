#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace settings_store {

// One SQLite connection of this program's own files (the store, the
// journal and its messages): opened read-write without SQLite's own
// mutexes (each connection stays on one thread), with a busy timeout, and
// with its prepared statements kept until it closes. What the file holds
// and how failures are reported stay with its owner.
class SqliteConnection {
public:
    SqliteConnection() = default;
    ~SqliteConnection() { close(); }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // SQLite's result code; on failure the connection (if any was made)
    // stays for its error text until close().
    int open(const QString& path, int busy_timeout_ms);
    void close();
    sqlite3* handle() const { return db_; }
    bool is_open() const { return db_ != nullptr; }

    int busy_timeout_ms() const { return busy_timeout_ms_; }
    void set_busy_timeout(int ms);

    // A kept prepared statement of this text, reset and unbound; nullptr
    // with the result code in `rc` on failure.
    sqlite3_stmt* statement(const char* sql, int* rc = nullptr);
    // The connection's last error, or the code's own text without one.
    QString error_text(int rc) const;

private:
    sqlite3* db_ = nullptr;
    int busy_timeout_ms_ = 0;
    QHash<QByteArray, sqlite3_stmt*> statements_;
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

void bind_text(sqlite3_stmt* stmt, int index, const QString& text);
QString column_text(sqlite3_stmt* stmt, int column);

}  // namespace settings_store
