#include "journal/journal_database.h"

#include <QFile>

#include <chrono>
#include <sqlite3.h>

#include "settings_store/store_location.h"

Q_LOGGING_CATEGORY(lcJournal, "vekorra.journal", QtWarningMsg)

namespace journal {

namespace {

// Each step brings the schema from its index to the next version; a
// journal of any older version runs the steps it lacks, in one transaction.
const char* const migration_steps[] = {
    // 0 -> 1: the calls.
    "CREATE TABLE calls ("
    " id INTEGER PRIMARY KEY,"
    " line TEXT NOT NULL, model TEXT NOT NULL DEFAULT '',"
    " direction TEXT NOT NULL, number TEXT NOT NULL DEFAULT '',"
    " start_ms INTEGER NOT NULL, answer_ms INTEGER, end_ms INTEGER,"
    " outcome TEXT);"
    "CREATE INDEX calls_by_start ON calls (start_ms DESC, id DESC);",
    // 1 -> 2: the time a call was last seen going on, so that a call cut
    // off by a crash keeps the duration it had; the open calls of a line
    // are found without a scan. The listing's index carries the number and
    // the outcome, so a search walks the index alone and reads a call's
    // row only when it matches.
    "ALTER TABLE calls ADD COLUMN last_seen_ms INTEGER;"
    "CREATE INDEX calls_open ON calls (line) WHERE end_ms IS NULL;"
    "CREATE INDEX calls_by_outcome ON calls (outcome, start_ms DESC);"
    "DROP INDEX calls_by_start;"
    "CREATE INDEX calls_listing ON calls (start_ms DESC, id DESC, number, outcome);",
    // 2 -> 3: text messages. A conversation is keyed by the number's last
    // ten digits (or the sender's name), so "+380671234567" and
    // "0671234567" meet. Parts of a long message wait in message_parts
    // until the last one comes; an outgoing part's row keeps the phone's
    // reference (TP-MR) until its status report. message_seen keeps what
    // was taken from a phone's memory, so a message left there is kept once.
    "CREATE TABLE messages ("
    " id INTEGER PRIMARY KEY,"
    " line TEXT NOT NULL, model TEXT NOT NULL DEFAULT '',"
    " direction TEXT NOT NULL, number TEXT NOT NULL, conversation TEXT NOT NULL,"
    " text TEXT NOT NULL, sent_ms INTEGER, received_ms INTEGER NOT NULL,"
    " parts INTEGER NOT NULL DEFAULT 1, state TEXT NOT NULL, reason TEXT NOT NULL DEFAULT '');"
    "CREATE INDEX messages_by_conversation ON messages (conversation, received_ms DESC, id DESC);"
    "CREATE INDEX messages_unread ON messages (conversation) WHERE state = 'received';"
    "CREATE INDEX messages_waiting ON messages (line, state) WHERE state IN ('queued', 'sending');"
    "CREATE TABLE message_parts ("
    " id INTEGER PRIMARY KEY, message_id INTEGER, line TEXT NOT NULL, model TEXT NOT NULL DEFAULT '',"
    " number TEXT NOT NULL DEFAULT '', reference INTEGER, count INTEGER, sequence INTEGER,"
    " text TEXT, sent_ms INTEGER, received_ms INTEGER, tp_mr INTEGER, outcome TEXT);"
    "CREATE INDEX message_parts_incoming ON message_parts (line, number, reference, count) WHERE message_id IS NULL;"
    "CREATE INDEX message_parts_outgoing ON message_parts (line, tp_mr) WHERE message_id IS NOT NULL;"
    "CREATE TABLE message_seen (line TEXT NOT NULL, fingerprint TEXT NOT NULL, seen_ms INTEGER NOT NULL,"
    " PRIMARY KEY (line, fingerprint)) WITHOUT ROWID;",
};
static_assert(std::size(migration_steps) == schema_version);

constexpr qint64 reopen_interval_ms = 5000;
// Failure kinds beyond SQLite's result codes.
constexpr int kind_file = -1;
constexpr int kind_unknown_schema = -2;
constexpr int kind_damaged = -3;

qint64 now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

QString journal_path()
{
    const QString explicit_path = qEnvironmentVariable("VEKORRA_JOURNAL");
    if (!explicit_path.isEmpty())
        return explicit_path;
    return settings_store::user_folder(settings_store::UserFolder::Data) + QStringLiteral("/vekorra/journal.sqlite");
}

JournalDatabase::JournalDatabase(const QString& path, Use use)
    : path_(path), busy_timeout_ms_(use == Use::Window ? window_busy_timeout_ms : background_busy_timeout_ms),
      check_before_writing_(use == Use::Background)
{
}

int JournalDatabase::busy_timeout_ms() const { return busy_timeout_ms_; }

JournalDatabase::~JournalDatabase() { close(); }

void JournalDatabase::set_busy_timeout(int ms)
{
    busy_timeout_ms_ = ms;
    connection_.set_busy_timeout(ms);
}

void JournalDatabase::close()
{
    connection_.close();
    verified_for_writing_ = false;
}

void JournalDatabase::report(int kind, const QString& text)
{
    last_error_ = text;
    if (reported_kinds_.contains(kind))
        return;
    reported_kinds_.insert(kind);
    qCWarning(lcJournal).noquote() << "call journal" << path_ << "unusable:" << text;
}

bool JournalDatabase::check(int rc, const char* during)
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return true;
    const int primary = rc & 0xff;
    const QString detail = connection_.error_text(rc);
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        mark_damaged(QStringLiteral("%1: %2").arg(QLatin1String(during), detail));
    else
        report(primary, QStringLiteral("%1: %2").arg(QLatin1String(during), detail));
    return false;
}

void JournalDatabase::mark_damaged(const QString& detail)
{
    if (!damaged_file_)
        damaged_file_ = settings_store::store_files(path_).db.value_or(settings_store::FileId{});
    report(kind_damaged, QStringLiteral("the file is damaged (%1)").arg(detail));
}

// Whether the path still names the file found damaged; once it names
// another (the damaged one moved aside), the journal is opened afresh.
bool JournalDatabase::still_damaged()
{
    if (!damaged_file_)
        return false;
    if (settings_store::store_files(path_).db == damaged_file_)
        return true;
    damaged_file_.reset();
    reported_kinds_.remove(kind_damaged);
    next_open_attempt_ms_ = 0;
    return false;
}

bool JournalDatabase::ready()
{
    if (damaged_file_) {
        // The statements in use were reset by their users; the connection
        // goes, so no later step touches the damaged file.
        close();
        if (still_damaged())
            return false;
    }
    if (db())
        return true;
    if (now_ms() < next_open_attempt_ms_)
        return false;
    if (open())
        return true;
    close();
    next_open_attempt_ms_ = now_ms() + reopen_interval_ms;
    return false;
}

bool JournalDatabase::open()
{
    QStringList tightened;
    const QString problem = settings_store::prepare_store_file(path_, tightened);
    if (!problem.isEmpty()) {
        report(kind_file, problem);
        return false;
    }
    if (!check(connection_.open(path_, busy_timeout_ms_), "open"))
        return false;
    // NORMAL syncs at checkpoints only: a write costs tens of microseconds
    // and the file still survives a crash of the program.
    return check(sqlite3_exec(db(), "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr), "synchronous")
        && migrate();
}

bool JournalDatabase::ready_to_write()
{
    if (!ready())
        return false;
    if (verified_for_writing_)
        return true;
    verified_for_writing_ = !check_before_writing_ || verify_whole_file();
    // WAL: the tab and the tool read while controllers write. Set by the
    // first writer of a sound file only: switching writes the file's
    // header, and a file only read (perhaps damaged) is left as it is. A
    // lock that stops the switch now leaves the old mode, which works too.
    if (verified_for_writing_)
        sqlite3_exec(db(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    return verified_for_writing_;
}

// One pass over every page (no index cross-checks: those cost as much
// again and find what the pages' own checks find first).
bool JournalDatabase::verify_whole_file()
{
    sqlite3_stmt* stmt = nullptr;
    if (!check(sqlite3_prepare_v2(db(), "PRAGMA quick_check(1)", -1, &stmt, nullptr), "check"))
        return false;
    const int rc = sqlite3_step(stmt);
    const QString verdict = rc == SQLITE_ROW
                                ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)))
                                : QString();
    sqlite3_finalize(stmt);
    if (!check(rc, "check"))
        return false;
    if (verdict == QLatin1String("ok"))
        return true;
    mark_damaged(QStringLiteral("check: ") + verdict);
    return false;
}

JournalDatabase::FileCheck JournalDatabase::check_file(const QString& path)
{
    FileCheck result;
    result.file = settings_store::store_files(path).db;
    if (!result.file)
        return result;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, background_busy_timeout_ms);
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        const QString verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        if (verdict != QLatin1String("ok"))
            result.damage = QStringLiteral("check: ") + verdict;
    } else if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB) {
        result.damage = QStringLiteral("check: ") + QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

void JournalDatabase::take_check(const FileCheck& check)
{
    if (check.damage.isEmpty() || damaged() || settings_store::store_files(path_).db != check.file)
        return;
    mark_damaged(check.damage);
}

std::optional<int> JournalDatabase::stored_version()
{
    sqlite3_stmt* stmt = nullptr;
    std::optional<int> version;
    if (check(sqlite3_prepare_v2(db(), "PRAGMA user_version", -1, &stmt, nullptr), "schema version")
        && check(sqlite3_step(stmt), "schema version"))
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return version;
}

// The stored version must be one this program knows: a newer program's
// schema, or a value no program writes, is neither read nor changed, and
// never picks a step to run.
bool JournalDatabase::known_version(int version)
{
    if (version >= 0 && version <= schema_version)
        return true;
    report(kind_unknown_schema, version > schema_version
                                    ? QStringLiteral("schema version %1 is newer than %2").arg(version).arg(schema_version)
                                    : QStringLiteral("schema version %1 is unknown").arg(version));
    return false;
}

bool JournalDatabase::migrate()
{
    // A journal already up to date is only read here: a reader never
    // waits for the write lock another program may hold.
    const std::optional<int> seen = stored_version();
    if (seen == schema_version)
        return true;
    if (!seen || !known_version(*seen))
        return false;
    // An older journal is changed only when it is sound throughout.
    if (*seen > 0 && !verify_whole_file())
        return false;
    // BEGIN IMMEDIATE: two programs starting together must not both run
    // the same step; the second finds the version already raised.
    if (!check(sqlite3_exec(db(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), "schema"))
        return false;
    const std::optional<int> version = stored_version();
    bool ok = version && known_version(*version);
    for (int step = version.value_or(schema_version); ok && step < schema_version; ++step)
        ok = check(sqlite3_exec(db(), migration_steps[step], nullptr, nullptr, nullptr), "schema");
    if (ok && *version < schema_version) {
        const QByteArray set_version = "PRAGMA user_version = " + QByteArray::number(schema_version);
        ok = check(sqlite3_exec(db(), set_version.constData(), nullptr, nullptr, nullptr), "schema version");
    }
    if (ok)
        return check(sqlite3_exec(db(), "COMMIT", nullptr, nullptr, nullptr), "schema");
    sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

sqlite3_stmt* JournalDatabase::statement(const char* sql)
{
    int rc = SQLITE_OK;
    sqlite3_stmt* stmt = connection_.statement(sql, &rc);
    if (!stmt)
        check(rc, "prepare");
    return stmt;
}

}  // namespace journal
