// Installing and registering the page view component, in a temporary data folder.
#include "../qstringprinter.h"

#include <platform/components.h>
#include <platform/filesystem.h>
#include <startup/regmod.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kControlClass = QStringLiteral("DHTMLEDLibCtl.DHTMLEdit");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        QDir().mkpath(home.filePath(QStringLiteral("data")));
        control = contents(QStringLiteral(TAVLO_CONTROL_FILE));
        library = contents(QStringLiteral(TAVLO_LIBRARY_FILE));
        ASSERT_FALSE(control.isEmpty());
        ASSERT_FALSE(library.isEmpty());
    }

    QString installed(const QString &name) const
    {
        return home.filePath(QStringLiteral("data/TessavaneTavlo/")) + name;
    }
    QString inApp(const QString &name) const { return app.filePath(name); }
    void install() { regmod::installSupportFilesFrom(app.path(), platform::FileSystem()); }

    // Makes the install folder and the files in it read-only, as an account's data folder may be.
    // The superuser that tests may run as writes into a read-only folder all the same, but the
    // installation never replaces a write-protected file, so the copy fails either way.
    void makeInstallFolderReadOnly()
    {
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup;
        for (const QString &name : QDir(installed(QString())).entryList(QDir::Files))
            ASSERT_TRUE(QFile::setPermissions(installed(name), readOnly));
        ASSERT_TRUE(QFile::setPermissions(installed(QString()), readOnly | QFile::ExeOwner | QFile::ExeGroup));
    }
    void TearDown() override
    {
        // So that the temporary folder can be removed by an account that is not the superuser.
        QFile::setPermissions(installed(QString()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // True when a library of the install folder is loaded in this process.
    bool installFolderLoaded() const
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(QFile::encodeName(installed(QString())));
    }

    QTemporaryDir home;
    QTemporaryDir app;
    QByteArray control;
    QByteArray library;
};

TEST_F(InstallTest, FirstStartCreatesTheFolderCopiesBothFilesAndRegistersThem)
{
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    ASSERT_FALSE(QFileInfo::exists(installed(QString())));

    install();

    EXPECT_EQ(contents(installed(QStringLiteral("dhtmled.ocx"))), control);
    EXPECT_EQ(contents(installed(QStringLiteral("triedit.dll"))), library);
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), installed(QStringLiteral("dhtmled.ocx")));
}

TEST_F(InstallTest, LaterStartsCopyAgainOverTheInstalledFiles)
{
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    writeFile(installed(QStringLiteral("dhtmled.ocx")), "an older control");
    install();
    EXPECT_EQ(contents(installed(QStringLiteral("dhtmled.ocx"))), control);
    EXPECT_EQ(QDir(installed(QString())).entryList(QDir::Files).size(), 2);
}

TEST_F(InstallTest, EachFileIsTakenFromWhereverItIsAndTheSupportFilesFolderWins)
{
    writeFile(inApp(QStringLiteral("dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    writeFile(inApp(QStringLiteral("triedit.dll")), "the second source of the library");
    install();
    EXPECT_EQ(contents(installed(QStringLiteral("dhtmled.ocx"))), control);
    EXPECT_EQ(contents(installed(QStringLiteral("triedit.dll"))), library);
}

TEST_F(InstallTest, WithoutSourcesAnEarlierInstallationIsRegisteredAgain)
{
    writeFile(installed(QStringLiteral("dhtmled.ocx")), control);
    writeFile(installed(QStringLiteral("triedit.dll")), library);
    install();
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), installed(QStringLiteral("dhtmled.ocx")));
    EXPECT_TRUE(regmod::componentFiles(app.path()).contains(installed(QStringLiteral("dhtmled.ocx"))));
}

TEST_F(InstallTest, AWriteProtectedInstalledFileIsKeptButANewerSourceIsRegistered)
{
    writeFile(installed(QStringLiteral("dhtmled.ocx")), control);
    writeFile(installed(QStringLiteral("triedit.dll")), library);
    QFile::setPermissions(installed(QStringLiteral("dhtmled.ocx")), QFile::ReadOwner | QFile::ReadGroup);
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control + QByteArray("a newer build"));
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    writeFile(inApp(QStringLiteral("dhtmled.ocx")), "the second source is not tried after a failed copy");

    install();

    EXPECT_EQ(contents(installed(QStringLiteral("dhtmled.ocx"))), control);
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), inApp(QStringLiteral("supportfiles/dhtmled.ocx")));
    EXPECT_FALSE(regmod::componentFiles(app.path()).contains(installed(QStringLiteral("dhtmled.ocx"))));
}

