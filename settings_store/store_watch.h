#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace settings_store {

// Tells a process, as soon as it happens, that another process has
// committed a change to the store: the store's files are watched by the
// operating system (no polling), and a stir of them counts only when
// SQLite's data_version says that another connection committed, so that a
// process's own writes, and the takes and writes that change nothing,
// wake nobody. A commit seen half-way (its log written, not yet marked
// committed) is looked at once more a moment later. The processes' own
// ticks stay as they were; this only lets them act between ticks.
class StoreWatch : public QObject {
    Q_OBJECT

public:
    explicit StoreWatch(QObject* parent = nullptr);

signals:
    // Another process committed since the last signal.
    void changed();

private:
    void watch_files();
    void look();

    QFileSystemWatcher watcher_;
    QTimer second_look_;
    qint64 seen_version_ = -1;
};

// SQLite's data_version of this process's connection: it moves when
// another connection commits; -1 when the store cannot be used.
qint64 data_version();

}  // namespace settings_store
