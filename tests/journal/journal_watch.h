#pragma once
#include <QString>
#include <QStringList>

// The call journal of the current test environment as short lines, oldest
// first: "line direction number outcome", the outcome "open" while a call
// goes on unanswered and "talking" while it goes on answered. For tests
// that watch real programs write it.
namespace journal_watch {

QStringList calls();
// Waits (pumping events) until the journal holds this line; on failure the
// journal's lines go to the log.
bool wait_for_call(const QString& line, int timeout_ms = 10000);

}  // namespace journal_watch
