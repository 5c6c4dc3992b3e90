#include "tools/vekorra-journal/journal_tool.h"

#include <QDate>
#include <QFileInfo>

#include "journal/journal.h"
#include "journal/journal_export.h"

namespace journal_tool {

const char usage_text[] =
    "usage:\n"
    "  vekorra-journal list [--missed] [--since YYYY-MM-DD] [--search TEXT] [--format tsv|csv|json]\n"
    "      print the calls, newest first; --missed only the missed ones, --since those\n"
    "      that started on that day or later, --search those whose number holds TEXT.\n"
    "      tsv (the default) and csv: one call a line, no header, the fields start\n"
    "      (ISO 8601 local time), line, direction (in/out), number, outcome,\n"
    "      talk seconds (answer to end, 0 if never answered), model\n"
    "  vekorra-journal clear --before YYYY-MM-DD\n"
    "      remove the ended calls that started before that day\n"
    "The journal is $VEKORRA_JOURNAL, else ${XDG_DATA_HOME:-~/.local/share}/vekorra/journal.sqlite.\n"
    "Exit status: 0 success, 1 the journal cannot be used, 2 wrong arguments.\n";

namespace {

int usage(FILE* err)
{
    std::fputs(usage_text, err);
    return UsageError;
}

void print(FILE* stream, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stream);
    std::fflush(stream);
}

int journal_failure(FILE* err, journal::Journal& journal)
{
    print(err, QStringLiteral("vekorra-journal: the call journal %1 cannot be used: %2\n")
                   .arg(journal.path(), journal.last_error())
                   .toUtf8());
    return JournalFailed;
}

bool parse_date(const QString& text, qint64& ms)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() || text.size() != 10)
        return false;
    ms = journal::local_day_start_ms(date);
    return true;
}

struct ListOptions {
    journal::Filter filter;
    journal::ExportFormat format = journal::ExportFormat::Tsv;
};

bool parse_list(const QStringList& args, ListOptions& options)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& option = args[i];
        if (option == QLatin1String("--missed")) {
            options.filter.missed_only = true;
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        const QString& value = args[++i];
        if (option == QLatin1String("--since")) {
            if (!parse_date(value, options.filter.since_ms))
                return false;
        } else if (option == QLatin1String("--search")) {
            options.filter.number_part = value;
        } else if (option == QLatin1String("--format")) {
            if (!journal::export_format_from_text(value, options.format))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

int list(const ListOptions& options, FILE* out, FILE* err)
{
    // Listing a journal that was never written shows no calls; it does
    // not create one.
    if (!QFileInfo::exists(journal::journal_path())) {
        if (options.format == journal::ExportFormat::Json)
            print(out, journal::export_records({}, options.format));
        return Success;
    }
    journal::Journal journal;
    if (!journal.usable())
        return journal_failure(err, journal);
    // A damaged page met half way fails the whole listing: part of the
    // calls printed as if they were all would be a wrong answer.
    const QList<journal::CallRecord> records = journal.fetch_all(options.filter);
    if (!journal.read_ok())
        return journal_failure(err, journal);
    print(out, journal::export_records(records, options.format));
    return Success;
}

int clear(qint64 before_ms, FILE* err)
{
    if (!QFileInfo::exists(journal::journal_path()))
        return Success;
    journal::Journal journal;
    if (!journal.usable() || journal.remove_started_before(before_ms) < 0)
        return journal_failure(err, journal);
    return Success;
}

}  // namespace

int run_command(const QStringList& args, FILE* out, FILE* err)
{
    if (args.isEmpty())
        return usage(err);
    if (args[0] == QLatin1String("list")) {
        ListOptions options;
        if (!parse_list(args, options))
            return usage(err);
        return list(options, out, err);
    }
    qint64 before_ms = 0;
    if (args[0] == QLatin1String("clear") && args.size() == 3 && args[1] == QLatin1String("--before")
        && parse_date(args[2], before_ms))
        return clear(before_ms, err);
    return usage(err);
}

}  // namespace journal_tool
