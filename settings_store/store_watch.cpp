#include "settings_store/store_watch.h"

#include <QFileInfo>

#include "settings_store/settings_store.h"

namespace settings_store {

namespace {
// A commit whose log was written while the look ran is complete by then.
constexpr int kSecondLookMs = 20;
}  // namespace

StoreWatch::StoreWatch(QObject* parent) : QObject(parent)
{
    second_look_.setSingleShot(true);
    second_look_.setInterval(kSecondLookMs);
    connect(&second_look_, &QTimer::timeout, this, &StoreWatch::look);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &StoreWatch::look);
    // The -wal comes and goes with the last connection: the folder tells.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        watch_files();
        look();
    });
    seen_version_ = data_version();
    watch_files();
}

void StoreWatch::watch_files()
{
    const QString store = store_path();
    QStringList wanted{QFileInfo(store).absolutePath(), store, store + QStringLiteral("-wal")};
    const QStringList watched = watcher_.files() + watcher_.directories();
    for (const QString& path : wanted)
        if (!watched.contains(path) && QFileInfo::exists(path))
            watcher_.addPath(path);
}

void StoreWatch::look()
{
    const qint64 version = data_version();
    if (version == seen_version_) {
        if (!second_look_.isActive() && sender() != &second_look_)
            second_look_.start();
        return;
    }
    seen_version_ = version;
    emit changed();
}

}  // namespace settings_store
