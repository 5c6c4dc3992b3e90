#pragma once
#include <QList>
#include <QString>
#include <utility>

// The per-user settings store: text values addressed by application,
// section and key. Names match without regard to letter case (Cyrillic
// included); reading never creates a key. Shared by every process of the
// user; each operation is atomic, and take_setting's read and reset form
// one step that no other writer falls between.
//
// A store that cannot be used never stops a program: reads give the
// default, writes are dropped, and one warning per kind of failure goes to
// the "vekorra.store" log category. An operation that finds the store
// locked by another process waits up to 5 seconds ($VEKORRA_STORE_BUSY_MS
// when set) before it counts as failed, and after such a failure only a
// tenth of a second until it succeeds again; a store that could not be opened
// is tried again at most once a second, unless only another process's lock
// stood in the way.
//
// Once a second at most, an open store checks that its path still names the
// files it has open. When the file or its -wal or -shm was removed or
// replaced, it lets go of the old files and opens the path again (logged
// once), so that every process of the user works on one file again; a
// removed store is put back as the first process to notice last saw it.
// A store file that belongs to another user is not used; one of the user's
// own that others could read or write is made private (one warning).

QString read_setting(const QString& app, const QString& section, const QString& key,
                     const QString& default_value);
// False when the value could not be stored (the store failed, the disk is
// full): a caller for whom the write is the whole point tells the user.
bool write_setting(const QString& app, const QString& section, const QString& key,
                   const QString& value);
// Several keys of one section in one commit: a process that reads them
// sees all of the new values or none (a number and its time, say, which a
// reader woken by the first write would otherwise find half written).
bool write_settings(const QString& app, const QString& section, const QList<std::pair<QString, QString>>& values);
// Reads like read_setting; with reset set, writes default_value back in the
// same transaction, so the key is consumed.
QString take_setting(const QString& app, const QString& section, const QString& key,
                     const QString& default_value, bool reset);

// Adds text at the end of the key's value (an absent key counts as empty)
// in one step, like take_setting: appends that meet a take or each other
// lose nothing and repeat nothing. False when the store failed.
bool append_setting(const QString& app, const QString& section, const QString& key, const QString& text);

namespace settings_store {

struct Entry {
    QString app, section, key, value;
};

// Removes the key; later reads give their default. False when it was absent
// or the store failed.
bool unset_setting(const QString& app, const QString& section, const QString& key);

// Every key, or those of one application or one section, in a stable order
// (application, section, key as first written).
QList<Entry> list_settings(const QString& app = QString(), const QString& section = QString());

// Where the store lives: $VEKORRA_SETTINGS when set and not empty, else
// ${XDG_CONFIG_HOME:-$HOME/.config}/vekorra/settings.sqlite, the home folder
// taken from the user database when HOME is not set.
QString store_path();

// True when the last operation of this process could not use the store
// (the command-line tool turns it into exit status 1).
bool last_operation_failed();

// While one lives, the reads of this process share one read transaction:
// a pass that reads many keys takes the store's locks once, and sees them
// all as they stood at its first read. A write, take, append, removal or
// listing ends that transaction first (a write never goes through an old
// snapshot); the reads after it begin another. Only a write of the value
// the snapshot holds, and a take that finds the default there, are
// answered from the snapshot: they change nothing. Nests; never hold one
// across a wait.
class ReadBatch {
public:
    ReadBatch();
    ~ReadBatch();
    ReadBatch(const ReadBatch&) = delete;
    ReadBatch& operator=(const ReadBatch&) = delete;
};

// Closes the connection; the next operation opens the store afresh at
// store_path() and may warn again about each kind of failure. For tests
// that switch stores within one process.
void reopen();

}  // namespace settings_store
