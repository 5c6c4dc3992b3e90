#pragma once
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class Phone;
class PtyLine;
class SimLog;

// The control channel: a local socket taking one command per line
// ("incoming 0501234567", "fault slow on", ...), each answered by one
// line "OK" or "ERROR <why>" ("calls" sends the call list line first).
class ControlServer : public QObject
{
    Q_OBJECT
public:
    ControlServer(Phone* phone, PtyLine* line, SimLog* log, QObject* parent = nullptr);
    bool listen(const QString& path, QString* error);
    // Runs one control command; returns the answer lines.
    QString run(const QString& command);
    QString sms(QStringList words);

signals:
    void quit_requested();
    void reconnect_requested(QString* error);

private:
    void take_connection();
    void read_commands(QLocalSocket* socket);

    Phone* phone_;
    PtyLine* line_;
    SimLog* log_;
    QLocalServer* server_;
};