TEST_F(InstallTest, AReadOnlyInstallFolderHoldingPlantedLibrariesLoadsTheSourcesInstead)
{
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    writeFile(inApp(QStringLiteral("dhtmled.ocx")), "the second source is not taken when the first exists");
    writeFile(installed(QStringLiteral("dhtmled.ocx")), library);
    writeFile(installed(QStringLiteral("triedit.dll")), library + QByteArray("planted"));
    makeInstallFolderReadOnly();

    install();

    EXPECT_EQ(contents(installed(QStringLiteral("dhtmled.ocx"))), library);
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), inApp(QStringLiteral("supportfiles/dhtmled.ocx")));
    EXPECT_EQ(platform::registeredComponentFile(QStringLiteral("TriEdit.TriEditDocument")),
              inApp(QStringLiteral("supportfiles/triedit.dll")));
    EXPECT_FALSE(installFolderLoaded());
    const QStringList trusted = regmod::componentFiles(app.path());
    EXPECT_FALSE(trusted.contains(installed(QStringLiteral("dhtmled.ocx"))));
    EXPECT_TRUE(trusted.contains(inApp(QStringLiteral("supportfiles/dhtmled.ocx"))));
}

TEST_F(InstallTest, ALibraryPlantedBesideAnIntactControlKeepsTheControlFromLoadingThere)
{
    // The control loads the library that lies beside it: the installed control, though it is its
    // source's copy, would bring the planted library with it.
    writeFile(inApp(QStringLiteral("dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("triedit.dll")), library);
    writeFile(installed(QStringLiteral("dhtmled.ocx")), control);
    writeFile(installed(QStringLiteral("triedit.dll")), library + QByteArray("planted"));
    makeInstallFolderReadOnly();

    install();

    EXPECT_EQ(platform::registeredComponentFile(kControlClass), inApp(QStringLiteral("dhtmled.ocx")));
    EXPECT_EQ(platform::registeredComponentFile(QStringLiteral("TriEdit.TriEditDocument")),
              inApp(QStringLiteral("triedit.dll")));
    EXPECT_FALSE(installFolderLoaded());
    EXPECT_FALSE(regmod::componentFiles(app.path()).contains(installed(QStringLiteral("dhtmled.ocx"))));
}

TEST_F(InstallTest, AReadOnlyInstallFolderHoldingTheSourcesBytesIsStillUsed)
{
    writeFile(installed(QStringLiteral("dhtmled.ocx")), control);
    writeFile(installed(QStringLiteral("triedit.dll")), library);
    makeInstallFolderReadOnly();
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("triedit.dll")), library);

    install();

    EXPECT_EQ(platform::registeredComponentFile(kControlClass), installed(QStringLiteral("dhtmled.ocx")));
    EXPECT_EQ(platform::registeredComponentFile(QStringLiteral("TriEdit.TriEditDocument")),
              installed(QStringLiteral("triedit.dll")));
    EXPECT_TRUE(regmod::componentFiles(app.path()).contains(installed(QStringLiteral("dhtmled.ocx"))));
}

TEST_F(InstallTest, FailingRegistrationsAreIgnoredAndBothAreAttempted)
{
    writeFile(installed(QStringLiteral("dhtmled.ocx")), "not a library");
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    install();
    EXPECT_TRUE(platform::registeredComponentFile(kControlClass).isEmpty());
    EXPECT_EQ(platform::registeredComponentFile(QStringLiteral("TriEdit.TriEditDocument")),
              installed(QStringLiteral("triedit.dll")));
}

TEST_F(InstallTest, ADamagedSourceDoesNotReplaceAWorkingInstalledComponent)
{
    writeFile(installed(QStringLiteral("dhtmled.ocx")), control);
    writeFile(installed(QStringLiteral("triedit.dll")), library);
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), "a download that broke off");
    writeFile(inApp(QStringLiteral("dhtmled.ocx")), "the second source is not tried after a refused copy");
    install();
    EXPECT_EQ(contents(installed(QStringLiteral("dhtmled.ocx"))), control);
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), installed(QStringLiteral("dhtmled.ocx")));
    EXPECT_TRUE(regmod::componentFiles(app.path()).contains(installed(QStringLiteral("dhtmled.ocx"))));
}

