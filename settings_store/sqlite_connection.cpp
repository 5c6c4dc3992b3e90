#include "settings_store/sqlite_connection.h"

#include <QFile>
#include <sqlite3.h>

namespace settings_store {

int SqliteConnection::open(const QString& path, int busy_timeout_ms)
{
    close();
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    set_busy_timeout(busy_timeout_ms);
    return rc;
}

void SqliteConnection::close()
{
    for (sqlite3_stmt* stmt : std::as_const(statements_))
        sqlite3_finalize(stmt);
    statements_.clear();
    sqlite3_close(db_);
    db_ = nullptr;
}

void SqliteConnection::set_busy_timeout(int ms)
{
    busy_timeout_ms_ = ms;
    if (db_)
        sqlite3_busy_timeout(db_, ms);
}

sqlite3_stmt* SqliteConnection::statement(const char* sql, int* rc)
{
    const QByteArray key = QByteArray::fromRawData(sql, qsizetype(qstrlen(sql)));
    if (sqlite3_stmt* kept = statements_.value(key))
        return kept;
    sqlite3_stmt* stmt = nullptr;
    const int prepared = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc)
        *rc = prepared;
    if (prepared != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_.insert(QByteArray(sql), stmt);
    return stmt;
}

QString SqliteConnection::error_text(int rc) const
{
    return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
}

StatementUse::~StatementUse()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void bind_text(sqlite3_stmt* stmt, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString column_text(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

}  // namespace settings_store
