// Runs a fuzz target once over every file of the folders given, in name order, without libFuzzer:
// the seed corpus and the inputs that once failed stay ordinary tests of the normal build.
#include "fuzzcheck.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (int a = 1; a < argc; ++a) {
        const QDir folder(QString::fromLocal8Bit(argv[a]));
        const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        // A missing or empty folder is a mistake in the test's set-up, not a pass.
        if (!folder.exists() || names.isEmpty()) {
            std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[a]);
            return 1;
        }
        for (const QString &name : names) {
            const QString path = folder.filePath(name);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "%s: can't read %s\n", argv[0], qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            const QByteArray shown = path.toLocal8Bit();
            fuzz::currentInput = shown.constData();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
        }
        std::printf("%s: %lld inputs of %s passed\n", argv[0], static_cast<long long>(names.size()), argv[a]);
    }
    return 0;
}
