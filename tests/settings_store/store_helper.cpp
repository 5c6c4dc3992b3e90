// The other side of the multi-process store tests.
//   store_helper race-writer N  hands the numbers 1..N one at a time through
//                               key "slot", each only once the last was taken,
//                               then sets "done"
//   store_helper race-taker     takes "slot" until "done", printing each
//                               number it took
//   store_helper stream-writer  writes key kN for N = 1, 2, ... and prints N
//                               once each write has returned, until killed
//   store_helper appender NAME FIRST N
//                               appends the characters FIRST, FIRST+1, ...
//                               FIRST+9, FIRST, ... (N in all) to key
//                               "tones", one per append, then sets NAME
//   store_helper tone-taker NAME...
//                               takes "tones" until every NAME is set,
//                               printing what it took
//   store_helper open-at MS     waits until MS milliseconds since the epoch,
//                               then makes its first write to the store
#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

#include <cstdio>
#include <sched.h>

#include "settings_store/settings_store.h"

namespace {

const QString app = QStringLiteral("Test");
const QString section = QStringLiteral("race");

int fail(const char* what)
{
    std::fprintf(stderr, "store_helper: %s failed\n", what);
    return 3;
}

int race_writer(int count)
{
    for (int n = 1; n <= count; ++n) {
        while (!read_setting(app, section, "slot", "").isEmpty())
            sched_yield();
        if (settings_store::last_operation_failed())
            return fail("read");
        write_setting(app, section, "slot", QString::number(n));
        if (settings_store::last_operation_failed())
            return fail("write");
    }
    while (!read_setting(app, section, "slot", "").isEmpty())
        sched_yield();
    write_setting(app, section, "done", "1");
    return settings_store::last_operation_failed() ? fail("write") : 0;
}

int race_taker()
{
    for (;;) {
        // "done" is read before the take, so a number written before "done"
        // is taken by this round at the latest.
        const bool done = read_setting(app, section, "done", "") == "1";
        const QString taken = take_setting(app, section, "slot", "", true);
        if (settings_store::last_operation_failed())
            return fail("take");
        if (!taken.isEmpty())
            std::printf("%s\n", qPrintable(taken));
        if (done)
            return 0;
        sched_yield();
    }
}

int stream_writer()
{
    const QString padding(300, QChar(u'ж'));
    for (int n = 1;; ++n) {
        write_setting(app, "stream", "k" + QString::number(n), QString::number(n) + padding);
        if (settings_store::last_operation_failed())
            return fail("write");
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

int appender(const QString& name, QChar first, int count)
{
    for (int n = 0; n < count; ++n) {
        if (!append_setting(app, section, "tones", QString(QChar(first.unicode() + n % 10))))
            return fail("append");
    }
    return write_setting(app, section, name, "1") ? 0 : fail("write");
}

int tone_taker(const QStringList& names)
{
    for (;;) {
        bool done = true;
        for (const QString& name : names)
            done = read_setting(app, section, name, "") == "1" && done;
        const QString taken = take_setting(app, section, "tones", "", true);
        if (settings_store::last_operation_failed())
            return fail("take");
        std::printf("%s", qPrintable(taken));
        if (done)
            return 0;
        sched_yield();
    }
}

int open_at(qint64 start_ms)
{
    while (QDateTime::currentMSecsSinceEpoch() < start_ms)
        sched_yield();
    return write_setting(app, section, "opened", "1") ? 0 : fail("first write");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    const QString role = args.value(1);
    if (role == "race-writer")
        return race_writer(args.value(2).toInt());
    if (role == "race-taker")
        return race_taker();
    if (role == "stream-writer")
        return stream_writer();
    if (role == "appender")
        return appender(args.value(2), args.value(3).at(0), args.value(4).toInt());
    if (role == "tone-taker")
        return tone_taker(args.mid(2));
    if (role == "open-at")
        return open_at(args.value(2).toLongLong());
    std::fprintf(stderr, "usage: store_helper race-writer N | race-taker | stream-writer | appender NAME FIRST N"
                         " | tone-taker NAME... | open-at MS\n");
    return 2;
}
