#pragma once
#include <QString>

namespace bench {

// Fills a journal's messages table in one transaction, so that a figure
// measures the reading, not the fill: `count` messages spread over
// `conversations` numbers, one a minute, the first `long_conversation`
// of them in one conversation of their own (+380670000000).
void fill_messages(const QString& journal_path, int count, int conversations, int long_conversation = 0);

}  // namespace bench
