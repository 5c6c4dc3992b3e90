#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

// Reading and writing the test's own store (see TestEnv) as the programs
// share it: the controllers' sections of application "Kestrum".
QString board(const QString& slot, const QString& key, const QString& fallback = QStringLiteral("<absent>"));
void set_board(const QString& slot, const QString& key, const QString& value);

// Every key of the store as "App/section/key=value", sorted.
QStringList store_contents();

// SQLite's own check of a store file, through a connection of its own:
// "ok" for a sound file, else what SQLite found.
QString store_check(const QString& store_path);

// Direct access to a store file, bypassing the store's own code, so that
// tests see what is really on disk.
class RawStore {
public:
    explicit RawStore(const QString& path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~RawStore() { sqlite3_close(db_); }
    RawStore(const RawStore&) = delete;
    RawStore& operator=(const RawStore&) = delete;

    sqlite3* db() const { return db_; }

    // First column of the first row of sql, or "<error ...>".
    QString scalar(const char* sql) const
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return QStringLiteral("<error %1>").arg(QString::fromUtf8(sqlite3_errmsg(db_)));
        QString result;
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        else if (rc != SQLITE_DONE)
            result = QStringLiteral("<error %1>").arg(QString::fromUtf8(sqlite3_errmsg(db_)));
        sqlite3_finalize(stmt);
        return result;
    }

    int exec(const char* sql) const { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
};
