#include "sim_log.h"

#include <ctime>

bool SimLog::open(const QString& path)
{
    file_.setFileName(path);
    return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

void SimLog::write(const char* kind, const QByteArray& text)
{
    if (!file_.isOpen())
        return;
    // One write call per line, so that a reader never sees half an entry.
    file_.write(time_stamp() + ' ' + kind + ' ' + escaped(text) + '\n');
}

QByteArray SimLog::escaped(const QByteArray& bytes)
{
    QByteArray out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

QByteArray SimLog::time_stamp()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    char text[40];
    snprintf(text, sizeof text, "%lld.%06ld", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
    return text;
}
