// tavlo-book import: a folder of linked HTML pages becomes an application folder whose book checks and
// shows as the site did.
#include "tavlobook.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using namespace Qt::StringLiterals;

const QString kSite = QStringLiteral(TAVLO_TEST_SITE);

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(dir.filePath(entry)).isDir())
            for (const QString &inner : filesUnder(dir.filePath(entry)))
                files.append(entry + u'/' + inner);
        else
            files.append(entry);
    }
    return files;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST_F(TavloBook, ImportMakesAnApplicationFolderThatChecksAndShows)
{
    const Result r = run({QStringLiteral("import"), kSite, QStringLiteral("-o"), QStringLiteral("out")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.split('\n');
    // The start page, the rel="next" chain, then the page the chain misses.
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], "0\t\"index.html\"\tindex.html");
    EXPECT_EQ(lines[1], "1\t\"chapters/one.html\"\tchapters/one.html");
    EXPECT_EQ(lines[2], "2\t\"chapters/two.html\"\tchapters/two.html");
    EXPECT_EQ(lines[3], "3\t\"extra/appendix.html\"\textra/appendix.html");
    EXPECT_TRUE(lines[4].startsWith("changed: 9 links pointed at pages, 0 at copied files; 1 pictures copied into "
                                    "images/, 3 other files copied; 3 \"~\", 1 \"##\" and 0 \"<<$$>>\" written as "
                                    "references; 1 characters outside Windows-1252 written as references; 1 scripts "
                                    "and 1 style sheets moved into files"))
        << lines[4].toStdString();
    EXPECT_TRUE(r.out.contains("left: index.html:13: \"../outside.html\": outside the site (1 references)\n"))
        << r.out.toStdString();

    // The picture used twice is copied once under images/; what the style sheets use keeps its place;
    // nothing unused and nothing outside the site comes along.
    EXPECT_EQ(filesUnder(dir.filePath(QStringLiteral("out"))),
              QStringList({u"css/site.css"_s, u"fonts/sea.woff"_s, u"images/pics/logo.png"_s, u"pics/bg.png"_s,
                           u"tavlo-inline/index-1.css"_s, u"tavlo-inline/index-1.js"_s, u"tessavanetavlo.tavlo"_s}));
    EXPECT_EQ(readFile(QStringLiteral("out/images/pics/logo.png")), contentsOf(kSite + u"/pics/logo.png"));
    // Style and script text that references can't stand in, in UTF-8 files; the style's references
    // climb out of the folder it lies in.
    EXPECT_EQ(readFile(QStringLiteral("out/tavlo-inline/index-1.css")),
              "\xEF\xBB\xBFh1 ~ p { color: navy; background: url(\"../pics/bg.png\") }");
    EXPECT_EQ(readFile(QStringLiteral("out/tavlo-inline/index-1.js")),
              "\xEF\xBB\xBFvar flags = ~0; // ## not a page separator");

    // The only error is the link that leads out of the site, which the import reported.
    const Result check = run({QStringLiteral("check"), QStringLiteral("out/tessavanetavlo.tavlo"),
                              QStringLiteral("--app-dir"), QStringLiteral("out")});
    EXPECT_TRUE(check.out.endsWith("out/tessavanetavlo.tavlo: 1 error, 0 warnings\n")) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains("the link \"../outside.html\"")) << check.out.toStdString();

    const QString appDir = dir.filePath(QStringLiteral("out"));
    const auto show = [&](const char *page) {
        const Result shown = run({QStringLiteral("show"), QStringLiteral("out/tessavanetavlo.tavlo"),
                                  QString::fromLatin1(page), QStringLiteral("--app-dir"), appDir});
        EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
        return QString::fromUtf8(shown.out);
    };
    const QString index = show("0");
    for (const QString &expected : {
             u"<title>Harbour\n  guide</title>"_s,
             u"<link rel=\"stylesheet\" href=\"css/site.css\">"_s,
             u"<link rel=\"stylesheet\" href=\"tavlo-inline/index-1.css\">"_s,
             QString(u"<img src=\""_s + appDir + u"\\images/pics/logo.png\" alt=\"logo\">"_s),
             u"<a href=\"chapters/one.html#moorings\">"_s,
             u"<a href=\"extra/appendix.html\">"_s,
             u"<a href=\"#top\">"_s,
             u"<a href=\"../outside.html\">"_s,
             u"people.example.org/&#126;tides, release 1&#126;deb11u3 &mdash; in Greek: &#945; or &#946;."_s,
             u"<script src=\"tavlo-inline/index-1.js\"></script>"_s,
         })
        EXPECT_TRUE(index.contains(expected)) << expected.toStdString() << "\nin:\n" << index.toStdString();
    const QString one = show("1");
    EXPECT_TRUE(one.contains(u"<pre># harbour.conf\n&#35;&#35; berths &#126; 12</pre>")) << one.toStdString();
    EXPECT_TRUE(one.contains(u"<a href=\"index.html#top\">Back</a>, <a href=\"chapters/two.html\">on</a>"))
        << one.toStdString();
    EXPECT_TRUE(one.contains(u"<link rel=\"next\" href=\"chapters/two.html\">")) << one.toStdString();
    // The Latin-1 page reads as it did in a browser.
    EXPECT_TRUE(show("2").contains(u"<p>Caf\u00e9 on the quay, 5 \u00b0C.</p>"));
}

