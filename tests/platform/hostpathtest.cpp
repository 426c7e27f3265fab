#include "../qstringprinter.h"
#include "datafolder.h"

#include "platform/hostpath.h"

#include <QDir>
#include <QFile>

namespace {

using HostPath = DataFolderTest;

void touch(const QString &path)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST_F(HostPath, DriveCIsTheDataFolderAndOtherDrivesAreNowhere)
{
    EXPECT_EQ(platform::driveCFolder(), data.path());
    EXPECT_EQ(platform::toHostPath(QStringLiteral("c:\\TessavaneTavlo\\dhtmled.ocx")),
              data.path() + QStringLiteral("/TessavaneTavlo/dhtmled.ocx"));
    EXPECT_EQ(platform::toHostPath(QStringLiteral("C:\\")), data.path());
    for (const char *name : {"d:\\TessavaneTavlo", "Z:/x.gif"})
        EXPECT_EQ(platform::toHostPath(QString::fromLatin1(name)), QString()) << name;
}

TEST_F(HostPath, SeparatorsAndTrailingBlanks)
{
    const QString expected = dir.path() + QStringLiteral("/images/pre.gif");
    for (const char *rest : {"\\images\\pre.gif ", "/images/pre.gif", "\\\\images//\\pre.gif", "/images\\pre.gif  "})
        EXPECT_EQ(platform::toHostPath(dir.path() + QString::fromLatin1(rest)), expected) << rest;
    // Leading and inner blanks are part of a name.
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\ my  pictures\\a.gif")),
              dir.path() + QStringLiteral("/ my  pictures/a.gif"));
    // A name of blanks alone names no file in its folder.
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\images\\  ")),
              dir.path() + QStringLiteral("/images"));
}

TEST_F(HostPath, OnlyTheFileNameLosesItsTrailingBlanks)
{
    // The program and its book in a folder whose name ends with a blank; a picture name written with
    // a blank, in folders written with blanks.
    const QString app = dir.path() + QStringLiteral("/my book ");
    touch(app + QStringLiteral("/tessavanetavlo.tavlo"));
    touch(app + QStringLiteral("/images  /pre.gif"));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\my book \\tessavanetavlo.tavlo")),
              app + QStringLiteral("/tessavanetavlo.tavlo"));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\my book \\images  \\pre.gif ")),
              app + QStringLiteral("/images  /pre.gif"));
    // Letter case aside, the folder still keeps its blank.
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\MY BOOK \\Images  \\PRE.GIF ")),
              app + QStringLiteral("/images  /pre.gif"));
    // A folder named with the blank is not the folder named without it.
    touch(dir.path() + QStringLiteral("/my book/tessavanetavlo.tavlo"));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\my book\\tessavanetavlo.tavlo")),
              dir.path() + QStringLiteral("/my book/tessavanetavlo.tavlo"));
}

TEST_F(HostPath, AFileNameThatExistsWithItsTrailingBlankIsTakenAsWritten)
{
    touch(dir.filePath(QStringLiteral("note ")));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\note ")), dir.filePath(QStringLiteral("note ")));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\note  ")), dir.filePath(QStringLiteral("note")));
    // Even where the name without the blank exists too, and for the files the program installed.
    touch(dir.filePath(QStringLiteral("note")));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\note ")), dir.filePath(QStringLiteral("note ")));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\note "), platform::LetterCase::Exact),
              dir.filePath(QStringLiteral("note ")));
}

TEST_F(HostPath, FallsBackToAnEntryThatDiffersInCase)
{
    touch(data.filePath(QStringLiteral("tessavanetavlo/dhtmled.ocx")));
    EXPECT_EQ(platform::toHostPath(QStringLiteral("c:\\TessavaneTavlo\\DhtmlED.OCX")),
              data.filePath(QStringLiteral("tessavanetavlo/dhtmled.ocx")));

    touch(dir.filePath(QStringLiteral("A.gif")));
    touch(dir.filePath(QStringLiteral("a.gif")));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\a.gif")), dir.filePath(QStringLiteral("a.gif")));
    // Neither written so: the first in name order, whatever the order of the folder.
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\a.GIF")), dir.filePath(QStringLiteral("A.gif")));
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\New\\B.gif")),
              dir.filePath(QStringLiteral("New/B.gif")));
}

} // namespace
