#include "settings_store/store_connection.h"

#include <QFile>
#include <QLoggingCategory>

#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <sqlite3.h>

#include "settings_store/sqlite_connection.h"
#include "settings_store/store_location.h"

Q_LOGGING_CATEGORY(lcStore, "vekorra.store", QtWarningMsg)

namespace settings_store {

namespace {

// One row per key. The *_fold columns hold the case-folded names that
// lookups match on; app, section and key keep the spelling first written,
// for display.
const char* const schema_sql =
    "CREATE TABLE IF NOT EXISTS settings ("
    " app_fold TEXT NOT NULL, section_fold TEXT NOT NULL, key_fold TEXT NOT NULL,"
    " app TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
    " PRIMARY KEY (app_fold, section_fold, key_fold)) WITHOUT ROWID";

// A new key takes over the display spelling of its application and
// section when they already exist, so one section lists under one name.
const char* const statement_sql[] = {
    "SELECT value FROM settings WHERE app_fold = ?1 AND section_fold = ?2 AND key_fold = ?3",
    "INSERT INTO settings (app_fold, section_fold, key_fold, app, section, key, value) VALUES (?1, ?2, ?3,"
    " coalesce((SELECT app FROM settings WHERE app_fold = ?1 LIMIT 1), ?4),"
    " coalesce((SELECT section FROM settings WHERE app_fold = ?1 AND section_fold = ?2 LIMIT 1), ?5),"
    " ?6, ?7)"
    " ON CONFLICT (app_fold, section_fold, key_fold) DO UPDATE SET value = excluded.value"
    // An unchanged value is not written again: every write wakes the
    // processes that watch the store.
    " WHERE value IS NOT excluded.value",
    "DELETE FROM settings WHERE app_fold = ?1 AND section_fold = ?2 AND key_fold = ?3",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SELECT app, section, key, value FROM settings ORDER BY app_fold, section_fold, key_fold",
    "SELECT app, section, key, value FROM settings WHERE app_fold = ?1 ORDER BY section_fold, key_fold",
    "SELECT app, section, key, value FROM settings WHERE app_fold = ?1 AND section_fold = ?2 ORDER BY key_fold",
};

// SQLite's automatic checkpoint (every 1000 pages) keeps the -wal near
// 4 MiB under the full load of a dialer and four controllers (measured by
// bench_store_load --speed 20: 4.3 MiB at most over 30 minutes of load,
// never growing further). A log that grew past that while a reader held an
// old snapshot is cut back to it at the next restart instead of staying
// large on disk for good.
const char* const journal_limit_sql = "PRAGMA journal_size_limit = 4194304";

// A store that could not be opened is tried again at most this often, so
// a program polling a broken store does not pay the open cost every tick.
constexpr qint64 reopen_interval_ms = 1000;
// How often an open connection checks that its path still names the files
// it has open: someone may remove or replace them while programs run.
constexpr qint64 file_check_interval_ms = 1000;
constexpr int default_busy_timeout_ms = 5000;
// Once a lock outlasted the full wait, later operations wait only this
// long until one succeeds: a process that holds the store for good must
// not freeze every tick of the others for the full wait per operation.
constexpr int stuck_lock_wait_ms = 100;
// Failure kinds beyond SQLite's result codes.
constexpr int kind_file = -1;

qint64 now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int configured_busy_timeout_ms()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VEKORRA_STORE_BUSY_MS", &ok);
    return ok && ms >= 0 ? ms : default_busy_timeout_ms;
}

}  // namespace

StoreConnection::StoreConnection() = default;

StoreConnection::~StoreConnection() { close(); }

void StoreConnection::drop_connection()
{
    std::fill(std::begin(statements_), std::end(statements_), nullptr);
    connection_.close();
    batch_transaction_ = false;
}

void StoreConnection::close()
{
    drop_connection();
    next_open_attempt_ms_ = 0;
    reported_kinds_.clear();
}

void StoreConnection::report(int kind, const QString& text)
{
    failed_ = true;
    if (reported_kinds_.contains(kind))
        return;
    reported_kinds_.insert(kind);
    qCWarning(lcStore).noquote() << "settings store" << store_path() << "unusable:" << text;
}

bool StoreConnection::check(int rc, const char* during)
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return true;
    if ((rc & 0xff) == SQLITE_BUSY && db() && !lock_stuck_) {
        lock_stuck_ = true;
        connection_.set_busy_timeout(std::min(stuck_lock_wait_ms, busy_timeout_ms_));
    }
    const QString detail = connection_.error_text(rc);
    report(rc & 0xff, QStringLiteral("%1: %2").arg(QLatin1String(during), detail));
    return false;
}

