#pragma once
#include <QString>

namespace kestrum {

// The lock file that keeps one controller per slot folder: in
// $XDG_RUNTIME_DIR (else the temporary folder), named after the folder's
// full path.
QString slot_lock_path(const QString& slot_folder);

// Takes the slot folder's lock for the rest of the process (the system
// releases it when the process ends, however it ends). False when another
// running process holds it.
bool acquire_slot_lock(const QString& slot_folder);

}  // namespace kestrum
