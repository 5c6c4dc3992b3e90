#pragma once
#include <QStringList>
#include <cstdio>

namespace contacts_tool {

// Exit statuses: lookup's 1 means "no contact has the number".
enum Status { Success = 0, NotFound = 1, Failed = 1, UsageError = 2 };

extern const char usage_text[];

// Runs one subcommand (arguments without the program name); writes to out
// and err.
int run_command(const QStringList& args, FILE* out, FILE* err);

}  // namespace contacts_tool
