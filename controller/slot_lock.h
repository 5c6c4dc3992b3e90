#pragma once
#include <QString>

namespace kestrum {

// The lock file that keeps one controller per slot folder, named after the
// folder's full path, in $XDG_RUNTIME_DIR; empty without a runtime folder.
QString slot_lock_path(const QString& slot_folder);

// Takes the slot's lock for the rest of the process (the system releases
// it when the process ends, however it ends): a name in the kernel's
// abstract socket space, the one place every process of the user reaches,
// and the lock file in the runtime folder as well. False when another
// running process holds either, and also when neither could be taken at
// all: two controllers of one slot would fight over its phone and its keys.
// No other folder stands in: a process that sees the runtime folder
// differently must not find a lock of its own elsewhere.
bool acquire_slot_lock(const QString& slot_folder);

}  // namespace kestrum
