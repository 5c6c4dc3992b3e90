#pragma once
#include <QByteArray>
#include <QString>

// A pseudo-terminal pair: the component opens the slave side (through a
// "comN" link), the test plays the device on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    QString slave_path() const { return slave_path_; }
    // Links "com<port>" in the ports folder to the slave side.
    void link_as(const QString& ports_dir, int port) const;

    void write(const QByteArray& bytes) const;
    // Reads until at least `count` bytes came or timeout_ms passed.
    QByteArray read(int count, int timeout_ms) const;
    // The device goes away: the far end is closed.
    void close_master();

private:
    int master_ = -1;
    QString slave_path_;
};
