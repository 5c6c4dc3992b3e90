// Measures a real kestrum with the simulated phone: a message arriving
// ("+CMTI" written by the phone, as its log times it) until it is kept in
// the message store, and a message queued (with `sms_ochered` written)
// until "AT+CMGS" reaches the phone. Steps are spaced by random pauses so
// that they fall at every point of the controller's ticks.
// Usage: bench_messages_latency [TRIALS]
#include <QCoreApplication>

#include "bench/support/bench_support.h"
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
    return received.size() == trials && queued.size() == trials ? 0 : 1;
}
