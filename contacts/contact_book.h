#pragma once
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <memory>

#include "contacts/contact_index.h"

namespace contacts {

// Every contact the user has: the own folder, the smartphone folder and
// the phones' phonebooks, read at start and again when a file in those
// folders changes (another program's change shows within a second). Files
// that did not change since they were last read are not read again.
//
// Ten thousand files take a processor several hundred milliseconds to
// read, longer on a busy machine: a window reads them in the background
// (Load::InBackground), going on from the cache of its last run so that
// only changed files are read, and shows numbers without names until the
// first reading is done; changed() tells when the index was replaced.
class ContactBook : public QObject {
    Q_OBJECT

public:
    enum class Load { AtOnce, InBackground };
    // watch: follow the folders; a one-shot reader (the tool) does not.
    explicit ContactBook(bool watch = true, Load load = Load::AtOnce, QObject* parent = nullptr);
    ~ContactBook() override;

    // Stays at one address while readings replace its contents, so that
    // the places that show names may keep a reference to it.
    const ContactIndex& index() const { return index_; }
    QString name_for(const QString& number) const { return index_.name_for(number); }
    // Whether the first reading of the folders is done (the names of the
    // cache may be there before).
    bool ready() const { return ready_; }
    // Reads what changed now, without waiting for the watcher; also
    // follows a changed "Страна".
    void reload();
    // The same in the background: the index is replaced when the reading
    // ends.
    void reload_in_background();
    // Reads again when "Страна" was changed since the last reading.
    void follow_region();

    struct FileState {
        QDateTime modified;
        qint64 size = -1;
        QList<Contact> contacts;
    };
    using Files = QHash<QString, FileState>;
    // What one reading found: every file with its contacts, whether any of
    // them changed since the reading before, and the index built of them
    // (only when something changed).
    struct Scan {
        Files files;
        bool any_change = false;
        bool files_read = false;  // a file was read, or one went away
        bool from_cache = false;  // the cache of the last run, not the folders
        std::shared_ptr<ContactIndex> index;
    };

signals:
    void changed();

private:
    void take(Scan scan);
    void watch_folders();

    // The region the index was built for; "" before the first index.
    QString known_region() const;

    ContactIndex index_;
    // A window keeps what it read in the cache for its next start; a tool
    // reads the folders alone.
    bool keep_cache_;
    Files files_;
    bool ready_ = false;
    bool indexed_ = false;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer settle_;
    QFutureWatcher<Scan> background_;
    // A change seen while a reading ran: one more reading after it.
    bool read_again_ = false;
};

}  // namespace contacts
