#pragma once
#include <QString>

namespace settings_store {

// Creates the missing folders of the store file's path with mode 0700, and
// the file itself with mode 0600 when it does not exist yet, so that the
// phone state is never readable by other users, not even for a moment.
// Returns an explanation on failure, an empty text on success.
QString prepare_store_file(const QString& path);

}  // namespace settings_store
