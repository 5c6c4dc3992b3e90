// Fuzz target: the call journal reading a database file it did not write
// (journal::Journal over any bytes: damaged pages, foreign schemas, wrong
// versions, a file that is no database).
//
// Input: the whole file. The journal lists it, counts it, fetches rows by
// id, and tries one write. Whatever the bytes: no crash; a query that
// reports success agrees with the count; and a journal found damaged (or of
// a schema it does not know) is not written: its bytes stay as they were.
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

#include "bench/fuzz/fuzz_support.h"
#include "journal/journal.h"

namespace {

QTemporaryDir* folder = nullptr;

QByteArray read_all(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = folder->filePath(QStringLiteral("journal.sqlite"));
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    journal::Journal journal(path);
    const QList<journal::CallRecord> all = journal.fetch_all({});
    const bool listed = journal.read_ok();
    const int counted = journal.count({});
    if (listed && journal.read_ok())
        fuzz::expect(counted == all.size(), "a listing that succeeded agrees with the count",
                     QStringLiteral("%1 listed, %2 counted").arg(all.size()).arg(counted));
    QList<qint64> ids;
    for (const journal::CallRecord& record : all)
        ids << record.id;
    const QList<journal::CallRecord> again = journal.fetch_ids(ids);
    if (journal.read_ok())
        fuzz::expect(again.size() == all.size(), "rows fetched by id are the rows listed");

    const QByteArray before = read_all(path);
    const bool damaged_before = journal.damaged();
    const qint64 id = journal.call_started("1", "model", journal::Direction::In, "0501234567", 1714550400000);
    if (damaged_before || journal.damaged())
        fuzz::expect(id == 0 && read_all(path) == before, "a damaged journal is not written");
    return 0;
}
