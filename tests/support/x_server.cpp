#include "x_server.h"

#include <QCoreApplication>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

QString start_xvfb(QProcess& process, const QString& screen_size, QString* error)
{
    // Xvfb picks a free display number itself and writes it to the pipe.
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) {
        *error = QStringLiteral("no pipe");
        return QString();
    }
    ::fcntl(pipe_fds[0], F_SETFD, FD_CLOEXEC);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
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
    QProcessEnvironment child_environment = QProcessEnvironment::systemEnvironment();
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
