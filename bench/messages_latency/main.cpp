// Measures a real kestrum with the simulated phone: a message arriving
// ("+CMTI" written by the phone, as its log times it) until it is kept in
// the message store, and a message queued (with `sms_ochered` written)
// until "AT+CMGS" reaches the phone. Steps are spaced by random pauses so
// that they fall at every point of the controller's ticks.
// Then a phonebook of 250 entries read from the simulated phone into the
// contacts cache, on request.
// Usage: bench_messages_latency [TRIALS]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "bench/support/bench_support.h"
#include "contacts/contact_files.h"
#include "messages/message_store.h"

namespace {

// When the phone last wrote a line holding text, from its log.
double sent_at(PhoneSim& phone, const QString& text)
{
    const QStringList lines = phone.log_lines();
    for (qsizetype i = lines.size() - 1; i >= 0; --i)
        if (lines[i].contains(QLatin1String(" TX ")) && lines[i].contains(text))
            return lines[i].section(QLatin1Char(' '), 0, 0).toDouble();
    return -1;
}

// Entries in the cache file of line 1.
int cached_entries()
{
    QFile cache(contacts::phonebook_folder() + QStringLiteral("/line-1.vcf"));
    return cache.open(QIODevice::ReadOnly) ? int(cache.readAll().count("BEGIN:VCARD")) : 0;
}

bool read_phonebook()
{
    QStringList options;
    for (int n = 0; n < 250; ++n)
        options << QStringLiteral("--contact") << QStringLiteral("SM,+38067%1,Контакт номер %2").arg(1000000 + n).arg(n);
    bench::ConnectedPhone rig(options);
    // The first read follows the connection; the measured one is asked for.
    if (!rig.ready() || !bench::poll_until([] { return cached_entries() == 250; }, 60000))
        return false;
    QFile::remove(contacts::phonebook_folder() + QStringLiteral("/line-1.vcf"));
    QElapsedTimer took;
    took.start();
    bench::set_board(QStringLiteral("kniga_chitat"), QStringLiteral("1"));
    const bool read = bench::poll_until([] { return cached_entries() == 250; }, 60000);
    bench::report("phonebook of 250 entries read on request", {double(took.elapsed())}, QStringLiteral("<= 10 s"));
    return read;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;

    bench::ConnectedPhone rig({});
    if (!rig.ready() || !bench::poll_until([] { return bench::board(QStringLiteral("sms_rezhim")) == QLatin1String("pdu"); }, 20000))
        return 1;
    messages::MessageStore store;

    QList<double> received, queued;
    for (int trial = 0; trial < trials; ++trial) {
        bench::pause_random();
        const int before = int(store.fetch({}).size());
        rig.phone().control(QStringLiteral("sms +38067123%1 bench message %1").arg(1000 + trial));
        if (bench::poll_until([&] { return store.fetch({}).size() > before; }, 10000))
            received.append((bench::now_seconds() - sent_at(rig.phone(), QStringLiteral("+CMTI"))) * 1000);

        bench::pause_random();
        const int sends = rig.phone().count_received(QStringLiteral("AT+CMGS"));
        const double start = bench::now_seconds();
        store.queue(QStringLiteral("1"), QStringLiteral("+380671234567"), QStringLiteral("bench reply"), 0);
        bench::set_board(QStringLiteral("sms_ochered"), QStringLiteral("1"));
        if (bench::poll_until([&] { return rig.phone().count_received(QStringLiteral("AT+CMGS")) > sends; }, 10000))
            queued.append((rig.phone().received_at(QStringLiteral("AT+CMGS"), true) - start) * 1000);
    }
    bench::report("\"+CMTI\" at the phone -> message in the store", received, QStringLiteral("median <= 300 ms"));
    bench::report("message queued -> \"AT+CMGS\" at the phone", queued, QStringLiteral("median <= 150 ms"));
    return received.size() == trials && queued.size() == trials && read_phonebook() ? 0 : 1;
}
