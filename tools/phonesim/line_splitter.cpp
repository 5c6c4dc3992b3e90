#include "line_splitter.h"

QList<QByteArray> LineSplitter::feed(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    auto end_line = [&] {
        if (!pending_.isEmpty())
            lines.append(pending_);
        pending_.clear();
    };
    for (char c : bytes) {
        if (c == '\r') {
            end_line();
            after_cr_ = true;
        } else if (c == '\n') {
            if (!after_cr_)
                end_line();
            after_cr_ = false;
        } else {
            pending_ += c;
            after_cr_ = false;
        }
    }
    return lines;
}
