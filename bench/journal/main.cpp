// bench_journal [--calls N] [--seconds N]
// Fills a fresh journal with N calls (100 000) and prints:
//  - opening the journal and showing the first page of the table model
//    (a new connection, the count, the rows a view shows first);
//  - a search by part of the number (count and first page);
//  - the latency of one record write (median, 99th percentile, maximum),
//    alone and while bench_store_load runs its six processes on a
//    settings store.
//  - the main window's share: the tab's open time (rows shown) and the
//    dialer's extra resident memory (main_window_share.cpp).
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

#include "journal/journal.h"
#include "journal/journal_table_model.h"
#include "bench/journal/main_window_share.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void print_spread(const char* what, std::vector<double> list, const char* unit)
{
    if (list.empty())
        return;
    std::sort(list.begin(), list.end());
    const size_t p99 = size_t(std::ceil(0.99 * double(list.size()))) - 1;
    std::printf("%-34s %7zu  median %9.3f  p99 %9.3f  max %9.3f %s\n", what, list.size(), list[list.size() / 2],
                list[p99], list.back(), unit);
    std::fflush(stdout);
}

// Calls over the last year, about one in four missed, numbers of the usual
// Ukrainian mobile shapes. One transaction: the fill is set-up, not measured.
void fill(const QString& path, int calls)
{
    journal::Journal(path).count({});  // creates the schema
    sqlite3* db = nullptr;
    sqlite3_open(path.toLocal8Bit().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO calls (line, model, direction, number, start_ms, answer_ms, end_ms,"
                       " last_seen_ms, outcome) VALUES (?1, 'SIMPHONE-900', ?2, ?3, ?4, ?5, ?6, ?6, ?7)",
                       -1, &insert, nullptr);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const char* prefixes[] = {"050", "067", "063", "068", "066", "097"};
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < calls; ++i) {
        const qint64 start = now - qint64(calls - i) * 315000;
        const bool missed = next() % 4 == 0;
        const QByteArray number = QByteArray(prefixes[next() % 6]) + QByteArray::number(1000000 + next() % 9000000);
        sqlite3_bind_text(insert, 1, QByteArray::number(1 + next() % 4).constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, next() % 2 ? "in" : "out", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, number.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 4, start);
        if (missed)
            sqlite3_bind_null(insert, 5);
        else
            sqlite3_bind_int64(insert, 5, start + 8000);
        sqlite3_bind_int64(insert, 6, start + 8000 + (missed ? 0 : qint64(next() % 600000)));
        sqlite3_bind_text(insert, 7, missed ? "missed" : "answered", -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    // The fill's log goes into the file now, not in the middle of the
    // timed writes.
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// What a view asks for first: the count and the rows of one screen.
void show_first_screen(journal::JournalTableModel& model)
{
    const int rows = std::min(model.rowCount(), 40);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            model.data(model.index(row, column));
}

void measure_queries(const QString& path)
{
    std::vector<double> open_times, search_times, missed_times, scroll_times, count_times, page_times;
    const char* parts[] = {"123", "0671", "55", "9876", "050", "4"};
    for (int round = 0; round < 20; ++round) {
        auto start = Clock::now();
        journal::Journal journal(path);
        journal::JournalTableModel model(journal);
        show_first_screen(model);
        open_times.push_back(ms_since(start));

        start = Clock::now();
        model.set_filter({QString::fromLatin1(parts[round % 6]), false, 0});
        show_first_screen(model);
        search_times.push_back(ms_since(start));

        start = Clock::now();
        model.set_filter({QString(), true, 0});
        show_first_screen(model);
        missed_times.push_back(ms_since(start));

        const journal::Filter search{QString::fromLatin1(parts[round % 6]), false, 0};
        start = Clock::now();
        journal.count(search);
        count_times.push_back(ms_since(start));
        start = Clock::now();
        journal.fetch(search, 0, journal::JournalTableModel::page_size);
        page_times.push_back(ms_since(start));

        model.set_filter({});
        start = Clock::now();
        model.data(model.index(model.rowCount() / 2 + round, 0));
        scroll_times.push_back(ms_since(start));
    }
    print_spread("open + first screen", open_times, "ms");
    print_spread("search by part of number", search_times, "ms");
    print_spread("  of which the count", count_times, "ms");
    print_spread("  of which the first page", page_times, "ms");
    print_spread("missed only", missed_times, "ms");
    print_spread("jump to the middle (one page)", scroll_times, "ms");
}

// One call's writes as a controller makes them, each timed: start, seen,
// answer, seen, end.
std::vector<double> measure_writes(const QString& path, int seconds)
{
    journal::Journal journal(path);
    journal.count({});
    std::vector<double> latencies;
    QElapsedTimer wall;
    wall.start();
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    auto timed = [&](const std::function<void()>& write) {
        const auto start = Clock::now();
        write();
        latencies.push_back(ms_since(start) * 1000.0);
    };
    while (wall.elapsed() < seconds * 1000) {
        qint64 id = 0;
        timed([&] { id = journal.call_started("1", "SIMPHONE-900", journal::Direction::In, "0671112233", now); });
        QThread::msleep(10);
        timed([&] { journal.line_seen("1", now + 1000); });
        QThread::msleep(10);
        timed([&] { journal.call_answered(id, now + 2000); });
        QThread::msleep(10);
        timed([&] { journal.line_seen("1", now + 3000); });
        QThread::msleep(10);
        timed([&] { journal.call_ended(id, now + 4000, journal::Outcome::Answered); });
        QThread::msleep(10);
        now += 5000;
    }
    return latencies;
}

}  // namespace

void print_open_times(const std::vector<double>& opens) { print_spread("main window: tab open (rows shown)", opens, "ms"); }

int main(int argc, char** argv)
{
    // The tab's panel is a real window; no display is needed for it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption calls_option("calls", "Calls in the journal.", "N", "100000");
    const QCommandLineOption seconds_option("seconds", "How long writes are timed, alone and under load.", "N", "20");
    parser.addOptions({calls_option, seconds_option});
    parser.process(app);
    const int calls = std::max(1, parser.value(calls_option).toInt());
    const int seconds = std::max(2, parser.value(seconds_option).toInt());

    QTemporaryDir dir;
    const QString path = dir.filePath("journal.sqlite");
    auto start = Clock::now();
    fill(path, calls);
    std::printf("journal %s: %d calls filled in %.0f ms\n", qPrintable(path), calls, ms_since(start));
    measure_queries(path);
    measure_main_window(path, dir.filePath("empty.sqlite"), 10);

    print_spread("write alone", measure_writes(path, seconds), "us");
    QProcess load;
    load.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    load.start(QStringLiteral(STORE_LOAD_BENCH),
               {"--seconds", QString::number(seconds + 4), "--store", dir.filePath("settings.sqlite")});
    if (!load.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", STORE_LOAD_BENCH);
        return 1;
    }
    QThread::sleep(2);  // the six processes open the store and start ticking
    print_spread("write under the store load", measure_writes(path, seconds), "us");
    load.waitForFinished((seconds + 60) * 1000);
    std::printf("store load during the writes:\n%s", load.readAllStandardOutput().constData());
    return 0;
}
