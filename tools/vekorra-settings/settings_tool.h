#pragma once
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "settings_store/settings_store.h"

namespace settings_tool {

// Exit statuses of the tool.
enum Status { Success = 0, StoreFailed = 1, UsageError = 2 };

extern const char usage_text[];

// One listed key: APP, SECTION, KEY and VALUE separated by tabs, with tabs,
// newlines and backslashes of the value written as \t, \n and \\.
QString format_entry(const settings_store::Entry& entry);
QString escape_value(const QString& value);

// Runs every subcommand except watch (arguments without the program name);
// writes to out and err.
int run_command(const QStringList& args, FILE* out, FILE* err);

// Whether args are a well-formed watch command.
bool is_watch(const QStringList& args);

// Polls the store and prints a line for each key that appeared or changed
// (its listed line) or disappeared (APP, SECTION, KEY without a value
// field). The first poll prints every key there is.
class Watcher : public QObject {
    Q_OBJECT

public:
    Watcher(const QString& app, const QString& section, FILE* out, FILE* err, int interval_ms = 100);
    // The result of the first poll: false when the store cannot be used.
    bool start();

private:
    void poll();

    QString app_, section_;
    FILE* out_;
    FILE* err_;
    QTimer timer_;
    QHash<QString, settings_store::Entry> known_;
};

}  // namespace settings_tool
