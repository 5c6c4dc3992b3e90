#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/launcher.h"
#include "platform/link_opener.h"
#include "tests/support/message_recorder.h"
#include "tests/support/mock_clock.h"

// Stands in for the platform while it exists: message boxes, program
// starts, address opening and sleeps are only written down, in order, as
//   "message <caption> <error|none>: <text>"
//   "start <program> <arguments...>"
//   "open <address>"
//   "sleep <ms>"
// Boxes and sleeps go through the shared message recorder and mock clock.
class RecordingSeams : public platform::Launcher, public platform::LinkOpener {
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

    bool start_detached(const QString& program, const QStringList& arguments) override;
    platform::OpenResult open_address(const QString& address) override;

private:
    int seams_;
    std::optional<MessageRecorder> messages_;
    std::optional<MockClock> clock_;
};
