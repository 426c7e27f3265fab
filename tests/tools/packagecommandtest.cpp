// tavlo-book package as authors run it: what it refuses before writing anything, and the package it
// writes with the reader's files found beside it, as the runtime's package installs them.
#include "tavlobook.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QProcessEnvironment>
#include <QThread>

#include <functional>

#include <sys/stat.h>

namespace {

using namespace Qt::StringLiterals;

class Package : public TavloBook {
protected:
    // Runs the tavlo-book at program with args, without the maintainer of the environment unless
    // one is given.
    Result runPackage(const QString &program, const QStringList &args,
                      QProcessEnvironment environment = withoutMaintainer()) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.start(program, QStringList{u"package"_s} + args);
        EXPECT_TRUE(process.waitForFinished(60'000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    static QProcessEnvironment withoutMaintainer()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DEBEMAIL"_s);
        environment.remove(u"DEBFULLNAME"_s);
        return environment;
    }

    Result package(const QStringList &args) const { return runPackage(u"" TAVLO_BOOK_EXE ""_s, args); }

    // A book without errors in app/, and the arguments that package it into out/.
    QStringList goodBook() const
    {
        // The blank record is a warning of check, which doesn't stop a book from being packaged.
        writeFile(u"app/tessavanetavlo.tavlo"_s, "Tides<<$$>>start##<p><img src=\"wave.gif\"></p>\n"
                                                 "<p>The sea &amp; the <b>moon</b>.</p><a href=\"moon\">on</a>"
                                                 "~   ~moon##<p>Back to the <a href=\"start\">start</a>.</p>");
        writeFile(u"app/images/wave.gif"_s, "GIF89a");
        writeFile(u"app/notes/more.html"_s, "<p>more</p>");
        writeFile(u"app/.git/config"_s, "hidden");
        return {u"app"_s,
                u"-o"_s,
                u"out"_s,
                u"--id"_s,
                u"org.example.Tides"_s,
                u"--name"_s,
                u"Tides"_s,
                u"--maintainer"_s,
                u"Ada Author <ada@example.org>"_s};
    }

    // The arguments of goodBook() with option replaced by value, or added.
    QStringList with(QStringList args, const QString &option, const QString &value) const
    {
        const qsizetype at = args.indexOf(option);
        if (at < 0)
            args << option << value;
        else
            args[at + 1] = value;
        return args;
    }

    // tavlo-book copied into usr/bin of a tree whose usr/lib/tavlo holds the reader's files as the
    // runtime's package installs them (the reader and component files as stand-ins).
    QString installedTool() const
    {
        const QString usr = dir.filePath(u"root/usr"_s);
        EXPECT_TRUE(QDir().mkpath(usr + u"/bin"_s));
        EXPECT_TRUE(QFile::copy(u"" TAVLO_BOOK_EXE ""_s, usr + u"/bin/tavlo-book"_s));
        EXPECT_TRUE(QDir().mkpath(usr + u"/lib/tavlo"_s));
        EXPECT_TRUE(QFile::copy(u"" TAVLO_BOOK_ICONS ""_s, usr + u"/lib/tavlo/tavlo-book-icons.so"_s));
        writeFile(u"root/usr/lib/tavlo/pellomare"_s, "\x7F"
                                                     "ELF reader");
        writeFile(u"root/usr/lib/tavlo/supportfiles/dhtmled.ocx"_s, "ocx");
        writeFile(u"root/usr/lib/tavlo/supportfiles/triedit.dll"_s, "dll");
        writeFile(u"root/usr/lib/tavlo/images/nxt.gif"_s, "toolbar");
        writeFile(u"root/usr/lib/tavlo/images/wave.gif"_s, "toolbar's wave");
        writeFile(u"root/usr/lib/tavlo/package/control"_s, "Version: 0.1.0-1\nDepends: libc6 (>= 2.34)\n");
        QFile icon(u"" TAVLO_ICON_256 ""_s);
        EXPECT_TRUE(icon.open(QIODevice::ReadOnly));
        writeFile(u"root/usr/lib/tavlo/package/icon.png"_s, icon.readAll());
        QFile manual(u"" TAVLO_READER_MANUAL ""_s);
        EXPECT_TRUE(manual.open(QIODevice::ReadOnly));
        writeFile(u"root/usr/lib/tavlo/package/reader.1"_s, manual.readAll());
        writeFile(u"root/usr/lib/tavlo/package/reader.copyright"_s,
                  "Files: pellomare\nCopyright: 2026 Tavlo\nLicense: Expat\n Terms.\n");
        return usr + u"/bin/tavlo-book"_s;
    }

    QString dpkgDeb(const QStringList &args) const
    {
        QProcess process;
        process.start(u"dpkg-deb"_s, args);
        EXPECT_TRUE(process.waitForFinished(30'000));
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

TEST_F(Package, RefusesWhatWouldMakeABrokenPackageNamingItAndWritesNothing)
{
    const QStringList good = goodBook();
    writeFile(u"small.png"_s, QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9Q"
                                                     "DwADhgGAWjR9awAAAABJRU5ErkJggg=="));
    writeFile(u"picture.svg"_s, "<html>not a picture</html>");
    writeFile(u"wide.svg"_s, "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 64 32\"/>");
    writeFile(u"terms.txt"_s, "\n\n");
    writeFile(u"latin1.txt"_s, "Copyright: J\xF8rgen\n");
    const struct {
        QStringList args;
        const char *problem;
    } cases[] = {
        {with(good, u"--id"_s, u"tides"_s), "is not a reverse-DNS id"},
        {with(good, u"--id"_s, u"org.example"_s), "is not a reverse-DNS id"},
        {with(good, u"--id"_s, u"org.example.2tides"_s), "is not a reverse-DNS id"},
        {with(good, u"--id"_s, u"Org.example.Tides"_s), "is not a reverse-DNS id"},
        {with(good, u"--id"_s, u"org.example.my-book"_s), "is not a reverse-DNS id"},
        {with(good, u"--id"_s, u"org.Example.Tides"_s), "capitals in its domain, which AppStream refuses: give "
                                                        "--id org.example.Tides"},
        // Names that would take what is the machine's: the package and the command come from the id.
        {with(good, u"--id"_s, u"org.example.Bash"_s), "the command \"bash\" is taken: it is the name of a package"},
        {with(good, u"--package"_s, u"tavlo"_s), "\"tavlo\" is a package of every Debian system: give the book's "
                                                 "package another name with --package"},
        {with(good, u"--command"_s, u"sh"_s), "the command \"sh\" is taken: "},
        {with(good, u"--package"_s, u"Tides_Book"_s), "is not a name Debian takes"},
        // Nothing may begin another line of a file of the package.
        {with(good, u"--name"_s, u"Two\nlines"_s), "--name holds a line break"},
        {with(good, u"--maintainer"_s, u"Ada <a@b.org>\nEssential: yes"_s), "--maintainer holds a line break"},
        {with(good, u"--version"_s, u"1.0\n"_s), "--version holds a line break"},
        {with(good, u"--id"_s, u"org.example.Tides\n"_s), "--id holds a line break"},
        {with(good, u"--license"_s, u"CC0-1.0\n"_s), "--license holds a line break"},
        {with(good, u"--summary"_s, u"Tides\u2028Essential: yes"_s), "--summary holds a line break"},
        {with(good, u"--version"_s, u"v1"_s), "is not one Debian takes"},
        {with(good, u"--homepage"_s, u"example.org"_s), "is not an http or https address"},
        {with(good, u"--categories"_s, u"Books & Such"_s), "is not a desktop category name"},
        {with(good, u"--version"_s, u"1.0-"_s), "is not one Debian takes"},
        {with(good, u"--version"_s, u"1 0"_s), "is not one Debian takes"},
        {with(good, u"--icon"_s, u"missing.png"_s), "missing.png: there is no such icon file"},
        {with(good, u"--icon"_s, u"small.png"_s), "is 1\u00D71 pixels; give one of 256\u00D7256 or more"},
        {with(good, u"--icon"_s, u"picture.svg"_s), "is not an SVG picture"},
        {with(good, u"--icon"_s, u"wide.svg"_s), "is 64\u00D732; an icon is square"},
        {with(with(good, u"--license"_s, u"CC-BY-4.0"_s), u"--copyright"_s, u"latin1.txt"_s), "is not UTF-8 text"},
        {with(good, u"--license"_s, u"CC-BY-4.0"_s), "needs its terms in the package: give them with --copyright"},
        {with(good, u"--license"_s, u"My Licence"_s), "is not an SPDX licence name"},
        {with(with(good, u"--license"_s, u"CC-BY-4.0"_s), u"--copyright"_s, u"terms.txt"_s), "holds no terms"},
        {with(good, u"--copyright"_s, u"none.txt"_s), "none.txt: there is no such file"},
        {with(good, u"--maintainer"_s, u""_s), "needs a maintainer: give --maintainer"},
        {with(good, u"--maintainer"_s, u"Ada <ada>"_s), "is not \"Name <mail>\""},
        {with(good, u"--summary"_s, QString(90, u'x')), "is 90 characters long"},
    };
    const QString tool = installedTool(); // which reads PNG icons with the module installed beside it
    for (const auto &c : cases) {
        const Result r = runPackage(tool, c.args);
        EXPECT_EQ(r.exitCode, 1) << c.problem;
        EXPECT_TRUE(r.err.contains(c.problem)) << c.problem << "\n" << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out"_s))) << c.problem;
    }

    // The maintainer from the environment is held to the same.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DEBFULLNAME"_s, u"Ada\nPre-Depends: evil"_s);
    environment.insert(u"DEBEMAIL"_s, u"ada@example.org"_s);
    const Result fromEnvironment = runPackage(u"" TAVLO_BOOK_EXE ""_s, good.mid(0, 7), environment);
    EXPECT_TRUE(fromEnvironment.err.contains("$DEBFULLNAME holds a line break")) << fromEnvironment.err.toStdString();

    // Every problem is named at once.
    const Result both = package(with(with(good, u"--id"_s, u"tides"_s), u"--version"_s, u"x"_s));
    EXPECT_EQ(both.err.count("tavlo-book: "), 2) << both.err.toStdString();

    const Result usage = package({u"app"_s, u"-o"_s, u"out"_s, u"--name"_s, u"Tides"_s});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.contains("needs --id ID and --name NAME")) << usage.err.toStdString();
}

TEST_F(Package, RefusesABookThatCheckFindsAnErrorIn)
{
    const QStringList args = goodBook();
    writeFile(u"app/tessavanetavlo.tavlo"_s, "Tides<<$$>>start##<a href=\"nowhere\">x</a><img src=\"gone.gif\">");
    const Result r = package(args);
    EXPECT_EQ(r.exitCode, 1);
    const QByteArray book = dir.filePath(u"app/tessavanetavlo.tavlo"_s).toUtf8();
    // Named as check names them.
    EXPECT_TRUE(r.err.contains("tavlo-book: app/tessavanetavlo.tavlo: page 0 \"start\": error: the link \"nowhere\""))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("error: the picture \"images\\gone.gif\"")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("not packaged: tavlo-book check finds 2 error(s) in it")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out"_s)));

    // --allow-missing lets through only what the site's distribution left out, and names how much.
    const QString tool = installedTool();
    writeFile(u"app/tessavanetavlo.tavlo"_s, "Tides\n<<$$>>start##<a href=\"gone\">x</a><img src=\"gone.gif\">##x");
    const Result refused = runPackage(tool, args + QStringList{u"--allow-missing"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("finds 2 error(s) in it that --allow-missing doesn't let through") &&
                !refused.err.contains("gone"))
        << refused.err.toStdString();
    writeFile(u"app/tessavanetavlo.tavlo"_s, "Tides<<$$>>start##<a href=\"gone\">x</a><a href=\"lost\">y</a>"
                                             "<img src=\"gone.gif\"><link rel=stylesheet href=\"gone.css\">");
    // What import recorded that the site lacked too is counted apart.
    writeFile(u"app/.tavlo-site-lacks.json"_s, R"({"pages": {"start": ["lost", "gone.gif"]}})");
    const Result allowed = runPackage(tool, args + QStringList{u"--allow-missing"_s});
    EXPECT_EQ(allowed.exitCode, 0);
    EXPECT_TRUE(allowed.err.contains("tavlo-book: app/tessavanetavlo.tavlo: packaged with the errors --allow-missing "
                                     "lets through: 2 dead-link (1 that the site imported lacks too), 1 "
                                     "missing-picture (1 that the site imported lacks too), 1 missing-file\n"))
        << allowed.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(u"out/org.example.tides_1.0-1_all.deb"_s)));

    writeFile(u"empty/readme.txt"_s, "no book here");
    QStringList empty = args;
    empty[0] = u"empty"_s;
    const Result none = package(empty);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("there is no book")) << none.err.toStdString();
}

TEST_F(Package, NeedsTheReaderInstalledBesideIt)
{
    // The tavlo-book of the build tree has no runtime beside it.
    const Result r = package(goodBook());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("install the package tavlo")) << r.err.toStdString();
    EXPECT_TRUE(!QFileInfo::exists(dir.filePath(u"out"_s)) || QDir(dir.filePath(u"out"_s)).isEmpty());
}

TEST_F(Package, LaysTheBookOutWithLinksToTheRuntimesReader)
{
    const QString tool = installedTool();
    QStringList args = with(with(goodBook(), u"--name"_s, u"\u00C5lesund\\Tides!"_s), u"--version"_s, u"2:3.1"_s);
    args = with(with(args, u"--summary"_s, u"The tides of \u00C5lesund."_s), u"--icon"_s, u"" TAVLO_ICON_256 ""_s);
    // A package of that name left by an earlier run is replaced.
    writeFile(u"out/org.example.tides_3.1-1_all.deb"_s, "old");
    const Result r = runPackage(tool, args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString deb = dir.filePath(u"out/org.example.tides_3.1-1_all.deb"_s);
    EXPECT_EQ(r.out, "out/org.example.tides_3.1-1_all.deb\n");
    EXPECT_EQ(QDir(dir.filePath(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"org.example.tides_3.1-1_all.deb"_s});
    EXPECT_EQ(r.err, "tavlo-book: app/.git: left out: a hidden folder\n");

    const QString control = dpkgDeb({u"-f"_s, deb});
    for (const QString &line : {u"Package: org.example.tides\n"_s, u"Version: 2:3.1-1\n"_s, u"Architecture: all\n"_s,
                                u"Depends: tavlo (>= 0.1.0-1)\n"_s, u"Maintainer: Ada Author <ada@example.org>\n"_s})
        EXPECT_TRUE(control.contains(line)) << line.toStdString() << control.toStdString();
    // The Debian synopsis drops the article and the full stop; the description holds the first
    // paragraph with text.
    const QString description = dpkgDeb({u"-f"_s, deb, u"Description"_s});
    EXPECT_TRUE(description.startsWith(u"Tides of \u00C5lesund\n"_s)) << description.toStdString();
    EXPECT_TRUE(description.contains(u" The sea & the moon.\n"_s)) << description.toStdString();

    const QString listing = dpkgDeb({u"-c"_s, deb});
    for (const QString &path : {u"./usr/bin/tides -> ../lib/org.example.Tides/pellomare"_s,
                                u"./usr/lib/org.example.Tides/pellomare -> ../tavlo/pellomare"_s,
                                u"./usr/lib/org.example.Tides/supportfiles -> ../tavlo/supportfiles"_s,
                                u"./usr/lib/org.example.Tides/images/nxt.gif -> ../../tavlo/images/nxt.gif"_s,
                                u"./usr/lib/org.example.Tides/notes/more.html"_s, u"./usr/share/man/man1/tides.1.gz"_s,
                                u"./usr/share/icons/hicolor/16x16/apps/org.example.Tides.png"_s,
                                u"./usr/share/icons/hicolor/256x256/apps/org.example.Tides.png"_s,
                                u"./usr/share/doc/org.example.tides/copyright"_s})
        EXPECT_TRUE(listing.contains(path)) << path.toStdString() << "\n" << listing.toStdString();
    EXPECT_FALSE(listing.contains(u".git"_s)) << "hidden files are left out";

    // The book's picture replaces the toolbar's of the same name.
    ASSERT_EQ(QProcess::execute(u"dpkg-deb"_s, {u"-x"_s, deb, dir.filePath(u"unpacked"_s)}), 0);
    EXPECT_EQ(readFile(u"unpacked/usr/lib/org.example.Tides/images/wave.gif"_s), "GIF89a");
    const QByteArray entry = readFile(u"unpacked/usr/share/applications/org.example.Tides.desktop"_s);
    for (const char *line : {"Name=\xC3\x85lesund\\\\Tides!\n", "Comment=The tides of \xC3\x85lesund\n", "Exec=tides\n",
                             "Icon=org.example.Tides\n", "StartupWMClass=org.example.Tides\n"})
        EXPECT_TRUE(entry.contains(line)) << line << "\n" << entry.toStdString();
    const QByteArray metainfo = readFile(u"unpacked/usr/share/metainfo/org.example.Tides.metainfo.xml"_s);
    EXPECT_TRUE(metainfo.contains("<p>The sea &amp; the moon.</p>")) << metainfo.toStdString();
    EXPECT_TRUE(metainfo.contains("<release version=\"3.1\"")) << metainfo.toStdString();
    EXPECT_TRUE(metainfo.contains("<project_license>LicenseRef-proprietary</project_license>"));
    const QByteArray copyright = readFile(u"unpacked/usr/share/doc/org.example.tides/copyright"_s);
    EXPECT_TRUE(copyright.contains("License: LicenseRef-proprietary\n All rights reserved.\n"))
        << copyright.toStdString();
    EXPECT_TRUE(copyright.contains("\nFiles: pellomare\n")) << "the reader's own terms";
}

} // namespace

// What a hostile application folder holds: only the author's regular files inside it are shipped,
// each other thing is named, and nothing outside is read.
TEST_F(Package, ShipsOnlyTheAuthorsFilesNamingWhatItLeavesOut)
{
    const QString tool = installedTool();
    const QStringList good = goodBook();
    const auto link = [&](const char *target, const QString &name) {
        EXPECT_TRUE(QFile::link(QString::fromLatin1(target), dir.filePath(name)));
    };
    const struct {
        std::function<void()> make;
        QStringList args;
        int exitCode;
        const char *said;
    } cases[] = {
        {[&] { link("/etc/passwd", u"app/notes/secret"_s); }, good, 1,
         "app/notes/secret: is a symbolic link to /etc/passwd, outside the application folder"},
        {[&] { link("/dev/zero", u"app/zero"_s); }, good, 1, "app/zero: is a symbolic link to /dev/zero, outside"},
        {[&] { ::mkfifo(dir.filePath(u"app/pipe"_s).toLocal8Bit().constData(), 0644); }, good, 0,
         "app/pipe: left out: a named pipe"},
        {[&] { writeFile(u"app/old_1.0_all.deb"_s, "!<arch>"); }, good, 0,
         "app/old_1.0_all.deb: left out: a Debian package"},
        {[&] { QDir().mkpath(dir.filePath(u"app/out"_s)); }, with(good, u"-o"_s, u"app/out"_s), 0,
         "app/out: left out: the folder the package is written in"},
        {[&] { link("../tessavanetavlo.tavlo", u"app/notes/book"_s); }, good, 0, ""},
    };
    for (const auto &c : cases) {
        QDir(dir.filePath(u"app"_s)).removeRecursively();
        QDir(dir.filePath(u"out"_s)).removeRecursively();
        goodBook();
        c.make();
        const Result r = runPackage(tool, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.said << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.said)) << c.said << "\n" << r.err.toStdString();
        const QString out = dir.filePath(c.args[c.args.indexOf(u"-o"_s) + 1]);
        EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), c.exitCode == 0 ? 1 : 0) << c.said;
    }

    // Interrupted while dpkg-deb builds the package, or killed outright: no file is left, and no
    // program it started.
    QDir(dir.filePath(u"out"_s)).removeRecursively();
    QFile big(dir.filePath(u"app/big.bin"_s));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(400) << 20));
    big.close();
    QProcessEnvironment environment = withoutMaintainer();
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"tmp"_s)));
    environment.insert(u"TMPDIR"_s, dir.filePath(u"tmp"_s));
    const auto left = [&] {
        return QDir(dir.filePath(u"tmp"_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    for (const bool outright : {false, true}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.start(tool, QStringList{u"package"_s} + good);
        ASSERT_TRUE(process.waitForStarted());
        QDeadlineTimer deadline(60'000);
        const auto building = [&] {
            QDirIterator it(dir.filePath(u"tmp"_s), {u"package.deb"_s}, QDir::Files, QDirIterator::Subdirectories);
            return it.hasNext();
        };
        while (!deadline.hasExpired() && !building() && process.state() == QProcess::Running)
            process.waitForFinished(20);
        ASSERT_TRUE(building()) << outright;
        outright ? process.kill() : process.terminate();
        ASSERT_TRUE(process.waitForFinished(30'000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "ended by its signal";
        // Those of its own programs that are running, by the test's folder in their arguments.
        const auto running = [&] {
            QStringList pids;
            for (const QString &pid : QDir(u"/proc"_s).entryList({u"[0-9]*"_s}, QDir::Dirs)) {
                QFile cmdline(u"/proc/%1/cmdline"_s.arg(pid));
                if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(dir.path().toLocal8Bit()))
                    pids.append(pid);
            }
            return pids;
        };
        // Killed outright, tavlo-book leaves the ending and removing to its watchdog.
        for (QDeadlineTimer done(10'000); !done.hasExpired() && !(left().isEmpty() && running().isEmpty());)
            QThread::msleep(20);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out"_s))) << outright;
        EXPECT_EQ(left(), QStringList()) << outright;
        EXPECT_EQ(running(), QStringList()) << outright;
    }
}

// Books install side by side into one root as dpkg installs them, and a book renamed is the same
// package, upgraded in place; a book named as a program of the system takes none of its names.
TEST_F(Package, BooksInstallSideBySideAndARenamedBookUpgradesInPlace)
{
    const QString tool = installedTool();
    const QString root = dir.filePath(u"target"_s);
    for (const QString &folder : {u"/var/lib/dpkg/info"_s, u"/var/lib/dpkg/updates"_s})
        ASSERT_TRUE(QDir().mkpath(root + folder));
    writeFile(u"target/var/lib/dpkg/status"_s, "");
    const auto install = [&](const QStringList &args) {
        const Result made = runPackage(tool, args);
        EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
        QProcess dpkg;
        dpkg.start(u"dpkg"_s, {u"--root="_s + root, u"--force-not-root"_s, u"--force-depends"_s, u"--log=/dev/null"_s,
                               u"-i"_s, dir.filePath(QString::fromUtf8(made.out.trimmed()))});
        EXPECT_TRUE(dpkg.waitForFinished(60'000));
        EXPECT_EQ(dpkg.exitCode(), 0) << dpkg.readAllStandardError().toStdString();
        QProcess query;
        query.start(u"dpkg-query"_s, {u"--admindir="_s + root + u"/var/lib/dpkg"_s, u"-W"_s});
        EXPECT_TRUE(query.waitForFinished(30'000));
        return QString::fromUtf8(query.readAllStandardOutput());
    };
    const QStringList tides = goodBook();
    install(tides);
    EXPECT_EQ(install(with(with(tides, u"--id"_s, u"org.example.Shells"_s), u"--name"_s, u"Bash"_s)),
              u"org.example.shells\t1.0-1\norg.example.tides\t1.0-1\n"_s);
    // Renamed, and described at last.
    writeFile(u"about.txt"_s, "The tides\nof the North.\n\nWith tables.\n");
    writeFile(u"terms.txt"_s, "Copyright: 2026 Jane Doe\n\nShare alike.\n");
    QStringList renamed = with(with(tides, u"--name"_s, u"Tides of the North"_s), u"--version"_s, u"1.1"_s);
    renamed = with(with(renamed, u"--description"_s, u"about.txt"_s), u"--homepage"_s, u"https://example.org/t"_s);
    renamed = with(with(renamed, u"--categories"_s, u"Education;Science"_s), u"--license"_s, u"CC-BY-SA-4.0"_s);
    EXPECT_EQ(install(with(renamed, u"--copyright"_s, u"terms.txt"_s)),
              u"org.example.shells\t1.0-1\norg.example.tides\t1.1-1\n"_s);
    const QByteArray entry = readFile(u"target/usr/share/applications/org.example.Tides.desktop"_s);
    EXPECT_TRUE(entry.contains("Name=Tides of the North\n") && entry.contains("Categories=Education;Science;\n"))
        << entry.toStdString();
    const QByteArray metainfo = readFile(u"target/usr/share/metainfo/org.example.Tides.metainfo.xml"_s);
    EXPECT_TRUE(metainfo.contains("<p>The tides of the North.</p>\n    <p>With tables.</p>")) << metainfo.toStdString();
    EXPECT_TRUE(metainfo.contains("<url type=\"homepage\">https://example.org/t</url>")) << metainfo.toStdString();
    EXPECT_TRUE(
        readFile(u"target/usr/share/doc/org.example.tides/copyright"_s).contains("\nCopyright: 2026 Jane Doe\n"));
    EXPECT_TRUE(QFileInfo(root + u"/usr/bin/shells"_s).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(root + u"/usr/bin/bash"_s));
}
