#pragma once
#include <QString>
#include <QTemporaryDir>
#include <functional>

// A private world for one test: its own settings store, call journal,
// ports folder and runtime folder (the controllers' locks), set in this process's
// environment so that children started afterwards inherit it.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString root() const { return dir_.path(); }
    QString store_path() const;   // VEKORRA_SETTINGS
    QString journal_path() const; // VEKORRA_JOURNAL
    QString ports_dir() const;    // VEKORRA_PORTS
    QString runtime_dir() const;  // XDG_RUNTIME_DIR
    // The build folder (run layout: vekorra, 1/kestrum ..., tools).
    static QString build_dir();

private:
    QTemporaryDir dir_;
};

// Polls cond every few milliseconds, pumping events, until it holds or
// timeout_ms passes. Returns whether it held.
bool wait_until(const std::function<bool()>& cond, int timeout_ms);

// Points every port number 1 to 96 that has no entry yet at a missing
// device, so a search in a test never touches the machine's real serial
// ports; ports above 96 have no device anyway.
void shield_real_ports(const QString& ports_dir);
