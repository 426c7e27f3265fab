#include "../qstringprinter.h"
#include "datafolder.h"

#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <utility>

#include <sys/stat.h>

namespace {

class FileSystem : public DataFolderTest {
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    static void write(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray contents(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static int failureNumber(const std::function<void()> &action)
    {
        try {
            action();
        } catch (const platform::Failure &failure) {
            return failure.number();
        }
        return 0;
    }

    platform::FileSystem fs;
};

TEST_F(FileSystem, CopyReplacesAFileUnlessItIsWriteProtected)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("install")));
    write(path("dhtmled.ocx"), "new");
    write(path("install/dhtmled.ocx"), "old");
    fs.copyFile(path("dhtmled.ocx"), path("install") + u'\\', true);
    EXPECT_EQ(contents(path("install/dhtmled.ocx")), "new");

    // Write-protected: the superuser too is refused, and the file stays whole.
    write(path("install/dhtmled.ocx"), "old");
    ASSERT_TRUE(QFile::setPermissions(path("install/dhtmled.ocx"), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_EQ(failureNumber([&] { fs.copyFile(path("dhtmled.ocx"), path("install") + u'\\', true); }),
              platform::error::PermissionDenied);
    EXPECT_EQ(contents(path("install/dhtmled.ocx")), "old");
    EXPECT_EQ(QDir(path("install")).entryList(QDir::Files), QStringList{QStringLiteral("dhtmled.ocx")});

    EXPECT_EQ(failureNumber([&] { fs.copyFile(path("missing.dll"), path("install") + u'\\', true); }),
              platform::error::FileNotFound);
    EXPECT_EQ(failureNumber([&] { fs.copyFile(path("dhtmled.ocx"), path("nowhere") + u'\\', true); }),
              platform::error::PathNotFound);
}

TEST_F(FileSystem, CreatesTheInstallFolderOnDriveC)
{
    const QString folder = QStringLiteral("c:\\TessavaneTavlo");
    EXPECT_FALSE(fs.folderExists(folder));
    fs.createFolder(folder);
    EXPECT_TRUE(fs.folderExists(folder));
    EXPECT_TRUE(QFileInfo(data.filePath(QStringLiteral("TessavaneTavlo"))).isDir());
    EXPECT_NE(failureNumber([&] { fs.createFolder(folder); }), 0);
    EXPECT_EQ(failureNumber([&] { fs.createFolder(QStringLiteral("c:\\a\\b")); }), platform::error::PathNotFound);
}

TEST_F(FileSystem, OpeningWhatIsNoFileFailsAndCreatesNothing)
{
    EXPECT_EQ(failureNumber([&] { fs.openTextFile(path("missing.tavlo")); }), platform::error::FileNotFound);
    EXPECT_FALSE(QFileInfo::exists(path("missing.tavlo")));
    EXPECT_EQ(failureNumber([&] { fs.fileSize(path("missing.tavlo")); }), platform::error::FileNotFound);
    EXPECT_EQ(failureNumber([&] { fs.openTextFile(dir.path()); }), platform::error::PermissionDenied);

    // A named pipe or a device in the file's place says what it is, at once: nothing waits for a
    // writer that never comes, or reads for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.tavlo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path("zero.tavlo")));
    for (const auto &[name, what] : {std::pair{"pipe.tavlo", "is a named pipe, not a regular file"},
                                     std::pair{"zero.tavlo", "is a character device, not a regular file"}}) {
        try {
            fs.openTextFile(path(name));
            ADD_FAILURE() << name << " opened";
        } catch (const platform::Failure &failure) {
            EXPECT_EQ(failure.number(), platform::error::PathFileAccess) << name;
            EXPECT_TRUE(failure.description().contains(QLatin1String(what))) << failure.description().toStdString();
        }
    }
}

TEST_F(FileSystem, ReadsTheWholeFileThenFailsPastTheEnd)
{
    const QByteArray bytes("caf\xe9\r\n\x80~", 8);
    write(path("book.tavlo"), bytes);
    EXPECT_EQ(fs.fileSize(dir.path() + QStringLiteral("\\BOOK.tavlo ")), 8);
    platform::TextStream stream = fs.openTextFile(path("book.tavlo"));
    EXPECT_EQ(stream.read(3), "caf");
    EXPECT_EQ(stream.read(100), bytes.sliced(3));
    EXPECT_EQ(failureNumber([&] { stream.read(1); }), platform::error::InputPastEndOfFile);

    write(path("empty.tavlo"), QByteArray());
    platform::TextStream empty = fs.openTextFile(path("empty.tavlo"));
    EXPECT_EQ(failureNumber([&] { empty.read(0); }), platform::error::InputPastEndOfFile);
}

} // namespace
