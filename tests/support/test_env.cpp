#include "test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QThread>

#include "settings_store/settings_store.h"

TestEnv::TestEnv()
{
    QDir(dir_.path()).mkpath(QStringLiteral("ports"));
    QDir(dir_.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(runtime_dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("VEKORRA_SETTINGS", store_path().toLocal8Bit());
    qputenv("VEKORRA_JOURNAL", journal_path().toLocal8Bit());
    qputenv("VEKORRA_PORTS", ports_dir().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime_dir().toLocal8Bit());
    // Contacts: the own folder, the smartphone's and the phonebooks' cache.
    qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", dir_.filePath(QStringLiteral("cache")).toLocal8Bit());
    settings_store::reopen();
}

TestEnv::~TestEnv()
{
    settings_store::reopen();
}

QString TestEnv::store_path() const { return dir_.filePath(QStringLiteral("settings.sqlite")); }
QString TestEnv::journal_path() const { return dir_.filePath(QStringLiteral("journal.sqlite")); }
QString TestEnv::ports_dir() const { return dir_.filePath(QStringLiteral("ports")); }
QString TestEnv::runtime_dir() const { return dir_.filePath(QStringLiteral("run")); }
QString TestEnv::build_dir() { return QStringLiteral(VEKORRA_BUILD_DIR); }

bool wait_until(const std::function<bool()>& cond, int timeout_ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeout_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return true;
}

void shield_real_ports(const QString& ports_dir)
{
    const QDir dir(ports_dir);
    for (int port = 1; port <= 96; ++port) {
        const QString entry = dir.filePath(QStringLiteral("com%1").arg(port));
        if (!QFileInfo(entry).exists() && !QFileInfo(entry).isSymLink())
            QFile::link(dir.filePath(QStringLiteral("absent-device-%1").arg(port)), entry);
    }
}
