// The import's copies of a site's files, made on threads of their own.
#include "author/filecopier.h"
#include "author/refusal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Files into a few folders, all there once finish() is back, their folders made; more added after; a
// file that can't be read stops the copies with a refusal naming it.
TEST(FileCopier, CopiesEveryFileBeforeFinishReturnsAndNamesTheOneThatFails)
{
    QTemporaryDir dir;
    for (int i = 0; i < 30; ++i) {
        QFile file(dir.filePath(QStringLiteral("s%1").arg(i)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(i).repeated(i));
    }
    FileCopier copier(2);
    for (int i = 0; i < 30; ++i)
        copier.add(dir.filePath(QStringLiteral("s%1").arg(i)),
                   dir.filePath(QStringLiteral("out/f%1/c%2").arg(i % 3).arg(i)));
    copier.finish();
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(contentOf(dir.filePath(QStringLiteral("out/f%1/c%2").arg(i % 3).arg(i))),
                  QByteArray::number(i).repeated(i))
            << i;

    copier.add(dir.filePath(QStringLiteral("s1")), dir.filePath(QStringLiteral("again/c1")));
    copier.add(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("again/c2")));
    try {
        copier.finish();
        ADD_FAILURE() << "no refusal";
    } catch (const Refusal &refusal) {
        EXPECT_TRUE(
            refusal.problems().join(u' ').startsWith(dir.filePath(QStringLiteral("gone")) + u": can't be copied to "))
            << refusal.problems().join(u' ').toStdString();
    }
}

} // namespace
