#pragma once
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

#include "settings_store/settings_store.h"
#include "settings_store/sqlite_connection.h"
#include "settings_store/store_files.h"

struct sqlite3;
struct sqlite3_stmt;

namespace settings_store {

// Names as the store keys them: the case-folded form for matching, the
// form given by the caller for display.
struct Name {
    QString app, section, key;
};

// One process's connection to the store file, with its prepared
// statements. Every failure is turned into "no result": the callers give
// their defaults, and each kind of failure is logged once.
class StoreConnection {
public:
    StoreConnection();
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    // Empty when the key is absent or the store failed.
    std::optional<QString> read(const Name& name);
    bool write(const Name& name, const QString& value);
    std::optional<QString> take(const Name& name, const QString& default_value, bool reset);
    // Adds text at the end of the value (absent counts as ""), in one step.
    bool append(const Name& name, const QString& text);
    // In one transaction; values already there are not written again.
    bool write_all(const QList<std::pair<Name, QString>>& values);
    bool remove(const Name& name);
    QList<Entry> list(const QString& app, const QString& section);
    // PRAGMA data_version; -1 when the store cannot be used.
    qint64 data_version();

    // See settings_store::ReadBatch.
    void begin_read_batch() { ++batch_depth_; }
    void end_read_batch();

    // Whether the operation that just ended could not use the store.
    bool failed() const { return failed_; }
    // Drops the connection; the next operation opens afresh.
    void close();

private:
    enum Statement { Select, Upsert, Delete, Begin, Commit, Rollback, ListAll, ListApp, ListSection, StatementCount };

    bool start_operation();
    // Every operation but a read ends the batch's read transaction first.
    bool start_other_operation();
    void end_batch_transaction();
    void follow_moved_file();
    void drop_connection();
    bool open();
    int exec_while_busy(const char* sql);
    bool prepare_all();
    sqlite3_stmt* statement(Statement which);
    void bind_name(sqlite3_stmt* stmt, const Name& name);
    std::optional<QString> select_value(const Name& name, bool& ok);
    bool batch_holds(const Name& name, const QString& value);
    bool upsert(const Name& name, const QString& value);
    bool execute(Statement which);
    bool check(int rc, const char* during);
    void report(int kind, const QString& text);

    sqlite3* db() const { return connection_.handle(); }

    SqliteConnection connection_;
    sqlite3_stmt* statements_[StatementCount] = {};
    bool failed_ = false;
    int busy_timeout_ms_ = 0;
    bool lock_stuck_ = false;  // waiting briefly until the store is free again
    qint64 next_open_attempt_ms_ = 0;
    bool open_met_lock_ = false;  // the last open failed only for another process's lock
    QString opened_path_;
    StoreFiles opened_files_;  // as they were when the connection opened
    qint64 next_file_check_ms_ = 0;
    QSet<int> reported_kinds_;
    int batch_depth_ = 0;
    bool batch_transaction_ = false;  // BEGIN run for the batch's reads
};

}  // namespace settings_store