bool StoreConnection::start_operation()
{
    follow_moved_file();
    if (db() && lock_stuck_ && !failed_) {
        lock_stuck_ = false;
        connection_.set_busy_timeout(busy_timeout_ms_);
    }
    failed_ = false;
    if (db())
        return true;
    if (now_ms() < next_open_attempt_ms_) {
        failed_ = true;
        return false;
    }
    if (open())
        return true;
    drop_connection();
    // A lock held by another process opening the same new store is gone in
    // a moment: only other failures wait for the next attempt.
    next_open_attempt_ms_ = open_met_lock_ ? 0 : now_ms() + reopen_interval_ms;
    return false;
}

// Once the path names other files than the open ones (the store removed,
// replaced, or its -wal or -shm removed), this process would go on alone
// with files no new process finds: it lets go of them and opens the path
// again, as every other process does within the same second.
void StoreConnection::follow_moved_file()
{
    if (!db() || now_ms() < next_file_check_ms_)
        return;
    next_file_check_ms_ = now_ms() + file_check_interval_ms;
    const StoreFiles now = store_files(opened_path_);
    if (now == opened_files_)
        return;
    const QString what = let_go_of_moved_store(db(), opened_path_, opened_files_, now);
    qCWarning(lcStore).noquote() << "settings store" << opened_path_ << what + QStringLiteral("; opening it again");
    drop_connection();
    reported_kinds_.clear();
}

// The switch of a new file into WAL mode, and the first look at its schema,
// can meet "database is locked" at once, without the busy timeout, while
// another process does the same: such a step is tried again within the
// busy timeout.
int StoreConnection::exec_while_busy(const char* sql)
{
    const qint64 give_up_ms = now_ms() + busy_timeout_ms_;
    for (;;) {
        const int rc = sqlite3_exec(db(), sql, nullptr, nullptr, nullptr);
        if ((rc & 0xff) != SQLITE_BUSY || now_ms() >= give_up_ms) {
            open_met_lock_ = (rc & 0xff) == SQLITE_BUSY;
            return rc;
        }
        QThread::usleep(1000 + QRandomGenerator::global()->bounded(4000));
    }
}

bool StoreConnection::open()
{
    const QString path = store_path();
    open_met_lock_ = false;
    QStringList tightened;
    const QString problem = prepare_store_file(path, tightened);
    if (!tightened.isEmpty())
        qCWarning(lcStore).noquote() << "settings store" << path << "was open to other users; now private:"
                                     << tightened.join(QStringLiteral(", "));
    if (!problem.isEmpty()) {
        report(kind_file, problem);
        return false;
    }
    busy_timeout_ms_ = configured_busy_timeout_ms();
    lock_stuck_ = false;
    if (!check(connection_.open(path, busy_timeout_ms_), "open"))
        return false;
    // WAL lets readers go on while another process writes; NORMAL syncs at
    // checkpoints only, which keeps writes cheap and still survives crashes.
    const bool ready = check(exec_while_busy("PRAGMA journal_mode = WAL"), "journal mode")
        && check(exec_while_busy("PRAGMA synchronous = NORMAL"), "synchronous")
        && check(exec_while_busy(journal_limit_sql), "journal size limit")
        && check(exec_while_busy(schema_sql), "schema") && prepare_all();
    if (ready) {
        opened_path_ = path;
        opened_files_ = store_files(path);
        next_file_check_ms_ = now_ms() + file_check_interval_ms;
    }
    return ready;
}

bool StoreConnection::prepare_all()
{
    for (int i = 0; i < StatementCount; ++i) {
        int rc = SQLITE_OK;
        statements_[i] = connection_.statement(statement_sql[i], &rc);
        if (!check(rc, "prepare"))
            return false;
    }
    return true;
}

sqlite3_stmt* StoreConnection::statement(Statement which) { return statements_[which]; }

void StoreConnection::bind_name(sqlite3_stmt* stmt, const Name& name)
{
    bind_text(stmt, 1, name.app.toCaseFolded());
    bind_text(stmt, 2, name.section.toCaseFolded());
    bind_text(stmt, 3, name.key.toCaseFolded());
}

bool StoreConnection::execute(Statement which)
{
    sqlite3_stmt* stmt = statement(which);
    StatementUse use(stmt);
    return check(sqlite3_step(stmt), "transaction");
}

std::optional<QString> StoreConnection::select_value(const Name& name, bool& ok)
{
    sqlite3_stmt* stmt = statement(Select);
    StatementUse use(stmt);
    bind_name(stmt, name);
    const int rc = sqlite3_step(stmt);
    ok = check(rc, "read");
    if (rc != SQLITE_ROW)
        return std::nullopt;
    return column_text(stmt, 0);
}

bool StoreConnection::upsert(const Name& name, const QString& value)
{
    sqlite3_stmt* stmt = statement(Upsert);
    StatementUse use(stmt);
    bind_name(stmt, name);
    bind_text(stmt, 4, name.app);
    bind_text(stmt, 5, name.section);
    bind_text(stmt, 6, name.key);
    bind_text(stmt, 7, value);
    return check(sqlite3_step(stmt), "write");
}

