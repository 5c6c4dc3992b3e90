#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include "serial/serial_component.h"

// A serial port whose phone is a script: what it says comes as the pieces
// given, one piece per read, and a piece may wait for a text written first
// (the "> " prompt waits for the command, the answer for Ctrl-Z). What was
// written is kept. For replies recorded from real phones, cut at will.
class ScriptedSerial : public SerialComponent {
public:
    struct Piece {
        QString text;
        QString after_written;  // held back until a write contains this
    };
    QList<Piece> pieces;
    QStringList written;

    int CommPort() const override { return 1; }
    void setCommPort(int) override {}
    bool PortOpen() const override { return open; }
    void setPortOpen(bool value) override { open = value; }
    void Output(const QString& text) override { written.append(text); }
    int InBufferCount() override { return ready() ? static_cast<int>(pieces.front().text.size()) : 0; }
    QString Input() override { return ready() ? pieces.takeFirst().text : QString(); }

    bool open = true;

private:
    bool ready() const
    {
        if (pieces.isEmpty())
            return false;
        const QString& awaited = pieces.front().after_written;
        if (awaited.isEmpty())
            return true;
        for (const QString& text : written)
            if (text.contains(awaited))
                return true;
        return false;
    }
};
