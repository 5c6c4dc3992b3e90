#include "tools/vekorra-settings/settings_tool.h"

#include <QSet>

namespace settings_tool {

const char usage_text[] =
    "usage:\n"
    "  vekorra-settings get APP SECTION KEY [DEFAULT]   print the value (or DEFAULT, or nothing)\n"
    "  vekorra-settings set APP SECTION KEY VALUE       create or overwrite the key\n"
    "  vekorra-settings append APP SECTION KEY VALUE    add VALUE at the end of the key's value\n"
    "                                                   (absent counts as \"\"), in one step\n"
    "  vekorra-settings take APP SECTION KEY [DEFAULT]  print the value and leave DEFAULT (or \"\")\n"
    "                                                   behind, in one step\n"
    "  vekorra-settings unset APP SECTION KEY           remove the key\n"
    "  vekorra-settings list [APP [SECTION]]            one line per key: APP, SECTION, KEY, VALUE\n"
    "                                                   separated by tabs\n"
    "  vekorra-settings watch [APP [SECTION]]           print every key as list does, then a line\n"
    "                                                   each time a key appears or changes (a key\n"
    "                                                   that disappears prints APP, SECTION, KEY\n"
    "                                                   without a value field), until interrupted\n"
    "Names match without regard to letter case. Tabs, newlines and backslashes\n"
    "in listed values are written as \\t, \\n and \\\\.\n"
    "Exit status: 0 success, 1 the settings store cannot be used, 2 wrong arguments.\n";

namespace {

void print_line(FILE* out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), out);
    std::fputc('\n', out);
    std::fflush(out);
}

int usage(FILE* err)
{
    std::fputs(usage_text, err);
    return UsageError;
}

int store_failure(FILE* err)
{
    print_line(err, QStringLiteral("vekorra-settings: the settings store %1 cannot be used")
                        .arg(settings_store::store_path()));
    return StoreFailed;
}

// Which argument counts (after the subcommand) each subcommand accepts.
bool arguments_fit(const QString& command, qsizetype count)
{
    if (command == QLatin1String("get") || command == QLatin1String("take"))
        return count == 3 || count == 4;
    if (command == QLatin1String("set") || command == QLatin1String("append"))
        return count == 4;
    if (command == QLatin1String("unset"))
        return count == 3;
    if (command == QLatin1String("list") || command == QLatin1String("watch"))
        return count <= 2;
    return false;
}

QString folded_name(const settings_store::Entry& entry)
{
    return entry.app.toCaseFolded() + QLatin1Char('\t') + entry.section.toCaseFolded() + QLatin1Char('\t')
        + entry.key.toCaseFolded();
}

}  // namespace

QString escape_value(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else
            escaped += c;
    }
    return escaped;
}

QString format_entry(const settings_store::Entry& entry)
{
    return QStringList{entry.app, entry.section, entry.key, escape_value(entry.value)}.join(QLatin1Char('\t'));
}

bool is_watch(const QStringList& args)
{
    return !args.isEmpty() && args[0] == QLatin1String("watch") && arguments_fit(args[0], args.size() - 1);
}

int run_command(const QStringList& args, FILE* out, FILE* err)
{
    if (args.isEmpty() || !arguments_fit(args[0], args.size() - 1) || args[0] == QLatin1String("watch"))
        return usage(err);
    const QString& command = args[0];
    QString printed;
    bool prints_value = false;
    if (command == QLatin1String("get")) {
        printed = read_setting(args[1], args[2], args[3], args.value(4));
        prints_value = true;
    } else if (command == QLatin1String("take")) {
        printed = take_setting(args[1], args[2], args[3], args.value(4), true);
        prints_value = true;
    } else if (command == QLatin1String("set")) {
        write_setting(args[1], args[2], args[3], args[4]);
    } else if (command == QLatin1String("append")) {
        append_setting(args[1], args[2], args[3], args[4]);
    } else if (command == QLatin1String("unset")) {
        settings_store::unset_setting(args[1], args[2], args[3]);
    } else {
        const QList<settings_store::Entry> entries = settings_store::list_settings(args.value(1), args.value(2));
        if (settings_store::last_operation_failed())
            return store_failure(err);
        for (const settings_store::Entry& entry : entries)
            print_line(out, format_entry(entry));
        return Success;
    }
    if (settings_store::last_operation_failed())
        return store_failure(err);
    if (prints_value)
        print_line(out, printed);
    return Success;
}

Watcher::Watcher(const QString& app, const QString& section, FILE* out, FILE* err, int interval_ms)
    : app_(app), section_(section), out_(out), err_(err)
{
    timer_.setInterval(interval_ms);
    connect(&timer_, &QTimer::timeout, this, &Watcher::poll);
}

bool Watcher::start()
{
    poll();
    if (settings_store::last_operation_failed()) {
        store_failure(err_);
        return false;
    }
    timer_.start();
    return true;
}

void Watcher::poll()
{
    const QList<settings_store::Entry> entries = settings_store::list_settings(app_, section_);
    // A store that is busy for a moment is asked again at the next poll
    // rather than reported as every key gone.
    if (settings_store::last_operation_failed())
        return;
    QSet<QString> present;
    for (const settings_store::Entry& entry : entries) {
        const QString name = folded_name(entry);
        present.insert(name);
        const auto known = known_.constFind(name);
        if (known != known_.constEnd() && known->value == entry.value)
            continue;
        known_.insert(name, entry);
        print_line(out_, format_entry(entry));
    }
    for (auto it = known_.begin(); it != known_.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        print_line(out_, QStringList{it->app, it->section, it->key}.join(QLatin1Char('\t')));
        it = known_.erase(it);
    }
}

}  // namespace settings_tool
