// Runs a fuzz target over its inputs in the repository, without libFuzzer:
// the hand-written seeds, every input the fuzzer kept, and every input that
// once broke a check are checked again in each build, so a change that breaks one of the target's
// invariants fails the tests even where no fuzzer runs.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (const char* kind : {"seeds", "corpus", "regressions"}) {
        const QDir dir(QStringLiteral(FUZZ_INPUTS "/%1/" FUZZ_TARGET).arg(QLatin1String(kind)));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    // An empty or missing corpus would make this test pass without checking anything.
    return replayed > 0 ? 0 : 1;
}
