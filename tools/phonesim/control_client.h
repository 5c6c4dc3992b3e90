#pragma once
#include <QString>

// Shell use of the control channel: sends one line to the simulator at
// path, prints its answer lines, and returns the exit status (0 on "OK",
// 1 on "ERROR ...", 2 when the simulator cannot be reached or is silent).
int run_control_client(const QString& path, const QString& line);
