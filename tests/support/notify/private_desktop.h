#pragma once
#include "programs.h"
#include "x_server.h"
#include <QDBusConnection>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A desktop of the test's own for desktop notifications: a session bus, an
// X server and the notification servers that run on them. Each helper ends
// the process it started in its destructor (and the process ends by itself
// if the test dies).

// A D-Bus session bus without service activation (SessionBus) that this
// process talks on. Sets DBUS_SESSION_BUS_ADDRESS for this process's children.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool ready() const { return !address().isEmpty(); }
    QString address() const { return bus_.address(); }
    QString error() const { return bus_.error(); }
    // This process's own connection to the bus.
    QDBusConnection connection() const;
    bool name_owned(const QString& name) const;

private:
    SessionBus bus_;
};

// Xvfb on a display number it picked itself. Does not change this process's
// platform: only the programs given display() draw there.
class VirtualScreen {
public:
    VirtualScreen();
    ~VirtualScreen();
    bool ready() const { return !display_.isEmpty(); }
    QString display() const { return display_; }
    QString error() const { return error_; }
    // The whole screen as a PNG (ImageMagick's import); false on failure.
    bool screenshot(const QString& path) const;

private:
    QProcess process_;
    QString display_;
    QString error_;
};

// dunst, Debian's notification server, on the bus and the screen, with an
// empty configuration (its built-in look: critical notifications on dark red).
class Dunst {
public:
    Dunst(const PrivateBus& bus, const VirtualScreen& screen);
    ~Dunst();
    bool ready() const { return ready_; }
    QString output();
    // `dunstctl count displayed`; -1 when dunstctl failed.
    int displayed() const;

private:
    const PrivateBus& bus_;
    QTemporaryDir dir_;
    QProcess process_;
    bool ready_ = false;
};

// The tests' own notification server (tests/support/notify/
// notification_server.*): records every call, and plays the user.
class TestNotificationServer {
public:
    // reply_after: "" answers at once; a number of ms; "never".
    explicit TestNotificationServer(const PrivateBus& bus, bool with_actions = true, const QString& reply_after = {});
    ~TestNotificationServer();
    bool ready() const { return ready_; }
    QString output();

    // Every recorded call, oldest first: {"call": "Notify", "t": epoch s, ...}.
    QList<QJsonObject> calls(const QString& name = QString()) const;
    bool wait_for(const QString& name, int count, int timeout_ms) const;
    // The user's hand: ActionInvoked for any id, or a dismissal.
    bool invoke(uint id, const QString& action_key) const;
    bool dismiss(uint id) const;
    void stop();

private:
    const PrivateBus& bus_;
    QTemporaryDir dir_;
    QProcess process_;
    bool ready_ = false;
};

