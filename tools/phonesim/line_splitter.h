#pragma once
#include <QByteArray>
#include <QList>

// Cuts the bytes a phone receives into command lines: a line ends at CR
// (an LF right after it is ignored) or at a lone LF; empty lines vanish.
class LineSplitter {
public:
    QList<QByteArray> feed(const QByteArray& bytes);

private:
    QByteArray pending_;
    bool after_cr_ = false;
};
