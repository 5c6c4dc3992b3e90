#include "x_server.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

void end_with_parent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

// Everyone may talk and own names; no <servicedir> and no
// <standard_session_servicedirs/>, so nothing is activated.
QByteArray bus_config(const QString& socket_dir)
{
    return QByteArrayLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n  <type>session</type>\n  <listen>unix:dir=")
           + socket_dir.toUtf8()
           + QByteArrayLiteral("</listen>\n  <auth>EXTERNAL</auth>\n"
                               "  <policy context=\"default\">\n"
                               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                               "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n"
                               "  </policy>\n</busconfig>\n");
}

}  // namespace

SessionBus::SessionBus()
{
    const QString config = dir_.filePath(QStringLiteral("session.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(bus_config(dir_.path())) < 0) {
        error_ = QStringLiteral("cannot write ") + config;
        return;
    }
    file.close();
    end_with_parent(process_);
    process_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config,
                                                   QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!process_.waitForStarted(5000)) {
        error_ = QStringLiteral("dbus-daemon did not start: ") + process_.errorString();
        return;
    }
    while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
    }
    address_ = QString::fromUtf8(process_.readLine()).trimmed();
    if (address_.isEmpty())
        error_ = QStringLiteral("dbus-daemon printed no address: ") + QString::fromLocal8Bit(process_.readAllStandardError());
}

SessionBus::~SessionBus()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(3000);
}

QString start_xvfb(QProcess& process, const QString& screen_size, QString* error)
{
    // Xvfb picks a free display number itself and writes it to the pipe.
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) {
        *error = QStringLiteral("no pipe");
        return QString();
    }
    ::fcntl(pipe_fds[0], F_SETFD, FD_CLOEXEC);
    end_with_parent(process);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QString::number(pipe_fds[1]),
                                           QStringLiteral("-screen"), QStringLiteral("0"), screen_size + "x24",
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ::close(pipe_fds[1]);
    QByteArray number;
    if (process.waitForStarted(5000)) {
        char c = 0;
        while (::read(pipe_fds[0], &c, 1) == 1 && c != '\n')
            number += c;
    }
    ::close(pipe_fds[0]);
    if (number.isEmpty()) {
        *error = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(process.readAll());
        return QString();
    }
    return QStringLiteral(":") + QString::fromLatin1(number);
}

XServer::XServer()
{
    display_ = start_xvfb(process_, QStringLiteral("1280x1024"), &error_);
    if (display_.isEmpty())
        return;
    qputenv("DISPLAY", display_.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
}

XServer::~XServer()
{
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(3000);
}

std::pair<int, QString> rerun_on_own_x_server(const QMap<QString, QString>& environment, int timeout_ms,
                                              const QStringList& arguments)
{
    XServer server;
    if (!server.ready())
        return {-1, server.error()};
    SessionBus bus;
    if (bus.address().isEmpty())
        return {-1, bus.error()};
    QProcessEnvironment child_environment = QProcessEnvironment::systemEnvironment();
    child_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        child_environment.insert(it.key(), it.value());
    QProcess child;
    child.setProcessEnvironment(child_environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    const bool ended = child.waitForFinished(timeout_ms);
    if (!ended) {
        child.kill();
        child.waitForFinished(3000);
    }
    const QString output = QString::fromLocal8Bit(child.readAll());
    const bool well = ended && child.exitStatus() == QProcess::NormalExit;
    return {well ? child.exitCode() : -1, output};
}
