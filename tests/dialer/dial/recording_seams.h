#pragma once
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/link_opener.h"
#include "platform/messages.h"

// Stands in for the platform while it exists: message boxes, program
// starts, address opening and sleeps are only written down, in order, as
//   "message <caption> <error|none>: <text>"
//   "start <program> <arguments...>"
//   "open <address>"
//   "sleep <ms>"
class RecordingSeams : public platform::Messages,
                       public platform::Launcher,
                       public platform::LinkOpener,
                       public platform::Clock {
public:
    // Which seams to replace; the others stay real.
    enum Seam { MessagesSeam = 1, LauncherSeam = 2, LinkOpenerSeam = 4, ClockSeam = 8, AllSeams = 15 };
    explicit RecordingSeams(int seams = AllSeams);
    ~RecordingSeams() override;

    QStringList events;
    // Appended as " [<snapshot>]" to each message event: shows what the
    // store held at the moment the box was open.
    std::function<QString()> snapshot_at_message;
    // What the next start and open report.
    bool start_succeeds = true;
    platform::OpenResult open_result{true, 0};

    void show(const QString& caption, const QString& text, platform::MessageIcon icon) override;
    bool start_detached(const QString& program, const QStringList& arguments) override;
    platform::OpenResult open_address(const QString& address) override;
    void sleep_ms(int ms) override;
    void pump() override {}
    QString time_of_day() override { return QStringLiteral("12:00:00"); }
    qint64 now_ms() override { return platform::SystemClock().now_ms(); }

private:
    int seams_;
};
