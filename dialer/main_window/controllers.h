#pragma once
#include <QString>
#include <array>

namespace main_window {

// The folder of the running dialer's executable, symbolic links resolved.
// It holds the controllers (1/kestrum .. 4/kestrum) and the skin (icons/).
QString installation_folder();

// "<folder>/<slot>/kestrum".
QString controller_program(const QString& folder, int slot);

// Allows the controller of `slot` to run (`on_przv_exe` = "1") and starts
// it with the single argument "0", detached. A controller that cannot be
// started is ignored; the permission stays.
void start_controller(const QString& folder, int slot);

// Starts the controller of slot 1, then of each of slots 2 to 4 whose `ON`
// is exactly "1", in that order. Returns which of the frames of slots 2, 3
// and 4 are to be shown (index 0 is slot 2).
std::array<bool, 3> start_enabled_controllers(const QString& folder);

// Whether the controller of `slot` runs: it holds its slot lock (the lock
// file kestrum takes in the runtime folder, or in its private folder in
// the temporary folder, named after the slot folder's full path).
bool controller_running(const QString& folder, int slot);

// Withdraws the run permission of all four controllers, enabled or not;
// each ends on its own within about a second.
void withdraw_run_permissions();

}  // namespace main_window
