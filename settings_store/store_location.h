#pragma once
#include <QString>
#include <QStringList>

namespace settings_store {

// The user's home folder: $HOME when set and not empty, else the one the
// user database names (a session started without HOME must not put the
// store at the root of the file system).
QString home_folder();

// Creates the missing folders of the store file's path with mode 0700, and
// the file itself with mode 0600 when it does not exist yet, so that the
// phone state is never readable by other users, not even for a moment.
// An existing file, its -wal and -shm that are the user's but open to
// others are set to 0600; the file's folder is set to 0700 only once the
// file was accepted, and never when it is a system folder (/, /dev, /tmp),
// the home folder or a sticky one. Each one so changed is added to
// `tightened`. A file that belongs to another user is refused:
// whoever owns it could write the commands the phones obey.
// Returns an explanation on failure, an empty text on success.
QString prepare_store_file(const QString& path, QStringList& tightened);

}  // namespace settings_store