TEST_F(InstallTest, AControlCutShortOrMadeForAnotherMachineDoesNotReplaceTheInstalledOne)
{
    writeFile(installed(QStringLiteral("triedit.dll")), library);
    // Whole headers all, but cut inside the program headers, in the middle, and in the very last byte;
    // and whole but for another machine (the machine field follows the type).
    QByteArray otherMachine = control;
    otherMachine[18] = char(~otherMachine[18]);
    const std::pair<const char *, QByteArray> damaged[] = {{"cut after 100 bytes", control.first(100)},
                                                           {"cut in half", control.first(control.size() / 2)},
                                                           {"cut by a byte", control.chopped(1)},
                                                           {"for another machine", otherMachine}};
    for (const auto &[what, bytes] : damaged) {
        // A new file each time: registration has loaded the last one, which must not change under it.
        QFile::remove(installed(QStringLiteral("dhtmled.ocx")));
        writeFile(installed(QStringLiteral("dhtmled.ocx")), control);
        writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), bytes);
        install();
        EXPECT_TRUE(contents(installed(QStringLiteral("dhtmled.ocx"))) == control) << what;
        EXPECT_EQ(platform::registeredComponentFile(kControlClass), installed(QStringLiteral("dhtmled.ocx"))) << what;
    }
    // What is whole is taken, even with bytes after its end.
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control + QByteArray("a newer build"));
    install();
    EXPECT_TRUE(contents(installed(QStringLiteral("dhtmled.ocx"))) == control + QByteArray("a newer build"));
}

TEST_F(InstallTest, NothingAnywhereEndsQuietly)
{
    install();
    EXPECT_TRUE(QFileInfo(installed(QString())).isDir());
    EXPECT_TRUE(platform::registeredComponentFile(kControlClass).isEmpty());
}

TEST_F(InstallTest, AnUnusableDataFolderLeavesTheComponentRegisteredWhereItsSourcesLie)
{
    // A fresh account whose data folder can't be written (here a file stands in its place; a
    // read-only folder does not stop the superuser that tests may run as).
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    QDir(home.filePath(QStringLiteral("data"))).removeRecursively();
    writeFile(home.filePath(QStringLiteral("data")), "a file where the data folder should be");
    install();
    EXPECT_FALSE(QFileInfo::exists(installed(QStringLiteral("dhtmled.ocx"))));
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), inApp(QStringLiteral("supportfiles/dhtmled.ocx")));
    EXPECT_TRUE(regmod::componentFiles(app.path()).contains(inApp(QStringLiteral("supportfiles/dhtmled.ocx"))));
}

TEST_F(InstallTest, OnlyTheFilesTheInstallationMadeAreLoaded)
{
    // A library planted beside the installed control under the registration path's letter case.
    writeFile(inApp(QStringLiteral("supportfiles/dhtmled.ocx")), control);
    writeFile(inApp(QStringLiteral("supportfiles/triedit.dll")), library);
    writeFile(installed(QStringLiteral("DhtmlED.OCX")), library);
    install();
    EXPECT_EQ(platform::registeredComponentFile(kControlClass), installed(QStringLiteral("dhtmled.ocx")));
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("DhtmlED.OCX"));
    EXPECT_FALSE(regmod::componentFiles(app.path()).contains(installed(QStringLiteral("DhtmlED.OCX"))));
}

} // namespace
