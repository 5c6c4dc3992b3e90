#include "tools/vekorra-sms/sms_tool.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include "journal/call_record.h"
#include "journal/journal_export.h"
#include "messages/message_store.h"

namespace sms_tool {

const char usage_text[] =
    "usage:\n"
    "  vekorra-sms send [--line N] [--no-wait] NUMBER TEXT\n"
    "      queue TEXT (\"-\": read it from standard input; at most 255 parts) for NUMBER\n"
    "      on phone N (1 to 4; without --line the phone the call routing rules choose),\n"
    "      wake that phone's controller and wait until the message is sent or has\n"
    "      failed, 60 s at most (a message still queued then is taken back);\n"
    "      --no-wait returns once it is queued. Prints the message's id.\n"
    "  vekorra-sms list [--number N] [--unread] [--since YYYY-MM-DD] [--format tsv|json]\n"
    "      print the messages, newest first; --number those of one conversation,\n"
    "      --unread the received ones not yet read, --since those received (or\n"
    "      queued) on that day or later. tsv (the default): one message a line, no\n"
    "      header, the fields id, time (ISO 8601 local time), network time (\"\" when\n"
    "      unknown), line, direction (in/out), number, state, parts, reason, model,\n"
    "      text; tabs, line ends, backslashes and control characters escaped.\n"
    "The messages are kept in the call journal, $VEKORRA_JOURNAL, else\n"
    "${XDG_DATA_HOME:-~/.local/share}/vekorra/journal.sqlite.\n"
    "Exit status: 0 success (sent, or queued with --no-wait), 1 not sent (with its\n"
    "reason) or the store cannot be used, 2 wrong arguments.\n";

namespace {

enum class Format { Tsv, Json };

struct ListOptions {
    messages::ListFilter filter;
    Format format = Format::Tsv;
};

bool parse_date(const QString& text, qint64& ms)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() || text.size() != 10)
        return false;
    ms = journal::local_day_start_ms(date);
    return true;
}

bool parse_list(const QStringList& args, ListOptions& options)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& option = args[i];
        if (option == QLatin1String("--unread")) {
            options.filter.unread_only = true;
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        const QString& value = args[++i];
        if (option == QLatin1String("--since")) {
            if (!parse_date(value, options.filter.since_ms))
                return false;
        } else if (option == QLatin1String("--number") && !value.isEmpty()) {
            options.filter.number = value;
        } else if (option == QLatin1String("--format") && value == QLatin1String("tsv")) {
            options.format = Format::Tsv;
        } else if (option == QLatin1String("--format") && value == QLatin1String("json")) {
            options.format = Format::Json;
        } else {
            return false;
        }
    }
    return true;
}

const QStringList field_names = {"id",    "time",  "network_time", "line",  "direction", "number",
                                 "state", "parts", "reason",       "model", "text"};

// Times as the journal writes them (ISO 8601 with the local offset), in
// the system's zone read once: the C library's local time looks at
// /etc/localtime again at every call, which made that most of a long
// listing's time.
class LocalTimes {
public:
    QString iso(qint64 ms) const
    {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms, zone_);
        return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
    }

private:
    QTimeZone zone_ = QTimeZone::systemTimeZone();
};

QStringList fields_of(const messages::Message& m, const LocalTimes& times)
{
    return {QString::number(m.id),
            times.iso(m.received_ms),
            m.sent_ms ? times.iso(m.sent_ms) : QString(),
            m.line,
            messages::direction_text(m.direction),
            m.number,
            messages::state_text(m.state),
            QString::number(m.parts),
            m.reason,
            m.model,
            m.text};
}

QString tsv_line(const messages::Message& message, const LocalTimes& times)
{
    QStringList fields;
    for (const QString& field : fields_of(message, times))
        fields << journal::tsv_field(field);
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QString json_object(const messages::Message& message, const LocalTimes& times)
{
    const QStringList fields = fields_of(message, times);
    QJsonObject object;
    for (qsizetype i = 0; i < field_names.size(); ++i)
        object.insert(field_names[i], fields[i]);
    object.insert(QStringLiteral("id"), message.id);
    object.insert(QStringLiteral("parts"), message.parts);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// Written message by message: a long listing is never held twice over.
// JSON: an array with one object a line.
void write_list(const QList<messages::Message>& list, Format format, FILE* out)
{
    const LocalTimes times;
    if (format == Format::Tsv) {
        for (const messages::Message& message : list)
            print(out, tsv_line(message, times), false);
    } else {
        print(out, QStringLiteral("["), false);
        for (qsizetype i = 0; i < list.size(); ++i)
            print(out, (i ? QStringLiteral(",\n") : QStringLiteral("\n")) + json_object(list[i], times), false);
        print(out, QStringLiteral("\n]\n"), false);
    }
    std::fflush(out);
}

int list(const ListOptions& options, FILE* out, FILE* err)
{
    // Listing a journal that was never written shows no messages; it does
    // not create one.
    QList<messages::Message> found;
    if (QFileInfo::exists(journal::journal_path())) {
        messages::MessageStore store;
        if (!store.usable())
            return store_failure(err, store);
        found = store.fetch(options.filter);
        // A fresh connection has no failure behind it: one now means the
        // list is not whole, and part of it would be a wrong answer.
        if (!store.last_error().isEmpty())
            return store_failure(err, store);
    }
    write_list(found, options.format, out);
    return Success;
}

bool parse_send(const QStringList& args, SendRequest& request)
{
    QStringList operands;
    bool options_end = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        // A text may itself begin with "-" ("-5 at night"): options come
        // before the number, or "--" ends them.
        if (options_end || !operands.isEmpty() || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            operands << arg;
        } else if (arg == QLatin1String("--")) {
            options_end = true;
        } else if (arg == QLatin1String("--no-wait")) {
            request.wait = false;
        } else if (arg == QLatin1String("--line") && i + 1 < args.size()) {
            bool number = false;
            request.line = args[++i].toInt(&number);
            if (!number || request.line < 1 || request.line > 4)
                return false;
        } else {
            return false;
        }
    }
    if (operands.size() != 2)
        return false;
    request.number = operands[0];
    request.text = operands[1];
    return true;
}

}  // namespace

int usage(FILE* err)
{
    std::fputs(usage_text, err);
    return UsageError;
}

void print(FILE* stream, const QString& text, bool flush)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (flush)
        std::fflush(stream);
}

int store_failure(FILE* err, messages::MessageStore& store)
{
    print(err, QStringLiteral("vekorra-sms: the messages in %1 cannot be used: %2\n")
                   .arg(store.path(), store.last_error()));
    return Failed;
}

int run_command(const QStringList& args, FILE* in, FILE* out, FILE* err)
{
    if (args.value(0) == QLatin1String("list")) {
        ListOptions options;
        if (!parse_list(args, options))
            return usage(err);
        return list(options, out, err);
    }
    if (args.value(0) == QLatin1String("send")) {
        SendRequest request;
        if (!parse_send(args, request))
            return usage(err);
        return send(request, in, out, err);
    }
    return usage(err);
}

}  // namespace sms_tool
