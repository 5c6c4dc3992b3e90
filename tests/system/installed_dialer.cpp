#include "installed_dialer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>

#include "settings_store/settings_store.h"
#include "x_desktop.h"

namespace {

const QString kMainTitle = QStringLiteral("Vekorra");

QByteArray scratch_store_path(const TestEnv& env) { return (env.root() + QStringLiteral("/scratch.sqlite")).toLocal8Bit(); }

// Processes of the installed tree that serve `store`: their program's path
// inside the installation folder ("vekorra", "2/kestrum") and pid.
QList<std::pair<QString, qint64>> installed_processes(const QString& store)
{
    QList<std::pair<QString, qint64>> found;
    const QString folder = InstalledDialer::installation_folder() + QLatin1Char('/');
    const QByteArray marker = "VEKORRA_SETTINGS=" + store.toLocal8Bit() + '\0';
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        if (!exe.startsWith(folder))
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().contains(marker))
            continue;
        found.append({exe.mid(folder.size()), pid});
    }
    return found;
}

QList<std::pair<int, qint64>> installed_controllers(const QString& store)
{
    QList<std::pair<int, qint64>> found;
    for (const auto& [program, pid] : installed_processes(store)) {
        if (program.endsWith(QLatin1String("/kestrum")))
            found.append({program.section(QLatin1Char('/'), 0, 0).toInt(), pid});
    }
    return found;
}

}  // namespace

bool poll_until(const std::function<bool()>& cond, int timeout_ms, int interval_ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeout_ms)
            return false;
        wait_until([] { return false; }, interval_ms);
    }
    return true;
}

InstalledDialer::InstalledDialer() : scratch_store_("VEKORRA_SETTINGS", scratch_store_path(env_))
{
    settings_store::reopen();
    for (const char* folder : {"home", "home/.config", "home/.local/share", "home/.cache", "system-data"})
        QDir(env_.root()).mkpath(QString::fromLatin1(folder));
    dialer_.setProcessChannelMode(QProcess::MergedChannels);
    dialer_.setStandardOutputFile(env_.root() + QStringLiteral("/dialer.log"));
}

InstalledDialer::~InstalledDialer()
{
    end_everything();
    settings_store::reopen();
}

QString InstalledDialer::prefix() { return QStringLiteral(VEKORRA_SYSTEM_PREFIX); }
QString InstalledDialer::installation_folder() { return prefix() + QStringLiteral("/lib/vekorra"); }

bool InstalledDialer::installed()
{
    return QFileInfo(prefix() + QStringLiteral("/bin/vekorra")).isExecutable()
        && QFileInfo(installation_folder() + QStringLiteral("/4/kestrum")).isExecutable();
}

QString InstalledDialer::home() const { return env_.root() + QStringLiteral("/home"); }

QProcessEnvironment InstalledDialer::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home() + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home() + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home() + QStringLiteral("/.cache"));
    // Only the installed tree's desktop files: no handler of this machine
    // takes part.
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), prefix() + QStringLiteral("/share"));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), env_.root() + QStringLiteral("/system-data"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), env_.runtime_dir());
    environment.insert(QStringLiteral("VEKORRA_SETTINGS"), env_.store_path());
    environment.insert(QStringLiteral("VEKORRA_PORTS"), env_.ports_dir());
    environment.insert(QStringLiteral("PATH"), prefix() + QStringLiteral("/bin:") + environment.value("PATH"));
    environment.insert(QStringLiteral("BROWSER"), env_.root() + QStringLiteral("/no-browser"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kestrum.at=true;vekorra.dial=true"));
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "WAYLAND_DISPLAY", "SESSION_MANAGER"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

bool InstalledDialer::start()
{
    dialer_.setProcessEnvironment(environment());
    dialer_.setWorkingDirectory(home());
    // The link in bin/, as the user's PATH finds it.
    dialer_.start(prefix() + QStringLiteral("/bin/vekorra"), {});
    return dialer_.waitForStarted(5000);
}

unsigned long InstalledDialer::main_window(int timeout_ms) const
{
    return desktop::wait_window(dialer_.processId(), kMainTitle, timeout_ms);
}

bool InstalledDialer::close_main_window()
{
    const unsigned long window = desktop::find_window(dialer_.processId(), kMainTitle);
    if (window == 0)
        return false;
    desktop::request_close(window);
    return wait_until([this] { return dialer_.state() == QProcess::NotRunning; }, 10000);
}

QString InstalledDialer::output() const
{
    QFile log(env_.root() + QStringLiteral("/dialer.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
}

int InstalledDialer::run(const QString& program, const QStringList& arguments, QString* output, int timeout_ms) const
{
    // Its output is read through a pipe until it ends, as a browser reads
    // what xdg-open says: programs it leaves running (a dialer started by
    // a hand-over, its controllers) keep the pipe after its reader is gone.
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return -1;
    const bool ended = wait_until([&] { return process.state() == QProcess::NotRunning; }, timeout_ms);
    if (!ended) {
        process.kill();
        process.waitForFinished(2000);
    }
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString InstalledDialer::value(const QString& app, const QString& section, const QString& key,
                               const QString& default_value) const
{
    QString output;
    if (run(prefix() + QStringLiteral("/bin/vekorra-settings"), {QStringLiteral("get"), app, section, key, default_value},
            &output, 5000) != 0)
        return QStringLiteral("<store failed>");
    if (output.endsWith(QLatin1Char('\n')))
        output.chop(1);
    return output;
}

bool InstalledDialer::set_value(const QString& app, const QString& section, const QString& key,
                                const QString& text) const
{
    return run(prefix() + QStringLiteral("/bin/vekorra-settings"), {QStringLiteral("set"), app, section, key, text},
               nullptr, 5000) == 0;
}

bool InstalledDialer::wait_value(int slot, const QString& key, const QString& expected, int timeout_ms) const
{
    return poll_until([&] { return slot_value(slot, key) == expected; }, timeout_ms);
}

QList<qint64> InstalledDialer::running_dialers() const
{
    QList<qint64> pids;
    for (const auto& [program, pid] : installed_processes(env_.store_path())) {
        if (program == QLatin1String("vekorra"))
            pids << pid;
    }
    return pids;
}

QList<int> InstalledDialer::running_controllers() const
{
    QList<int> slot_numbers;
    for (const auto& [slot, pid] : installed_controllers(env_.store_path()))
        slot_numbers << slot;
    std::sort(slot_numbers.begin(), slot_numbers.end());
    return slot_numbers;
}

void InstalledDialer::end_everything()
{
    if (running() && !close_main_window()) {
        dialer_.terminate();
        if (!dialer_.waitForFinished(3000))
            dialer_.kill();
        dialer_.waitForFinished(3000);
    }
    // Dialers that a hand-over started: closed by their window, or ended
    // by their pid.
    for (qint64 pid : running_dialers()) {
        if (const unsigned long window = desktop::find_window(pid, kMainTitle))
            desktop::request_close(window);
    }
    if (!wait_until([this] { return running_dialers().isEmpty(); }, 5000)) {
        for (qint64 pid : running_dialers())
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    // The controllers end by the flags in the store; any that did not
    // (a failed test) are ended by their pid.
    for (int slot = 1; slot <= 4; ++slot)
        set_value(QStringLiteral("Kestrum"), QString::number(slot), QStringLiteral("on_przv_exe"), QStringLiteral("0"));
    if (!wait_until([this] { return installed_controllers(env_.store_path()).isEmpty(); }, 5000)) {
        for (const auto& [slot, pid] : installed_controllers(env_.store_path()))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
}
