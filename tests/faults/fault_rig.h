#pragma once
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "tests/support/store_fixture.h"

class TestEnv;

// Helpers for tests that break things on purpose: real processes killed
// without warning and processes found by the program they run. The store
// is read and checked through tests/support/store_fixture.h.
namespace faults {

// Processes of this user that run `program` (canonical path) with the
// store at `store_path` in their environment: those of this test only.
QList<qint64> processes_of(const QString& program, const QString& store_path);
bool alive(qint64 pid);
// Whether the process used no processor time for `quiet_ms` in a row
// (waiting for the user), checked within timeout_ms.
bool becomes_idle(qint64 pid, int quiet_ms, int timeout_ms);
void kill_hard(qint64 pid);

// A program started with arguments of any bytes, exactly as given (QProcess
// would pass them through text, which cannot carry invalid UTF-8), in a
// working folder, its standard error kept in a file. Killed at the end if
// still running.
class RawProcess {
public:
    RawProcess(const QString& program, const QList<QByteArray>& arguments, const QString& folder);
    ~RawProcess();
    qint64 pid() const { return pid_; }
    bool running();
    // Whether it ended by itself with exit status 0 within timeout_ms.
    bool ended_well(int timeout_ms);
    QByteArray errors() const;

private:
    bool reap(bool wait);

    qint64 pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
    QString error_file_;
};

// The controller of slot 1 of the build, started as the dialer starts it.
class Controller {
public:
    Controller();
    ~Controller();
    bool running() const { return process_.state() == QProcess::Running; }
    qint64 pid() const { return process_.processId(); }
    // Orderly end through the blackboard, as the dialer ends it.
    bool end_in_order(int timeout_ms);

private:
    QProcess process_;
};

}  // namespace faults
