#pragma once
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <utility>

// An X server of the test's own: Xvfb on a display number it picked itself
// (-displayfd), so that tests running in parallel never share or fight
// over a display. While it runs, DISPLAY and QT_QPA_PLATFORM=xcb are set
// in this process's environment, so children started meanwhile use it.
//
// A test that draws in this process creates the server before the
// QApplication.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool ready() const { return !display_.isEmpty(); }
    QString display() const { return display_; }   // ":N"
    QString error() const { return error_; }

private:
    QProcess process_;
    QString display_;
    QString error_;
};

// A D-Bus session bus of the test's own that activates nothing: only what
// the test starts is on it, so neither a server installed on the machine
// answers in its place nor does a program without a bus start one by itself
// (libdbus then forks from its connection thread and runs dbus-launch,
// which also starts the machine's session services on the test's display).
class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    QString address() const { return address_; }   // "" when it did not start
    QString error() const { return error_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString address_;
    QString error_;
};

// Starts Xvfb in process with one screen of screen_size ("1024x768") and
// returns its display (":N"), or "" with the reason in error. The server
// ends with the test process.
QString start_xvfb(QProcess& process, const QString& screen_size, QString* error);

// Runs this test program again, with `environment` added, on an X server
// and a session bus of its own; waits at most timeout_ms. Its exit code (-1 when it did not
// start or end in time, or a server did not start) and its output.
std::pair<int, QString> rerun_on_own_x_server(const QMap<QString, QString>& environment, int timeout_ms,
                                              const QStringList& arguments = {});
