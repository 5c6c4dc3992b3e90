#pragma once
#include <QList>
#include <QStringList>

#include "platform/launcher.h"
#include "tests/support/message_recorder.h"
#include "tests/support/mock_clock.h"

// The launcher seam recording what the dialer asks to start instead of
// starting it.
struct RecordingLauncher : platform::Launcher {
    struct Start {
        QString program;
        QStringList arguments;
    };
    QList<Start> starts;
    bool start_detached(const QString& program, const QStringList& arguments) override
    {
        starts.append({program, arguments});
        return false;  // as for a missing controller: must be ignored
    }
};

// Installs the recording launcher for one test case and restores the
// default afterwards. Clock and messages: tests/support/mock_clock.h and
// message_recorder.h.
struct LauncherScope {
    RecordingLauncher launcher;
    LauncherScope() { platform::set_launcher(&launcher); }
    ~LauncherScope() { platform::set_launcher(nullptr); }
};
