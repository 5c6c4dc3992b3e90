#pragma once
#include <QString>

// Whether a dialer main window runs for this user and settings store: the
// running window holds a lock named after the store (platform/
// instance_lock.h), so a window that crashed or was killed counts as gone
// at once, and "Разорвать связь" (which only lets the controllers go) does
// not make it look gone.
QString main_window_lock_name();
bool main_window_runs();
