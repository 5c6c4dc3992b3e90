#include "bench/store_kill_stress/stress_log.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace kill_stress {

bool Incarnation::killed_mid_tick() const
{
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        if (records[i].kind == 'E' || records[i].kind == 'X')
            return false;
        if (records[i].kind == 'T')
            return true;
    }
    return false;
}

QString log_path(const QString& dir, const QString& role, int index)
{
    return QStringLiteral("%1/%2.%3.log").arg(dir, role).arg(index);
}

QString latency_path(const QString& dir, const QString& role, int index)
{
    return QStringLiteral("%1/%2.%3.lat").arg(dir, role).arg(index);
}

namespace {

// A line cut short by the kill (no newline yet) is dropped: the step it
// announced had not begun.
QList<Record> parse(const QByteArray& text)
{
    QList<Record> records;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> words = lines[i].split(' ');
        Record r;
        r.kind = words[0].isEmpty() ? 0 : words[0][0];
        if ((r.kind == 'T' || r.kind == 'E') && words.size() == 2) {
            r.number = words[1].toLongLong();
        } else if (r.kind == 'P' || r.kind == 'A' || r.kind == 'R' || r.kind == 'B') {
            if (words.size() < 3)
                continue;
            r.key = QString::fromLatin1(words[1]);
            r.slot = words[2].toInt();
            r.number = words.size() > 3 ? words[3].toLongLong() : 0;
        } else if (r.kind != 'X') {
            continue;
        }
        records << r;
    }
    return records;
}

}  // namespace

QList<Incarnation> read_incarnations(const QString& dir, const QString& role)
{
    QList<Incarnation> runs;
    for (int index = 1;; ++index) {
        QFile file(log_path(dir, role, index));
        if (!file.open(QIODevice::ReadOnly))
            return runs;
        runs.append({role, index, parse(file.readAll())});
    }
}

qint64 highest_logged(const QList<Incarnation>& runs, char kind)
{
    qint64 highest = 0;
    for (const Incarnation& run : runs)
        for (const Record& r : run.records)
            if (r.kind == kind)
                highest = std::max(highest, r.number);
    return highest;
}

LogWriter::LogWriter(const QString& path)
    : fd_(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600))
{
}

LogWriter::~LogWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void LogWriter::line(const QByteArray& text)
{
    const QByteArray whole = text + '\n';
    if (fd_ < 0 || ::write(fd_, whole.constData(), size_t(whole.size())) != whole.size())
        qFatal("cannot write the stress log");
}

namespace {

QString digest(const QString& text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex().left(16));
}

}  // namespace

QString encode_value(const QString& writer, qint64 tick, int key_index)
{
    const int length = int((tick * 37 + key_index * 101) % 4000) + 8;
    const QString filler = QString(length, QChar(char16_t(u'а' + (tick + key_index) % 32)));
    const QString body = QStringLiteral("%1|%2|%3").arg(writer).arg(tick).arg(filler);
    return body + '|' + digest(body);
}

Decoded decode_value(const QString& value)
{
    const qsizetype cut = value.lastIndexOf('|');
    if (cut < 0 || digest(value.left(cut)) != value.mid(cut + 1))
        return {};
    const QStringList parts = value.left(cut).split('|');
    if (parts.size() != 3)
        return {};
    return {true, parts[0], parts[1].toLongLong()};
}

}  // namespace kill_stress
