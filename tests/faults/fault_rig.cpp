#include "fault_rig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace faults {

QList<qint64> processes_of(const QString& program, const QString& store_path)
{
    const QString wanted = QFileInfo(program).canonicalFilePath();
    const QByteArray marker = "VEKORRA_SETTINGS=" + QFile::encodeName(store_path);
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() != wanted)
            continue;
        QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(marker))
            pids << pid;
    }
    return pids;
}

bool alive(qint64 pid)
{
    // A zombie has ended: only its parent has not looked yet.
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = status.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.size() > close + 2 && text.at(close + 2) != 'Z';
}

namespace {
qint64 cpu_ticks(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = status.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the whole line.
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}
}  // namespace

bool becomes_idle(qint64 pid, int quiet_ms, int timeout_ms)
{
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    qint64 last = cpu_ticks(pid);
    while (total.elapsed() < timeout_ms) {
        QThread::msleep(50);
        const qint64 now = cpu_ticks(pid);
        if (now < 0 || !alive(pid))
            return false;
        if (now != last) {
            last = now;
            quiet.restart();
        } else if (quiet.elapsed() >= quiet_ms) {
            return true;
        }
    }
    return false;
}

void kill_hard(qint64 pid)
{
    ::kill(pid_t(pid), SIGKILL);
}

RawProcess::RawProcess(const QString& program, const QList<QByteArray>& arguments, const QString& folder)
    : error_file_(folder + QStringLiteral("/errors-%1").arg(QRandomGenerator::global()->generate()))
{
    const QByteArray path = QFile::encodeName(program);
    const QByteArray directory = QFile::encodeName(folder);
    const QByteArray errors = QFile::encodeName(error_file_);
    std::vector<char*> argv{const_cast<char*>(path.constData())};
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(errors.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = ::open("/dev/null", O_RDWR);
        if (fd < 0 || null < 0 || ::chdir(directory.constData()) != 0)
            ::_exit(127);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(fd, 2);
        ::execv(path.constData(), argv.data());
        ::_exit(127);
    }
    pid_ = child;
}

RawProcess::~RawProcess()
{
    if (running()) {
        ::kill(pid_t(pid_), SIGKILL);
        reap(true);
    }
    QFile::remove(error_file_);
}

bool RawProcess::reap(bool wait)
{
    if (ended_ || pid_ <= 0)
        return true;
    if (::waitpid(pid_t(pid_), &status_, wait ? 0 : WNOHANG) == pid_t(pid_))
        ended_ = true;
    return ended_;
}

bool RawProcess::running()
{
    return pid_ > 0 && !reap(false);
}

bool RawProcess::ended_well(int timeout_ms)
{
    QElapsedTimer timer;
    timer.start();
    while (running() && timer.elapsed() < timeout_ms)
        QThread::msleep(20);
    return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
}

QByteArray RawProcess::errors() const
{
    QFile file(error_file_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Controller::Controller()
{
    set_board(QStringLiteral("1"), QStringLiteral("on_przv_exe"), QStringLiteral("1"));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(TestEnv::build_dir() + QStringLiteral("/1/kestrum"), {QStringLiteral("0")});
    process_.waitForStarted(5000);
}

Controller::~Controller()
{
    if (process_.state() != QProcess::NotRunning && !end_in_order(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool Controller::end_in_order(int timeout_ms)
{
    set_board(QStringLiteral("1"), QStringLiteral("on_przv_exe"), QStringLiteral("0"));
    return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeout_ms);
}

}  // namespace faults
