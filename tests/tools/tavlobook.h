#pragma once

// Runs the built tavlo-book as its users do, in a temporary folder of its own.
#include "../qstringprinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class TavloBook : public testing::Test {
protected:
    Result run(const QStringList &args) const
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(TAVLO_BOOK_EXE), args);
        EXPECT_TRUE(process.waitForFinished(30'000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QString writeBook(const char *name, const QByteArray &bytes) const
    {
        return writeFile(QString::fromLatin1(name), bytes);
    }

    // Writes a file of the temporary folder, making its folders; name is relative to it.
    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
        return path;
    }

    QByteArray readFile(const QString &name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QTemporaryDir dir;
};
