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
    for (const char *rest : {"\\images\\pre.gif ", "/images/pre.gif", "\\\\images//\\pre.gif", "/images \\pre.gif  "})
        EXPECT_EQ(platform::toHostPath(dir.path() + QString::fromLatin1(rest)), expected) << rest;
    // Leading and inner blanks are part of a name.
    EXPECT_EQ(platform::toHostPath(dir.path() + QStringLiteral("\\ my  pictures\\a.gif")),
              dir.path() + QStringLiteral("/ my  pictures/a.gif"));
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
