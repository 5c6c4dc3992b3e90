#pragma once
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

#include "env_override.h"
#include "test_env.h"

// Like wait_until, for conditions that cost a process start: checks every
// interval_ms, pumping events between the checks.
bool poll_until(const std::function<bool()>& cond, int timeout_ms, int interval_ms = 100);

// A user's session with the installed programs: a private home, XDG
// folders, settings store, ports folder and runtime folder; the dialer from
// the installed tree, started as the user would start it (`vekorra` on
// PATH), and the controllers that it starts.
//
// The test process itself keeps a scratch store of its own (the window
// maps lay out copies of the windows against it), so the user's store is
// read and written only through the installed `vekorra-settings`, as a
// script would.
class InstalledDialer {
public:
    InstalledDialer();
    ~InstalledDialer();
    InstalledDialer(const InstalledDialer&) = delete;
    InstalledDialer& operator=(const InstalledDialer&) = delete;

    // The installed tree: <prefix>/bin, <prefix>/lib/vekorra, <prefix>/share.
    static QString prefix();
    static QString installation_folder();   // <prefix>/lib/vekorra
    static bool installed();

    const TestEnv& env() const { return env_; }
    QString home() const;
    QProcessEnvironment environment() const;

    // Starts `vekorra` without arguments; its main window "Vekorra".
    bool start();
    qint64 pid() const { return dialer_.processId(); }
    bool running() const { return dialer_.state() != QProcess::NotRunning; }
    unsigned long main_window(int timeout_ms = 15000) const;
    // Closes the main window by its close box and waits for the dialer to end.
    bool close_main_window();
    // What the dialer and its controllers wrote to stdout and stderr.
    QString output() const;

    // The user's store, through the installed vekorra-settings.
    QString value(const QString& app, const QString& section, const QString& key,
                  const QString& default_value = QStringLiteral("<absent>")) const;
    QString slot_value(int slot, const QString& key) const { return value("Kestrum", QString::number(slot), key); }
    bool set_value(const QString& app, const QString& section, const QString& key, const QString& text) const;
    bool wait_value(int slot, const QString& key, const QString& expected, int timeout_ms) const;

    // Pids of the installed dialers running for this session's store (the
    // one started here and those that hand-overs started).
    QList<qint64> running_dialers() const;
    // Slots (1 to 4) whose installed controller runs for this session's store.
    QList<int> running_controllers() const;

    // Runs an installed or system program in the session's environment; its
    // exit code (-1 when it did not end in time) and output.
    int run(const QString& program, const QStringList& arguments, QString* output = nullptr,
            int timeout_ms = 20000) const;

private:
    void end_everything();

    TestEnv env_;
    EnvOverride scratch_store_;
    QProcess dialer_;
};