TEST_F(TavloBook, ImportRefusesWhatItCantWriteAndReplacesOnlyWithForce)
{
    QDir().mkpath(dir.filePath(QStringLiteral("empty")));
    Result r = run({QStringLiteral("import"), QStringLiteral("empty"), QStringLiteral("-o"), QStringLiteral("out")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tavlo-book: empty: has no start page \"index.html\"; give the page to start from with --start\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));

    writeFile(QStringLiteral("out/keep.txt"), "mine");
    r = run({QStringLiteral("import"), kSite, QStringLiteral("-o"), QStringLiteral("out")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tavlo-book: out: exists already; give --force to replace it\n");
    EXPECT_EQ(readFile(QStringLiteral("out/keep.txt")), "mine");

    // Replacing the folder that holds the site would take the site with it.
    writeFile(QStringLiteral("mine/site/index.html"), "<p>x</p>");
    r = run({QStringLiteral("import"), QStringLiteral("mine/site"), QStringLiteral("-o"), QStringLiteral("mine"),
             QStringLiteral("--force")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tavlo-book: mine: holds the site mine/site; write the book somewhere else\n");
    EXPECT_EQ(readFile(QStringLiteral("mine/site/index.html")), "<p>x</p>");

    r = run({QStringLiteral("import"), kSite, QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--force"),
             QStringLiteral("--json"), QStringLiteral("--title"), QStringLiteral("Caf\u00e9 guide")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out/keep.txt"))));
    EXPECT_EQ(filesUnder(dir.path()).filter(u".tmp"_s), QStringList()); // no staging folder left behind
    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(report[u"title"].toString(), u"Caf\u00e9 guide"_s);
    EXPECT_EQ(report[u"pages"].toArray().size(), 4);
    EXPECT_EQ(report[u"pages"].toArray()[2].toObject()[u"file"].toString(), u"chapters/two.html"_s);
    EXPECT_EQ(report[u"changed"].toObject()[u"tildes"].toInt(), 3);
    EXPECT_EQ(report[u"left"].toArray()[0].toObject()[u"reference"].toString(), u"../outside.html"_s);
    EXPECT_EQ(report[u"totals"].toObject()[u"pictures"].toInt(), 1);
    EXPECT_TRUE(readFile(QStringLiteral("out/tessavanetavlo.tavlo")).startsWith("Caf\xE9 guide<<$$>>index.html##"));

    // A title the book can't hold is refused, naming the character.
    r = run({QStringLiteral("import"), kSite, QStringLiteral("-o"), QStringLiteral("out2"), QStringLiteral("--title"),
             QStringLiteral("Harbour \u2192 town")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("the title holds \"\xE2\x86\x92\" (U+2192), which Windows-1252 can't hold"))
        << r.err.toStdString();
}

TEST_F(TavloBook, ImportWalksDepthFirstWithoutNextLinksAndKeepsTheReaderOffOtherText)
{
    // No rel="next": the pages in the order a depth-first walk of the links finds them.
    writeFile(QStringLiteral("site/start.html"),
              "<title>Walk</title><a href=b.html>b</a> <a href='a.html'>a</a> <a href=\"missing.html#x\">gone</a>"
              " <a href=\"c.html\">c again</a> <a href=\"sub/\">folder</a> <a href=\"b.html?x=1#y\">query</a>"
              " <a href=\"httpd.html#conf\">a page the reader would take for a web link</a>");
    writeFile(QStringLiteral("site/httpd.html"), "<h2 id=conf>httpd.conf</h2>");
    writeFile(QStringLiteral("site/b.html"), "<a href=\"c.html\">c</a>");
    writeFile(QStringLiteral("site/c.html"), "<a href=\"start.html\">home</a>");
    writeFile(QStringLiteral("site/a.html"),
              "<p>The attribute background=\"x\" sets a picture.</p>"
              "<img alt=\"pic\" data-background=\"y\" src='p i.gif'><img src=\"missing.gif\"><img alt=\"none\">"
              "<!-- <img src=\"q.gif\"> --><script src=\"s.js\"></script><img src=s.gif>");
    writeFile(QStringLiteral("site/p i.gif"), "GIF");
    writeFile(QStringLiteral("site/images/p_i.gif"), "another picture that already had the name");
    writeFile(QStringLiteral("site/s.js"), "var s;");
    writeFile(QStringLiteral("site/sub/index.html"), "<p>sub</p>");
    writeFile(QStringLiteral("site/unlinked.html"), "<p>no link reaches it</p>");
    // A link out of the site that the walk can't see as one.
    writeFile(QStringLiteral("secret.gif"), "not the site's");
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("secret.gif")), dir.filePath(QStringLiteral("site/s.gif"))));

    const Result r = run({QStringLiteral("import"), QStringLiteral("site"), QStringLiteral("-o"), QStringLiteral("out"),
                          QStringLiteral("--start"), QStringLiteral("start.html")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("0\t\"start.html\"\tstart.html\n"
                                 "1\t\"b.html\"\tb.html\n"
                                 "2\t\"c.html\"\tc.html\n"
                                 "3\t\"a.html\"\ta.html\n"
                                 "4\t\"sub/index.html\"\tsub/index.html\n"
                                 "5\t\"./httpd.html\"\thttpd.html\n"
                                 "changed: "))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("left: start.html:1: \"missing.html\": no such file (1 references)\n"));
    EXPECT_TRUE(r.out.contains("left: a.html:1: \"missing.gif\": no such file (1 references)\n"));
    EXPECT_TRUE(r.out.contains("left: a.html:1: \"s.gif\": outside the site (1 references)\n"));

    const Result shown = run({QStringLiteral("show"), QStringLiteral("out/tessavanetavlo.tavlo"), QStringLiteral("0")});
    EXPECT_TRUE(shown.out.contains("<a href=\"sub/index.html\">folder</a> <a href=\"b.html#y\">query</a> "
                                   "<a href=\"./httpd.html#conf\">"))
        << shown.out.toStdString();
    EXPECT_TRUE(readFile(QStringLiteral("out/tessavanetavlo.tavlo")).startsWith("Walk<<$$>>start.html##"));

    // The picture's copy doesn't take the name of another file; the reader's rewriting reads only the
    // pictures' sources, each first in its element, and no other text of the page.
    const QByteArray a = readFile(QStringLiteral("out/tessavanetavlo.tavlo")).split('~')[3];
    EXPECT_EQ(a, "a.html##<p>The attribute background&#61;\"x\" sets a picture.</p>"
                 "<img src=\"images/p_i-2.gif\" alt=\"pic\" data-background =\"y\"><img src=\"missing.gif\">"
                 "<img src=\"\" alt=\"none\"><!-- &lt;img src=\"q.gif\"> --><script src=\"s.js\"></script>"
                 "<img src=\"s.gif\">");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out/images/s.gif"))));
    EXPECT_EQ(readFile(QStringLiteral("out/images/p_i-2.gif")), "GIF");
    EXPECT_EQ(readFile(QStringLiteral("out/s.js")), "var s;");
}

} // namespace
