#include "store_fixture.h"

#include <QFile>
#include <algorithm>
#include <sqlite3.h>

#include "settings_store/settings_store.h"

QString board(const QString& slot, const QString& key, const QString& fallback)
{
    return read_setting(QStringLiteral("Kestrum"), slot, key, fallback);
}

void set_board(const QString& slot, const QString& key, const QString& value)
{
    write_setting(QStringLiteral("Kestrum"), slot, key, value);
}

QStringList store_contents()
{
    QStringList contents;
    for (const settings_store::Entry& entry : settings_store::list_settings())
        contents << entry.app + QLatin1Char('/') + entry.section + QLatin1Char('/') + entry.key +
                        QLatin1Char('=') + entry.value;
    std::sort(contents.begin(), contents.end());
    return contents;
}

QString store_check(const QString& store_path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(store_path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return why;
    }
    sqlite3_busy_timeout(db, 5000);
    QStringList found;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            found << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    } else {
        found << QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return found.join(QLatin1Char('|'));
}
