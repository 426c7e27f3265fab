// The identity a package gives the application folder it lays out: only a folder beside the desktop
// entry of its own name, as a book's package installs it, is told apart from the program's own.
#include "../qstringprinter.h"

#include "platform/appfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(PackagedAppId, IsTheFolderNameWhenItsDesktopEntryIsInstalledBesideIt)
{
    QTemporaryDir root;
    const QString usr = root.filePath(QStringLiteral("usr"));
    touch(usr + QStringLiteral("/lib/org.example.Tides/pellomare"));
    touch(usr + QStringLiteral("/share/applications/org.example.Tides.desktop"));
    touch(usr + QStringLiteral("/lib/tavlo/pellomare"));
    touch(usr + QStringLiteral("/share/applications/org.example.Other.desktop"));
    // A folder named as an entry, but a folder, not the entry file.
    touch(usr + QStringLiteral("/lib/org.example.Dir/pellomare"));
    ASSERT_TRUE(QDir().mkpath(usr + QStringLiteral("/share/applications/org.example.Dir.desktop")));

    EXPECT_EQ(platform::packagedAppId(usr + QStringLiteral("/lib/org.example.Tides")),
              QStringLiteral("org.example.Tides"));
    // Reached through another path to the same folder.
    EXPECT_EQ(platform::packagedAppId(usr + QStringLiteral("/lib/tavlo/../org.example.Tides")),
              QStringLiteral("org.example.Tides"));
    // The runtime's folder, an entry of another name, a build tree's folder: the program's own identity.
    EXPECT_EQ(platform::packagedAppId(usr + QStringLiteral("/lib/tavlo")), QString());
    EXPECT_EQ(platform::packagedAppId(usr + QStringLiteral("/lib/org.example.Dir")), QString());
    EXPECT_EQ(platform::packagedAppId(root.filePath(QStringLiteral("build/app"))), QString());
    EXPECT_EQ(platform::packagedAppId(QStringLiteral("/")), QString());
}

} // namespace
