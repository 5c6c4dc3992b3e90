#pragma once
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include "contacts/contact_index.h"

namespace contacts {

// Every contact the user has: the own folder, the smartphone folder and
// the phones' phonebooks, read at start and again when a file in those
// folders changes (another program's change shows within a second). Files
// that did not change since they were last read are not read again.
class ContactBook : public QObject {
    Q_OBJECT

public:
    // watch: follow the folders; a one-shot reader (the tool) does not.
    explicit ContactBook(bool watch = true, QObject* parent = nullptr);

    const ContactIndex& index() const { return index_; }
    QString name_for(const QString& number) const { return index_.name_for(number); }
    // Reads what changed now, without waiting for the watcher; also
    // follows a changed "Страна".
    void reload();

signals:
    void changed();

private:
    struct FileState {
        QDateTime modified;
        qint64 size = -1;
        QList<Contact> contacts;
    };
    void read_folder(const QString& folder, Origin origin, QHash<QString, FileState>& seen, bool& any_change);
    void watch_folders();

    ContactIndex index_;
    QHash<QString, FileState> files_;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer settle_;
};

}  // namespace contacts
