#pragma once
#include <QList>
#include <QStringList>

#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/messages.h"

// Seams that record what the dialer asks of the platform instead of doing it.
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

struct RecordingMessages : platform::Messages {
    QStringList texts;
    void show(const QString&, const QString& text, platform::MessageIcon) override { texts.append(text); }
};

// Real time of day, but sleeps are only counted.
struct RecordingClock : platform::SystemClock {
    QList<int> sleeps;
    void sleep_ms(int ms) override { sleeps.append(ms); }
};


// Each scope installs a recording seam for one test case and restores the
// default afterwards.
struct LauncherScope {
    RecordingLauncher launcher;
    LauncherScope() { platform::set_launcher(&launcher); }
    ~LauncherScope() { platform::set_launcher(nullptr); }
};

struct MessagesScope {
    RecordingMessages messages;
    MessagesScope() { platform::set_messages(&messages); }
    ~MessagesScope() { platform::set_messages(nullptr); }
};

struct ClockScope {
    RecordingClock clock;
    ClockScope() { platform::set_clock(&clock); }
    ~ClockScope() { platform::set_clock(nullptr); }
};
