#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What a fuzz target defines: LLVMFuzzerTestOneInput, and LLVMFuzzerInitialize where it has
// something to set up. The replay driver calls the latter once before the inputs, as libFuzzer does.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fuzz {

// The file being replayed, for the report of a failed check; libFuzzer names its input itself.
inline const char *currentInput = nullptr;

[[noreturn]] inline void fail(const char *file, int line, const char *condition, const QString &detail)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    if (currentInput)
        std::fprintf(stderr, "  input: %s\n", currentInput);
    std::abort();
}

// A path in a temporary folder that lasts for the whole run. Qt's warnings are silenced: a target
// that makes files warns of every name it refuses, which is no finding, only noise.
inline QString runFolderPath(const QString &name)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    static const QTemporaryDir root;
    if (!root.isValid())
        std::abort();
    return root.filePath(name);
}

} // namespace fuzz

// A property that must hold for every input; a violation aborts, which libFuzzer reports as a crash.
// Unlike assert() it stays on in every build type.
#define FUZZ_CHECK(condition) ((condition) ? void() : fuzz::fail(__FILE__, __LINE__, #condition, QString()))
#define FUZZ_CHECK_MSG(condition, detail) ((condition) ? void() : fuzz::fail(__FILE__, __LINE__, #condition, (detail)))
