#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <initializer_list>

// Runs the phone simulator (tools/phonesim) for a test: a phone on a
// pseudo-terminal linked as comN into the current VEKORRA_PORTS folder
// (construct a TestEnv first), with a control channel and a traffic log.
//
//   TestEnv env;
//   PhoneSim phone({"--mode", "gsm", "--alert-ms", "50"});   // port 1
//   QVERIFY(phone.ready());
//   ... let the code under test open port 1 (ports/com1) ...
//   QVERIFY(phone.wait_for_command("ATD0501234567;", 5000));
//   QVERIFY(phone.control("answer"));
//   QCOMPARE(phone.calls(), QStringList{"1,0,0,0,0,\"0501234567\",129"});
//
// Several phones: one PhoneSim per port, e.g. PhoneSim a({}, 1), b({"--mode",
// "modem"}, 2), c({}, 3), d({"--mode", "cdma"}, 4); each has its own link,
// control socket and log. Options are those of `phonesim --help` (without
// --ports, --port, --control, --log: the driver sets them). The simulator is
// killed (SIGTERM, then SIGKILL) by the destructor and ends by itself if the
// test process dies.
class PhoneSim {
public:
    explicit PhoneSim(const QStringList& options = {}, int port = 1);
    // So that PhoneSim phone({}) and PhoneSim phone({"--echo", "off"}, 2) read well.
    explicit PhoneSim(std::initializer_list<QString> options, int port = 1)
        : PhoneSim(QStringList(options), port) {}
    ~PhoneSim();
    PhoneSim(const PhoneSim&) = delete;
    PhoneSim& operator=(const PhoneSim&) = delete;

    bool ready() const { return ready_; }   // the link exists and control works
    int port() const { return port_; }
    QString link_path() const;              // <ports>/comN
    QString control_path() const;           // <ports>/comN.control
    QString log_path() const;
    QString output() const;                 // what the simulator printed, for failure messages

    // Sends one control line ("incoming 0501234567", "fault silence on", ...);
    // true when the simulator answered "OK".
    bool control(const QString& line);
    // The full answer (all lines, the last one "OK" or "ERROR ..."); "" when
    // the simulator could not be reached.
    QString control_answer(const QString& line);
    // The current calls as +CLCC fields, e.g. "1,0,3,0,0,\"0501234567\",129".
    QStringList calls();

    // Command lines that reached the phone, in order, as sent (without CR/LF;
    // control bytes written as \xNN).
    QStringList received() const;
    // Whether at least `count` commands starting with prefix arrive within
    // timeout_ms (counting those that arrived before the call).
    bool wait_for_command(const QString& prefix, int timeout_ms, int count = 1);
    int count_received(const QString& prefix) const;
    // Epoch seconds (with microseconds) at which the first (or last) command
    // starting with prefix arrived; -1 when none did.
    double received_at(const QString& prefix, bool last = false) const;
    // Every log line: "<epoch>.<us> RX|TX|EV <text>" (see phonesim --help),
    // e.g. "... EV line closed 0" once the client closed the port.
    QStringList log_lines() const;
    // Whether a log line containing text appears within timeout_ms.
    bool wait_for_log(const QString& text, int timeout_ms);

    void stop();

private:
    QString log_text() const;

    int port_;
    QString ports_dir_;
    mutable QProcess process_;
    mutable QString output_;
    bool ready_ = false;
};
