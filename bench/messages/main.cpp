// bench_messages [--messages N]
// Prints:
//  - PDU decoding: messages per second over a mix of real PDU shapes
//    (GSM 7-bit, UCS2 Cyrillic and emoji, an alphanumeric sender, parts);
//  - a fresh store filled with N messages (100 000) in 1 000
//    conversations: the conversation list (newest first, unread counts),
//    median and maximum of 20 runs, and one conversation of 100 messages.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "message_fill.h"
#include "messages/message_store.h"
#include "messages/pdu.h"

namespace {

const char* const sample_pdus[] = {
    "07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07",
    "0791836027201111000C9183601732547600084221018051000022041F0440043804320435044200210020041A043E0434003A00200034003800320031",
    "0791836027201111000C9183501032547600084221018051000010004F006B0020D83DDE000020D83DDC4D",
    "07918360272011110012D05079DA1EA60BC3EE350000422101805100000BCB3759078AC966B49A0D",
    "0791836027201111440C9183901332547600004221018051000A10050003A70201E061391DF4769741",
};

void decoding()
{
    const int rounds = 100000;
    QElapsedTimer timer;
    timer.start();
    int ok = 0;
    for (int i = 0; i < rounds; ++i)
        ok += messages::decode_pdu(sample_pdus[i % std::size(sample_pdus)]).ok;
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("PDU decoding: %d messages in %.3f s = %.0f messages/s (%d decoded)  (target >= 50000/s)\n", rounds,
                seconds, rounds / seconds, ok);
}

void listing(int count)
{
    QTemporaryDir dir;
    messages::MessageStore store(dir.filePath(QStringLiteral("journal.sqlite")));
    bench::fill_messages(store.path(), count, 1000);

    std::vector<double> runs;
    qsizetype shown = 0;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer timer;
        timer.start();
        shown = store.conversations().size();
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    std::printf("conversation list, %d messages: %lld conversations  median %.1f ms  max %.1f ms  (target <= 100 ms)\n",
                count, static_cast<long long>(shown), runs[runs.size() / 2], runs.back());
    QElapsedTimer timer;
    timer.start();
    const qsizetype one = store.conversation(QStringLiteral("+380671000005")).size();
    std::printf("one conversation: %lld messages in %.1f ms\n", static_cast<long long>(one),
                double(timer.nsecsElapsed()) / 1e6);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--messages")));
    const int count = at > 0 ? args.value(at + 1).toInt() : 100000;
    decoding();
    listing(count > 0 ? count : 100000);
    return 0;
}
