#pragma once
#include <QStringList>
#include <cstdio>

namespace journal_tool {

// Exit statuses of the tool.
enum Status { Success = 0, JournalFailed = 1, UsageError = 2 };

extern const char usage_text[];

// Runs one subcommand (arguments without the program name) on the journal
// at journal::journal_path(); writes to out and err.
int run_command(const QStringList& args, FILE* out, FILE* err);

}  // namespace journal_tool
