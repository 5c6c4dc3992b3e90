#include "settings_store/settings_store.h"

#include "settings_store/store_connection.h"
#include "settings_store/store_watch.h"

namespace {

// Opened lazily on the first operation and kept for the process's life;
// each process is single-threaded, so one connection serves it.
settings_store::StoreConnection& connection()
{
    static settings_store::StoreConnection store;
    return store;
}

}  // namespace

QString read_setting(const QString& app, const QString& section, const QString& key,
                     const QString& default_value)
{
    return connection().read({app, section, key}).value_or(default_value);
}

bool write_setting(const QString& app, const QString& section, const QString& key,
                   const QString& value)
{
    return connection().write({app, section, key}, value);
}

bool write_settings(const QString& app, const QString& section, const QList<std::pair<QString, QString>>& values)
{
    QList<std::pair<settings_store::Name, QString>> named;
    for (const auto& [key, value] : values)
        named.append({{app, section, key}, value});
    return connection().write_all(named);
}

QString take_setting(const QString& app, const QString& section, const QString& key,
                     const QString& default_value, bool reset)
{
    return connection().take({app, section, key}, default_value, reset).value_or(default_value);
}

bool append_setting(const QString& app, const QString& section, const QString& key, const QString& text)
{
    return connection().append({app, section, key}, text);
}

namespace settings_store {

bool unset_setting(const QString& app, const QString& section, const QString& key)
{
    return connection().remove({app, section, key});
}

QList<Entry> list_settings(const QString& app, const QString& section)
{
    return connection().list(app, section);
}

bool last_operation_failed() { return connection().failed(); }

ReadBatch::ReadBatch() { connection().begin_read_batch(); }
ReadBatch::~ReadBatch() { connection().end_read_batch(); }

void reopen() { connection().close(); }

qint64 data_version() { return connection().data_version(); }

}  // namespace settings_store
