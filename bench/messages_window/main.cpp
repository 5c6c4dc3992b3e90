// bench_messages_window (QT_QPA_PLATFORM=offscreen)
// A fresh journal with 100 000 messages in 1 000 conversations, one of
// them 5 000 messages long. Prints, as median and maximum:
//  - the tab opened: the panel built, read and shown (10 runs);
//  - the long conversation opened and laid out (10 runs);
//  - a message kept by another connection (as a controller keeps one)
//    until listed and notified (20 runs; the tab looks every 250 ms);
//  - the resident memory the tab added, with the long conversation open.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "dialer/messages/messages_panel.h"
#include "messages/message_store.h"
#include "message_fill.h"
#include "recording_notifications.h"
#include "test_env.h"

namespace {

constexpr int kMessages = 100000;
constexpr int kConversations = 1000;
constexpr int kLongConversation = 5000;
const QByteArray kLongNumber = "+380670000000";


long resident_kb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void report(const char* what, QList<double> ms, const char* target)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-45s n=%lld  median %7.1f ms  max %7.1f ms  (target %s)\n", what, static_cast<long long>(ms.size()),
                ms[ms.size() / 2], ms.last(), target);
}

double elapsed_ms(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestEnv env;
    bench::fill_messages(env.journal_path(), kMessages, kConversations, kLongConversation);
    RecordingNotifications notifications;
    const long before_kb = resident_kb();

    QList<double> opened;
    std::unique_ptr<MessagesPanel> panel;
    for (int run = 0; run < 10; ++run) {
        panel.reset();
        QElapsedTimer timer;
        timer.start();
        panel = std::make_unique<MessagesPanel>(notifications, [](const QString&) {});
        panel->resize(705, 205);
        panel->show();
        QApplication::processEvents();
        opened << elapsed_ms(timer);
    }
    report("tab opened (1 000 conversations)", opened, "<= 150 ms");

    QList<double> long_opened;
    for (int run = 0; run < 10; ++run) {
        panel->new_message();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        panel->open_conversation(QString::fromLatin1(kLongNumber));
        QApplication::processEvents();
        long_opened << elapsed_ms(timer);
    }
    report("conversation of 5 000 messages opened", long_opened, "<= 100 ms");
    const long after_kb = resident_kb();

    QList<double> arrived;
    messages::MessageStore controller;
    for (int run = 0; run < 20; ++run) {
        messages::ReceivedPart part;
        part.line = QStringLiteral("1");
        part.number = QStringLiteral("+38050555%1").arg(1000 + run);
        part.text = QStringLiteral("Новое %1").arg(run);
        part.received_ms = 1900000000000 + run;
        const qsizetype notified = notifications.sent.size();
        QElapsedTimer timer;
        timer.start();
        controller.keep_received(part);
        while (notifications.sent.size() == notified && timer.elapsed() < 3000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        arrived << elapsed_ms(timer);
        QThread::msleep(37 * (run % 7));  // falls on every phase of the tab's look
    }
    report("kept by another connection -> listed, notified", arrived, "<= 500 ms");
    std::printf("extra memory with the tab and the long conversation open: %.1f MB  (target <= 30 MB)\n",
                double(after_kb - before_kb) / 1024.0);
    return 0;
}