void StoreConnection::end_batch_transaction()
{
    if (!batch_transaction_)
        return;
    batch_transaction_ = false;
    if (!execute(Commit)) {
        sqlite3_step(statement(Rollback));
        sqlite3_reset(statement(Rollback));
    }
}

void StoreConnection::end_read_batch()
{
    if (batch_depth_ > 0 && --batch_depth_ == 0 && db())
        end_batch_transaction();
}

bool StoreConnection::start_other_operation()
{
    if (!start_operation())
        return false;
    end_batch_transaction();
    return true;
}

std::optional<QString> StoreConnection::read(const Name& name)
{
    if (!start_operation())
        return std::nullopt;
    if (batch_depth_ > 0 && !batch_transaction_)
        batch_transaction_ = execute(Begin);
    bool ok = false;
    std::optional<QString> value = select_value(name, ok);
    if (!ok && batch_transaction_) {
        // A failed read ends the batch's transaction; the next read tries anew.
        batch_transaction_ = false;
        sqlite3_step(statement(Rollback));
        sqlite3_reset(statement(Rollback));
    }
    return value;
}

// Inside a batch, a write of the value already there and a take that
// finds the default change nothing: they are answered from the batch's
// snapshot, as if they had run when it began, and its transaction goes on.
// Passes that look at many request keys, nearly always empty, then cost
// one read transaction instead of one each.
bool StoreConnection::batch_holds(const Name& name, const QString& value)
{
    if (batch_depth_ == 0)
        return false;
    const std::optional<QString> held = read(name);
    return held && *held == value && !failed_;
}

bool StoreConnection::write(const Name& name, const QString& value)
{
    if (batch_holds(name, value))
        return true;
    if (!start_other_operation())
        return false;
    // The upsert changes nothing when the value is there already, but it
    // would still take the write lock; a read (outside any batch, so of
    // the newest state) is cheaper, and the controllers publish mostly
    // unchanged values several times a second.
    bool ok = false;
    if (select_value(name, ok) == value && ok)
        return true;
    // A read that failed only costs the shortcut: the write's own outcome
    // is the operation's.
    failed_ = false;
    return upsert(name, value);
}

std::optional<QString> StoreConnection::take(const Name& name, const QString& default_value, bool reset)
{
    if (batch_holds(name, default_value))
        return default_value;
    if (!start_other_operation() || !execute(Begin))
        return std::nullopt;
    bool ok = false;
    std::optional<QString> value = select_value(name, ok);
    // Writing back a value that is already there would only grow the log.
    if (ok && reset && value != default_value)
        ok = upsert(name, default_value);
    if (ok && execute(Commit))
        return value;
    sqlite3_step(statement(Rollback));
    sqlite3_reset(statement(Rollback));
    return std::nullopt;
}

qint64 StoreConnection::data_version()
{
    if (!start_other_operation())
        return -1;
    sqlite3_stmt* stmt = connection_.statement("PRAGMA data_version");
    if (!stmt)
        return -1;
    StatementUse use(stmt);
    return sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
}

bool StoreConnection::append(const Name& name, const QString& text)
{
    if (!start_other_operation() || !execute(Begin))
        return false;
    bool ok = false;
    const QString value = select_value(name, ok).value_or(QString());
    if (ok && !text.isEmpty())
        ok = upsert(name, value + text);
    if (ok && execute(Commit))
        return true;
    sqlite3_step(statement(Rollback));
    sqlite3_reset(statement(Rollback));
    return false;
}

bool StoreConnection::write_all(const QList<std::pair<Name, QString>>& values)
{
    if (!start_other_operation() || !execute(Begin))
        return false;
    bool ok = true;
    for (auto value = values.cbegin(); ok && value != values.cend(); ++value)
        ok = upsert(value->first, value->second);  // the upsert skips unchanged values
    if (ok && execute(Commit))
        return true;
    sqlite3_step(statement(Rollback));
    sqlite3_reset(statement(Rollback));
    return false;
}

bool StoreConnection::remove(const Name& name)
{
    if (!start_other_operation())
        return false;
    sqlite3_stmt* stmt = statement(Delete);
    StatementUse use(stmt);
    bind_name(stmt, name);
    return check(sqlite3_step(stmt), "remove") && sqlite3_changes(db()) > 0;
}

QList<Entry> StoreConnection::list(const QString& app, const QString& section)
{
    QList<Entry> entries;
    if (!start_other_operation())
        return entries;
    const Statement which = app.isNull() ? ListAll : section.isNull() ? ListApp : ListSection;
    sqlite3_stmt* stmt = statement(which);
    StatementUse use(stmt);
    if (!app.isNull())
        bind_text(stmt, 1, app.toCaseFolded());
    if (!section.isNull())
        bind_text(stmt, 2, section.toCaseFolded());
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        entries.append({column_text(stmt, 0), column_text(stmt, 1), column_text(stmt, 2), column_text(stmt, 3)});
    if (!check(rc, "list"))
        entries.clear();
    return entries;
}

}  // namespace settings_store
