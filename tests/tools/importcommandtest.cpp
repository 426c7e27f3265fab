// tavlo-book import: a folder of linked HTML pages becomes an application folder whose book checks and
// shows as the site did.
#include "tavlobook.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <sys/stat.h>

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

// For a prefix built of pieces, which QByteArray::startsWith() doesn't take as it is.
bool beginsWith(const QByteArray &text, const QByteArray &prefix)
{
    return text.startsWith(prefix);
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
    EXPECT_TRUE(lines[4].startsWith(
        "changed: 9 links pointed at pages, 0 at copied files; 1 pictures copied into "
        "images/, 5 other files copied (2 that no page names); 3 \"~\", 1 \"##\" and 0 \"<<$$>>\" written as "
        "references; 1 characters outside Windows-1252 written as references; 1 scripts "
        "and 1 style sheets moved into files"))
        << lines[4].toStdString();
    EXPECT_TRUE(r.out.contains("left: index.html:13: \"../outside.html\": no such file (1 references)\n"))
        << r.out.toStdString();

    // The picture used twice is copied once under images/; every other file keeps its place, used or
    // not, as scripts may load it; nothing outside the site comes along.
    EXPECT_EQ(filesUnder(dir.filePath(QStringLiteral("out"))),
              QStringList({u"css/site.css"_s, u"fonts/sea.woff"_s, u"images/pics/logo.png"_s, u"pics/bg.png"_s,
                           u"pics/logo.png"_s, u"pics/unused.png"_s, u"tavlo-inline/index-1.css"_s,
                           u"tavlo-inline/index-1.js"_s, u"tessavanetavlo.tavlo"_s}));
    EXPECT_EQ(readFile(QStringLiteral("out/images/pics/logo.png")), contentsOf(kSite + u"/pics/logo.png"));
    // Style and script text that references can't stand in, in UTF-8 files; the style's references
    // climb out of the folder it lies in.
    EXPECT_EQ(readFile(QStringLiteral("out/tavlo-inline/index-1.css")),
              "\xEF\xBB\xBFh1 ~ p { color: navy; background: url(\"../pics/bg.png\") }");
    EXPECT_EQ(readFile(QStringLiteral("out/tavlo-inline/index-1.js")),
              "\xEF\xBB\xBFvar flags = ~0; // ## not a page separator");

    // The only error is the link to a file that isn't there, which the import reported and recorded.
    const Result check = run({QStringLiteral("check"), QStringLiteral("out/tessavanetavlo.tavlo"),
                              QStringLiteral("--app-dir"), QStringLiteral("out")});
    EXPECT_TRUE(
        check.out.endsWith("out/tessavanetavlo.tavlo: 1 error (1 of what the site imported lacks too), 0 warnings\n"))
        << check.out.toStdString();
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
    // A folder of manuals, one in each of its folders: the refusal names their start pages.
    for (const char *manual : {"manuals/b/index.html", "manuals/a/index.html", "manuals/c/index.html",
                               "manuals/d/index.html", "manuals/e/notes.html"})
        writeFile(QString::fromLatin1(manual), "<p>x</p>");
    r = run({u"import"_s, u"manuals"_s, u"-o"_s, u"out"_s});
    EXPECT_EQ(r.err, "tavlo-book: manuals: has no start page \"index.html\"; give the page to start from with --start "
                     "(its folders hold \"a/index.html\", \"b/index.html\", \"c/index.html\", 1 more)\n");

    // Pages that are symbolic links out of the site, as some of Debian's manual folders hold: the
    // refusal says what takes them.
    writeFile(QStringLiteral("shared/index.html"), "<p>x</p>");
    QDir().mkpath(dir.filePath(QStringLiteral("linked")));
    ASSERT_TRUE(QFile::link(u"../shared/index.html"_s, dir.filePath(u"linked/index.html"_s)));
    r = run({u"import"_s, u"linked"_s, u"-o"_s, u"out"_s});
    EXPECT_EQ(r.err, "tavlo-book: linked: has no start page \"index.html\" but a symbolic link out of the site; give "
                     "--follow-links to take the files such links lead to\n");
    r = run({u"import"_s, u"linked"_s, u"-o"_s, u"out"_s, u"--start"_s, u"other.html"_s});
    EXPECT_EQ(r.err, "tavlo-book: linked: has no start page \"other.html\"; give the page to start from with --start, "
                     "or --follow-links to take its 1 symbolic links out of the site to HTML files\n");
    r = run({u"import"_s, u"linked"_s, u"-o"_s, u"out"_s, u"--all"_s});
    EXPECT_EQ(r.err, "tavlo-book: linked: holds no HTML file but 1 symbolic links out of the site to HTML files; give "
                     "--follow-links to take them\n");

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

    // A title and a page name in another script make the book UTF-8, their letters kept.
    const QByteArray title = "\xD9\x85\xD8\xB1\xD9\x81\xD8\xA3"; // Arabic
    writeFile(QStringLiteral("ar/index.html"), "<title>" + title + "</title><a href=\"\xD8\xA8.html\">b</a>");
    writeFile(QString::fromUtf8("ar/\xD8\xA8.html"), "<p>x</p>");
    r = run({QStringLiteral("import"), QStringLiteral("ar"), QStringLiteral("-o"), QStringLiteral("out2")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(QStringLiteral("out2/tessavanetavlo.tavlo")),
              "\xEF\xBB\xBF" + title + "<<$$>>index.html##<title>" + title +
                  "</title><a href=\"\xD8\xA8.html\">b</a>~\xD8\xA8.html##<p>x</p>");
    // So does a title that stands too far into the start page to be seen before the pages are read.
    const QByteArray late = "<!--" + QByteArray(70'000, '-') + "--><title>" + title + "</title>";
    writeFile(QStringLiteral("late/index.html"), late + "<a href=two.html>\xD8\xA8</a>");
    writeFile(QStringLiteral("late/two.html"), "<p>\xD8\xA8</p>");
    r = run({QStringLiteral("import"), QStringLiteral("late"), QStringLiteral("-o"), QStringLiteral("out3")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(QStringLiteral("out3/tessavanetavlo.tavlo")),
              "\xEF\xBB\xBF" + title + "<<$$>>index.html##" + late +
                  "<a href=\"two.html\">\xD8\xA8</a>~two.html##<p>\xD8\xA8</p>");
}

TEST_F(TavloBook, ImportWalksDepthFirstWithoutNextLinksAndKeepsTheReaderOffOtherText)
{
    // No rel="next": the pages in the order a depth-first walk of the links finds them.
    writeFile(QStringLiteral("site/start.html"),
              "<title>Walk</title><a href=b.html>b</a> <a href='a.html'>a</a> <a href=\"missing.html#x\">gone</a>"
              " <a href=\"c.html\">c again</a> <a href=\"sub/\">folder</a> <a href=\"b.html?x=1#y\">query</a>"
              " <a href=\"httpd.html#conf\">a page the reader would take for a web link</a>"
              " <a href=\"/c.html\">from the root</a> <a href=\" https://example.org/ \">web</a>"
              " <a href=\"b.html#z\">place</a> <a href=\"b.html #z\">blank</a>");
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
    // Written, with the file out of the site left out: first in the report, and the exit status says so.
    ASSERT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(
        beginsWith(r.out, QByteArray("left out: 1 file outside the site that symbolic links lead to; give "
                                     "--follow-links to copy them\n"
                                     "left out: a.html:1: \"s.gif\" -> ") +
                              QFileInfo(dir.filePath(QStringLiteral("secret.gif"))).canonicalFilePath().toUtf8() +
                              " (1 references)\n"
                              "0\t\"start.html\"\tstart.html\n"
                              "1\t\"b.html\"\tb.html\n"
                              "2\t\"c.html\"\tc.html\n"
                              "3\t\"a.html\"\ta.html\n"
                              "4\t\"sub/index.html\"\tsub/index.html\n"
                              "5\t\"httpd.html\"\thttpd.html\n"
                              "changed: "))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("left: start.html:1: \"missing.html\": no such file (1 references)\n"));
    EXPECT_TRUE(r.out.contains("left: a.html:1: \"missing.gif\": no such file (1 references)\n"));
    EXPECT_TRUE(r.out.contains("not taken: 1 HTML file of the site that no start page leads to; give --all, or "
                               "--start for each, to take them\nnot taken: unlinked.html\n"))
        << r.out.toStdString();

    const Result shown = run({QStringLiteral("show"), QStringLiteral("out/tessavanetavlo.tavlo"), QStringLiteral("0")});
    EXPECT_TRUE(shown.out.contains("<a href=\"sub/index.html\">folder</a> <a href=\"b.html#y\">query</a> "
                                   "<a href=\"file://httpd.html#conf\">a page the reader would take for a web link</a> "
                                   "<a href=\"c.html\">from the root</a> <a href=\" https://example.org/ \">web</a> "
                                   "<a href=\"b.html#z\">place</a> <a href=\"b.html #z\">blank</a>"))
        << shown.out.toStdString();
    // The blank ends the path, as a browser reads it: no such file.
    EXPECT_TRUE(r.out.contains("left: start.html:1: \"b.html \": no such file (1 references)\n"));
    EXPECT_TRUE(r.out.contains("changed: httpd.html: links to it are written \"file://httpd.html\""))
        << r.out.toStdString();
    // check reads those links as the reader does: none of them is a defect.
    const Result check = run({u"check"_s, u"out/tessavanetavlo.tavlo"_s, u"--app-dir"_s, u"out"_s});
    for (const char *link : {"httpd.html", "c.html", "https://example.org/"})
        EXPECT_FALSE(check.out.contains(link)) << link << '\n' << check.out.toStdString();
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

// A small manual as sites are shipped: its own search page, driven by a form and location.search,
// scripts that are symbolic links out of the site, a page reached under two names, a link to ".",
// a link to the page's source text, an empty link and an ftp: link.
class ManualSite : public TavloBook {
protected:
    void SetUp() override
    {
        writeFile(u"shared/searchtools.js"_s, "function query() { return new URLSearchParams(location.search); }");
        writeFile(u"site/guide.html"_s,
                  "<title>Guide</title><link rel=\"next\" href=\"chapter/one.html\">\n"
                  "<a href=\"\">Guide</a> <a href=\"guide.html#use\">use</a> <a href=\"_sources/guide.txt\">Show "
                  "Source</a>\n"
                  "<form class=\"search\" action=\"search.html\" method=\"get\"><input name=\"q\"></form>\n"
                  "<a href=\"ftp://ftp.example.org/pub/\">mirror</a> <a href=\"loop/loop/chapter/one.html\">one</a>\n"
                  "<script src=\"_static/searchtools.js\"></script><h2 id=\"use\">Use</h2>");
        writeFile(u"site/search.html"_s,
                  "<title>Search</title><script src=\"_static/searchtools.js\"></script>\n"
                  "<form action=\"\" method=\"get\"><input name=\"q\"></form><div id=\"results\"></div>\n"
                  "<script>var q = query().get('q'); if (q) results.textContent = q;</script>");
        writeFile(u"site/chapter/one.html"_s, "<a href=\"../index.html\">home</a> <a href=\"../guide.html\">guide</a>\n"
                                              "<form action=\"../search.html\"><input name=\"q\"></form>");
        writeFile(u"site/_sources/guide.txt"_s, "Guide\n=====\n");
        ASSERT_TRUE(QFile::link(u"guide.html"_s, dir.filePath(u"site/index.html"_s)));
        ASSERT_TRUE(QFile::link(u"."_s, dir.filePath(u"site/loop"_s)));
        ASSERT_TRUE(QDir().mkpath(dir.filePath(u"site/_static"_s)));
        ASSERT_TRUE(QFile::link(u"../../shared/searchtools.js"_s, dir.filePath(u"site/_static/searchtools.js"_s)));
    }

    Result import(QStringList more = {}) const
    {
        return run(QStringList{u"import"_s, u"site"_s, u"-o"_s, u"out"_s, u"--force"_s} + more);
    }
};

TEST_F(ManualSite, ImportEndsLoopsKeepsOnePageAFileAndLeavesOutOnlyWhatItSays)
{
    Result r = import();
    ASSERT_EQ(r.exitCode, 2) << r.err.toStdString() << r.out.toStdString();
    const QByteArray target = QFileInfo(dir.filePath(u"shared/searchtools.js"_s)).canonicalFilePath().toUtf8();
    EXPECT_TRUE(beginsWith(r.out, QByteArray("left out: 1 file outside the site that symbolic links lead to; give "
                                             "--follow-links to copy them\nleft out: index.html:5: "
                                             "\"_static/searchtools.js\" -> ") +
                                      target + " (2 references)\n0\t"))
        << r.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/_static/searchtools.js"_s)));

    r = import({u"--follow-links"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    // index.html and guide.html are one file: one page, by the name the walk met first; "loop"
    // leads back to the site's own folder, so its pages are the pages already taken.
    EXPECT_TRUE(r.out.startsWith("0\t\"index.html\"\tindex.html\n"
                                 "1\t\"chapter/one.html\"\tchapter/one.html\n"
                                 "2\t\"search.html\"\tsearch.html\n"
                                 "changed: "))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("changed: index.html: the same file as guide.html; links to those lead to this page\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("; 0 references left as written; 0 HTML files not taken; 0 files left out;"))
        << r.out.toStdString();
    // The script is copied as the file it leads to, not as a link.
    const QString script = dir.filePath(u"out/_static/searchtools.js"_s);
    EXPECT_FALSE(QFileInfo(script).isSymLink());
    EXPECT_EQ(readFile(u"out/_static/searchtools.js"_s), contentsOf(dir.filePath(u"shared/searchtools.js"_s)));
    EXPECT_EQ(readFile(u"out/_sources/guide.txt"_s), "Guide\n=====\n");

    const auto show = [&](const char *page) {
        return QString::fromUtf8(
            run({u"show"_s, u"out/tessavanetavlo.tavlo"_s, QString::fromLatin1(page), u"--app-dir"_s, u"out"_s}).out);
    };
    const QString index = show("0");
    for (const QString &expected :
         {u"<a href=\"\">Guide</a> <a href=\"#use\">use</a> <a href=\"_sources/guide.txt\">Show Source</a>"_s,
          u"<form class=\"search\" action=\"search.html\" method=\"get\">"_s,
          u"<a href=\"chapter/one.html\">one</a>"_s})
        EXPECT_TRUE(index.contains(expected)) << expected.toStdString() << "\nin:\n" << index.toStdString();
    const QString one = show("1");
    EXPECT_TRUE(one.contains(u"<a href=\"index.html\">home</a> <a href=\"index.html\">guide</a>\n"
                             "<form action=\"search.html\">"_s))
        << one.toStdString();
    // The search page's own script reads its query as it did in a browser.
    EXPECT_TRUE(show("2").contains(u"var q = query().get('q');"_s));

    // What the reader can do is no error: the empty link, the source text, the search forms; the
    // ftp: link is the one warning.
    const Result check = run({u"check"_s, u"out/tessavanetavlo.tavlo"_s, u"--app-dir"_s, u"out"_s, u"--all"_s});
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString();
    EXPECT_TRUE(check.out.endsWith("out/tessavanetavlo.tavlo: 0 errors, 1 warning\n")) << check.out.toStdString();
    EXPECT_TRUE(
        check.out.contains("warning: the link \"ftp://ftp.example.org/pub/\" at line 4 has the scheme \"ftp:\""))
        << check.out.toStdString();

    // --follow-links names each file it brings in and where from, and never copies what the kernel
    // makes up or a file that others can't read.
    EXPECT_TRUE(r.out.contains(QByteArray(QByteArray("from outside: _static/searchtools.js <- ") + target + "\n")))
        << r.out.toStdString();
    writeFile(u"shared/private.js"_s, "secret");
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(u"shared/private.js"_s), QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(u"../../shared/private.js"_s, dir.filePath(u"site/_static/private.js"_s)));
    ASSERT_TRUE(QFile::link(u"/proc/self/environ"_s, dir.filePath(u"site/_static/environ.js"_s)));
    writeFile(u"site/chapter/one.html"_s, "<script src=\"../_static/private.js\"></script>"
                                          "<script src=\"../_static/environ.js\"></script>");
    r = import({u"--follow-links"_s});
    EXPECT_EQ(r.exitCode, 2) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith("left out: 2 files outside the site that symbolic links lead to, which "
                                 "--follow-links does not copy"))
        << r.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/_static/private.js"_s)));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/_static/environ.js"_s)));
}

TEST_F(ManualSite, SeveralStartsAndAllTakeTheManualsThatNoLinkReaches)
{
    // A second manual beside the first, which links to it, and a page nothing links to.
    writeFile(u"site/admin/index.html"_s, "<title>Admin</title><a href=\"two.html\">two</a>");
    writeFile(u"site/admin/two.html"_s, "<p>two</p>");
    writeFile(u"site/zz/old.html"_s, "<p>old</p>");
    // Another folder's pages, which the site links to but which are not of it.
    writeFile(u"elsewhere/other.html"_s, "<p>other</p>");
    ASSERT_TRUE(QFile::link(u"../elsewhere"_s, dir.filePath(u"site/elsewhere"_s)));
    writeFile(u"site/chapter/one.html"_s, "<a href=\"../admin/index.html\">admin</a> <a href=\"../guide.html\">g</a>");

    Result r = run({u"import"_s, u"site"_s, u"-o"_s, u"out"_s, u"--follow-links"_s, u"--json"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonObject report = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(report[u"notTaken"].toArray().toVariantList(), QVariantList({u"zz/old.html"_s}));
    EXPECT_EQ(report[u"totals"].toObject()[u"notTaken"].toInt(), 1);

    // Each start's pages follow it, even where an earlier start links to a later one; then the rest of
    // the site in path order.
    r = run({u"import"_s, u"site"_s, u"-o"_s, u"out"_s, u"--force"_s, u"--follow-links"_s, u"--start"_s,
             u"index.html"_s, u"--start"_s, u"admin/index.html"_s, u"--all"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("0\t\"index.html\"\tindex.html\n"
                                 "1\t\"chapter/one.html\"\tchapter/one.html\n"
                                 "2\t\"search.html\"\tsearch.html\n"
                                 "3\t\"admin/index.html\"\tadmin/index.html\n"
                                 "4\t\"admin/two.html\"\tadmin/two.html\n"
                                 "5\t\"zz/old.html\"\tzz/old.html\n"
                                 "changed: "))
        << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("not taken:")) << r.out.toStdString();

    // --all alone, where the site has no index.html: every page in path order.
    QFile::remove(dir.filePath(u"site/index.html"_s));
    r = run({u"import"_s, u"site"_s, u"-o"_s, u"out"_s, u"--force"_s, u"--follow-links"_s, u"--all"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("0\t\"admin/index.html\"\tadmin/index.html\n"
                                 "1\t\"admin/two.html\"\tadmin/two.html\n"
                                 "2\t\"chapter/one.html\"\tchapter/one.html\n"
                                 "3\t\"guide.html\"\tguide.html\n"))
        << r.out.toStdString();

    // A start that isn't there is refused, whichever of them it is.
    r = run({u"import"_s, u"site"_s, u"-o"_s, u"out2"_s, u"--start"_s, u"guide.html"_s, u"--start"_s, u"gone.html"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tavlo-book: site: has no start page \"gone.html\"; give the page to start from with --start\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out2"_s)));
}

} // namespace

TEST_F(ManualSite, ImportBringsTheWholeSiteAndWhatItNamesOutsideAndRecordsWhatTheSiteLacks)
{
    // A search index that only a script names, in a string; a script named from the machine's root
    // whose folder holds what it loads by name; a picture above the site; what is nowhere.
    writeFile(u"site/search-index1.0.js"_s, "searchIndex = {}");
    writeFile(u"site/_static/search.js"_s, "load('search-index' + version + '.js')");
    writeFile(u"system/mathjax/MathJax.js"_s, "MathJax = {}");
    writeFile(u"system/mathjax/extensions/tex.js"_s, "tex");
    writeFile(u"doc/src/images/x.png"_s, "PNG");
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    writeFile(u"site/chapter/one.html"_s, "<script src=\"" + root.toUtf8() +
                                              "/system/mathjax/MathJax.js?config=TeX\"></script>\n"
                                              "<img src=\"../../doc/src/images/x.png\"><img src=\"gone.png\">\n"
                                              "<a href=\"../gone.html\">gone</a> <a href=\"http.json\">its data</a>\n"
                                              "<script src=\"/proc/self/environ\"></script>\n"
                                              "<script src=\"../js/MathJax.js\"></script>");
    // The same script through a symbolic link out of the site, as Debian's packages link theirs.
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"site/js"_s)));
    ASSERT_TRUE(QFile::link(root + u"/system/mathjax/MathJax.js"_s, dir.filePath(u"site/js/MathJax.js"_s)));
    // Neither a named pipe nor a loop of symbolic links holds the import up, nor comes along.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"site/_static/pipe"_s)).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(u"b"_s, dir.filePath(u"site/a"_s)) && QFile::link(u"a"_s, dir.filePath(u"site/b"_s)));

    Result r = import();
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(
        u"left: chapter/one.html:1: \""_s + root +
        u"/system/mathjax/MathJax.js\": outside the site; --follow-links brings it"_s))
        << r.out.toStdString();
    EXPECT_TRUE(
        QString::fromUtf8(r.out).contains(u"left: chapter/one.html:2: \""_s + root +
                                          u"/doc/src/images/x.png\": outside the site; --follow-links brings it"_s))
        << r.out.toStdString();

    const QStringList before = filesUnder(dir.path());
    r = import({u"--follow-links"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(readFile(u"out/search-index1.0.js"_s), "searchIndex = {}");
    const QString outside = u"tavlo-outside"_s + root;
    EXPECT_EQ(readFile(u"out/"_s + outside + u"/system/mathjax/extensions/tex.js"_s), "tex");
    EXPECT_EQ(readFile(u"out/images/"_s + outside + u"/doc/src/images/x.png"_s), "PNG");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/_static/pipe"_s)));
    // What the kernel makes up is never brought.
    EXPECT_TRUE(r.out.contains("left: chapter/one.html:4: \"/proc/") &&
                r.out.contains("/environ\": outside the site, where --follow-links takes nothing of /proc"))
        << r.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/tavlo-outside/proc"_s)));
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(u"from outside: "_s + outside + u"/system/mathjax/ <- "_s + root +
                                                  u"/system/mathjax/\n"_s))
        << r.out.toStdString();
    const QString one =
        QString::fromUtf8(run({u"show"_s, u"out/tessavanetavlo.tavlo"_s, u"1"_s, u"--app-dir"_s, u"out"_s}).out);
    EXPECT_TRUE(one.contains(u"<script src=\""_s + outside + u"/system/mathjax/MathJax.js?config=TeX\">"_s) &&
                one.contains(u"<script src=\""_s + outside + u"/system/mathjax/MathJax.js\">"_s))
        << one.toStdString();
    // Nothing is written beside OUT.
    QStringList after = filesUnder(dir.path()).filter(QRegularExpression(u"^(?!out/)"_s));
    EXPECT_EQ(after, before.filter(QRegularExpression(u"^(?!out/)"_s)));

    // check tells what the site lacked itself from what the import got wrong.
    const QString book = u"out/tessavanetavlo.tavlo"_s;
    Result check = run({u"check"_s, book, u"--json"_s});
    QJsonObject report = QJsonDocument::fromJson(check.out).object();
    EXPECT_EQ(report[u"errors"].toInt(), 4) << check.out.toStdString();
    EXPECT_EQ(report[u"errorsTheSiteLacks"].toInt(), 3);
    // A record that is no record is said, naming it, and marks nothing.
    writeFile(u"out/.tavlo-site-lacks.json"_s, "{\"pages\": {\"chapter/one.html\": [1]}}");
    check = run({u"check"_s, book});
    EXPECT_TRUE(
        check.out.endsWith("out/tessavanetavlo.tavlo: 4 errors, 1 warning: 1 other-scheme (--all lists each)\n"))
        << check.out.toStdString();
    EXPECT_TRUE(check.err.contains("/out/.tavlo-site-lacks.json: is not a record of references"))
        << check.err.toStdString();
}
