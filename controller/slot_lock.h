#pragma once
#include <QString>

namespace kestrum {

// The lock file that keeps one controller per slot folder, named after the
// folder's full path: in $XDG_RUNTIME_DIR when it is there, else in the
// user's private lock folder (below).
QString slot_lock_path(const QString& slot_folder);

// The user's own lock folder in the temporary folder, "kestrum-<uid>" with
// mode 0700, for when the runtime folder is missing or cannot hold a lock
// (read-only): a lock in the shared temporary folder itself could be made
// unusable by any other user.
QString private_lock_folder();

// Takes the slot folder's lock for the rest of the process (the system
// releases it when the process ends, however it ends): a file lock in the
// runtime folder, else in the private folder, else a name in the kernel's
// abstract socket space. False when another running process holds it, and
// also when no lock could be taken at all: two controllers of one slot would
// fight over its phone and its keys.
bool acquire_slot_lock(const QString& slot_folder);

}  // namespace kestrum
