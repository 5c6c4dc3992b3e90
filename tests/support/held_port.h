#pragma once
#include <QProcess>
#include <QString>

// Port N held by another program: a device of its own (a pseudo-terminal
// linked as comN into the current VEKORRA_PORTS folder; construct a TestEnv
// first) that the process "port_holder" keeps open the way a terminal
// program or a second controller would, so that opening the port fails.
//
//   HeldPort held(2);
//   QVERIFY(held.held());
//   ... opening port 2 fails; the note names held.name() ...
//   held.release();   // port 2 opens now; the device stays
class HeldPort {
public:
    explicit HeldPort(int port);
    ~HeldPort();
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;

    bool held() const { return held_; }
    qint64 pid() const { return process_.processId(); }
    // The holder's command name, as /proc and the notes give it.
    static QString name() { return QStringLiteral("port_holder"); }
    QString output() const;  // for failure messages

    // Lets the port go; returns once it has.
    bool release();

private:
    mutable QProcess process_;
    mutable QString output_;
    bool held_ = false;
};
