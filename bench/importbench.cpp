// tavlo-book import against copying the same folder with cp -rL, in the same run, on three sites: a
// generated one of 2,000 pages and 5,000 files they use, one shaped like a real generated manual
// (many small pages full of links, one style sheet and scripts that every page loads, some of them
// symbolic links out of the site, deep folders, source texts and pictures), and one shaped like an
// API reference (rustdoc's): deep folders of big pages, thousands of redirect pages, big shared
// scripts and a search index that only a script names. And check of that last book against its
// import. All run as programs, as their users run them.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kChapters = 20;
constexpr int kPagesPerChapter = 100; // 2,000 pages
constexpr int kPicturesPerPage = 2;   // 4,000 pictures, each used by one page and its neighbour
constexpr int kSheets = 1000;         // with the pictures, 5,000 files besides the pages

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

// A site like a generated manual: chapters in folders, pages linked by rel="next" and by tables of
// contents, pictures under a folder of their own, style sheets with fonts and pictures, and text that
// holds the book's separators here and there.
QString makeSite(const QString &root)
{
    const QString site = root + QStringLiteral("/site");
    QDir().mkpath(site + QStringLiteral("/css"));
    QDir().mkpath(site + QStringLiteral("/fonts"));
    for (int s = 0; s < kSheets / 2; ++s) {
        writeFile(site + QStringLiteral("/css/s%1.css").arg(s),
                  QStringLiteral("@font-face { font-family: F%1; src: url(../fonts/f%1.woff) }\n"
                                 "body { font-family: F%1; color: #333 }\n")
                      .arg(s)
                      .toUtf8()
                      .repeated(8));
        writeFile(site + QStringLiteral("/fonts/f%1.woff").arg(s), QByteArray(4096, 'w'));
    }
    const QByteArray paragraph =
        "<p>Set <code>Dir::Cache</code> to ~/cache and run <kbd>apt-get install pkg=1~deb11u3</kbd>; "
        "lines starting with ## in <a href=\"#top\">the file</a> are comments. \xE2\x80\x94 caf\xC3\xA9.</p>\n";
    for (int c = 0; c < kChapters; ++c) {
        const QString chapter = QStringLiteral("ch%1").arg(c);
        QDir().mkpath(site + u'/' + chapter);
        QDir().mkpath(site + QStringLiteral("/pics/") + chapter);
        for (int p = 0; p < kPagesPerChapter; ++p) {
            const int page = c * kPagesPerChapter + p;
            const bool last = page + 1 == kChapters * kPagesPerChapter;
            const QString next = last ? QString()
                                      : QStringLiteral("../ch%1/p%2.html")
                                            .arg((page + 1) / kPagesPerChapter)
                                            .arg((page + 1) % kPagesPerChapter);
            QByteArray html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Page " +
                              QByteArray::number(page) + "</title>\n<link rel=\"stylesheet\" href=\"../css/s" +
                              QByteArray::number(page % (kSheets / 2)) + ".css\">\n";
            if (!last)
                html += "<link rel=\"next\" href=\"" + next.toUtf8() + "\">\n";
            html += "</head><body><h1 id=\"top\">Page " + QByteArray::number(page) + "</h1>\n";
            for (int i = 0; i < kPicturesPerPage; ++i)
                html += "<img src=\"../pics/" + chapter.toUtf8() + "/p" + QByteArray::number(p) + "-" +
                        QByteArray::number(i) + ".png\" alt=\"figure\">\n";
            if (p > 0)
                html += "<img src='../pics/" + chapter.toUtf8() + "/p" + QByteArray::number(p - 1) + "-0.png'>\n";
            html += "<ul>";
            for (int l = 0; l < 20; ++l)
                html += "<li><a href=\"../ch" + QByteArray::number((c + l) % kChapters) + "/p" +
                        QByteArray::number((p * 7 + l) % kPagesPerChapter) + ".html#top\">link</a></li>";
            html += "</ul>\n" + paragraph.repeated(30) + "</body></html>\n";
            writeFile(site + u'/' + chapter + QStringLiteral("/p%1.html").arg(p), html);
            for (int i = 0; i < kPicturesPerPage; ++i)
                writeFile(site + QStringLiteral("/pics/%1/p%2-%3.png").arg(chapter).arg(p).arg(i),
                          QByteArray(2048, char(i)));
        }
    }
    writeFile(site + QStringLiteral("/index.html"),
              "<title>Generated manual</title><link rel=\"next\" href=\"ch0/p0.html\"><a href=\"ch0/p0.html\">"
              "Start</a>");
    return site;
}

// A manual as a documentation generator writes it: 1,500 pages of a few kilobytes in folders two
// and three deep, each with the same head (two style sheets, six scripts, three of them symbolic
// links to a shared folder outside the site, as packages link them), breadcrumbs with an empty
// link, a table of contents of 60 links, text whose words are links into other pages' places,
// highlighted code of many small elements, a "Show Source" link to its source text, and a picture
// on one page in ten; a search page, its index, and a general index of every place.
constexpr int kManualPages = 1500;

QString makeManual(const QString &root)
{
    const QString shared = root + QStringLiteral("/shared-js");
    const QString site = root + QStringLiteral("/manual");
    QDir().mkpath(shared);
    QDir().mkpath(site + QStringLiteral("/_static"));
    QDir().mkpath(site + QStringLiteral("/_images"));
    const QByteArray script = "(function () { var a = [1, 2, 3]; return a.map(function (x) { return x * 2; }); })();\n";
    for (const char *name : {"jquery.js", "underscore.js", "doctools.js"}) {
        writeFile(shared + u'/' + QLatin1String(name), script.repeated(800));
        if (!QFile::link(QStringLiteral("../../shared-js/") + QLatin1String(name),
                         site + QStringLiteral("/_static/") + QLatin1String(name)))
            std::abort();
    }
    for (const char *name : {"language_data.js", "searchtools.js", "documentation_options.js"})
        writeFile(site + QStringLiteral("/_static/") + QLatin1String(name), script.repeated(200));
    writeFile(site + QStringLiteral("/_static/basic.css"),
              QByteArray("div.body p { margin: 0 } a.headerlink { visibility: hidden }\n").repeated(300));
    writeFile(site + QStringLiteral("/_static/pygments.css"),
              QByteArray(".highlight .n { color: #333 }\n").repeated(80));

    const char *sections[] = {"command", "variable", "prop_tgt", "module", "manual", "guide/tutorial"};
    const auto pagePath = [&](int page) -> QString {
        return QString::fromLatin1(sections[page % 6]) + QStringLiteral("/page%1.html").arg(page);
    };
    const auto up = [&](int page) { return page % 6 == 5 ? QByteArray("../../") : QByteArray("../"); };
    QByteArray searchIndex = "Search.setIndex({docnames:[";
    QByteArray genIndex = "<html><head><title>Index</title></head><body><table>\n";
    for (int page = 0; page < kManualPages; ++page) {
        const QString path = pagePath(page);
        const QByteArray back = up(page);
        QDir().mkpath(site + u'/' + path.section(u'/', 0, -2));
        QDir().mkpath(site + QStringLiteral("/_sources/") + path.section(u'/', 0, -2));
        QByteArray html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>page" +
                          QByteArray::number(page) + " &#8212; Manual</title>\n";
        for (const char *sheet : {"basic.css", "pygments.css"})
            html += "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + back + "_static/" + sheet + "\" />\n";
        for (const char *name : {"documentation_options.js", "jquery.js", "underscore.js", "doctools.js",
                                 "language_data.js", "searchtools.js"})
            html += "<script src=\"" + back + "_static/" + name + "\"></script>\n";
        html += "<link rel=\"index\" title=\"Index\" href=\"" + back +
                "genindex.html\" />\n<link rel=\"search\" href=\"" + back + "search.html\" />\n";
        if (page + 1 < kManualPages)
            html += "<link rel=\"next\" href=\"" + back + pagePath(page + 1).toUtf8() + "\" />\n";
        html += "</head><body>\n<div class=\"related\"><ul><li><a href=\"" + back +
                "index.html\">Manual</a> &#187;</li><li><a href=\"\">page" + QByteArray::number(page) +
                "</a></li></ul></div>\n<div class=\"sphinxsidebar\"><form class=\"search\" action=\"" + back +
                "search.html\" method=\"get\"><input type=\"text\" name=\"q\" /></form><ul>\n";
        for (int l = 0; l < 60; ++l)
            html += "<li class=\"toctree-l1\"><a class=\"reference internal\" href=\"" + back +
                    pagePath((page / 60 * 60 + l) % kManualPages).toUtf8() + "\">page" +
                    QByteArray::number((page / 60 * 60 + l) % kManualPages) + "</a></li>\n";
        html += "</ul></div>\n<div class=\"body\"><section id=\"s" + QByteArray::number(page) + "\"><h1>page" +
                QByteArray::number(page) + "<a class=\"headerlink\" href=\"#s" + QByteArray::number(page) +
                "\">&#182;</a></h1>\n";
        for (int p = 0; p < 8; ++p) {
            html += "<p>Sets the <a class=\"reference internal\" href=\"" + back +
                    pagePath((page * 13 + p) % kManualPages).toUtf8() + "#s" +
                    QByteArray::number((page * 13 + p) % kManualPages) +
                    "\"><code class=\"xref\"><span class=\"pre\">VALUE</span></code></a> of a target, as ~/.config "
                    "and <a href=\"https://example.org/docs/%_x\">the web</a> say.</p>\n";
        }
        html += "<div class=\"highlight\"><pre>";
        for (int c = 0; c < 30; ++c)
            html += "<span class=\"nb\">add_library</span><span class=\"p\">(</span><span class=\"n\">lib</span>"
                    "<span class=\"w\"> </span><span class=\"s\">a.c</span><span class=\"p\">)</span>\n";
        html += "</pre></div>\n";
        if (page % 10 == 0)
            html += "<img alt=\"figure\" src=\"" + back + "_images/figure" + QByteArray::number(page) + ".png\" />\n";
        html += "</section></div>\n<a href=\"" + back + "_sources/" + path.toUtf8() + ".txt\">Show Source</a>\n";
        html += "</body></html>\n";
        writeFile(site + u'/' + path, html);
        writeFile(site + QStringLiteral("/_sources/") + path + QStringLiteral(".txt"),
                  QByteArray("Sets the VALUE of a target.\n").repeated(40));
        if (page % 10 == 0)
            writeFile(site + QStringLiteral("/_images/figure%1.png").arg(page), QByteArray(20000, char(page)));
        searchIndex += "\"" + path.toUtf8() + "\",";
        genIndex += "<tr><td><a href=\"" + path.toUtf8() + "#s" + QByteArray::number(page) + "\">page" +
                    QByteArray::number(page) + "</a></td></tr>\n";
    }
    writeFile(site + QStringLiteral("/searchindex.js"), searchIndex + "]})");
    writeFile(site + QStringLiteral("/genindex.html"), genIndex + "</table></body></html>\n");
    writeFile(
        site + QStringLiteral("/search.html"),
        "<title>Search</title><script src=\"_static/searchtools.js\"></script>"
        "<script src=\"searchindex.js\" defer></script><form action=\"\" method=\"get\"><input name=\"q\"></form>");
    writeFile(site + QStringLiteral("/index.html"), "<title>Manual</title><link rel=\"next\" href=\"" +
                                                        pagePath(0).toUtf8() +
                                                        "\"><a href=\"genindex.html\">"
                                                        "Index</a> <a href=\"search.html\">Search</a> <a href=\"" +
                                                        pagePath(0).toUtf8() + "\">Start</a>");
    return site;
}

// An API reference as rustdoc writes it: 3,000 pages in folders three and four deep, each with a
// sidebar of 150 links and a body of 60 links into other pages' places; 3,000 redirect pages
// ("Redirecting to ...", a meta refresh and location.replace); shared style sheets and scripts of
// hundreds of kilobytes that every page loads; a search index of 4 MB that only a script names, by a
// name built in a string; source pages of highlighted code.
constexpr int kReferencePages = 3000;

QString makeReference(const QString &root)
{
    const QString site = root + QStringLiteral("/reference");
    QDir().mkpath(site);
    writeFile(site + QStringLiteral("/rustdoc1.0.css"),
              QByteArray(".docblock { margin: 0 } pre { tab: 4 }\n").repeated(4000));
    writeFile(site + QStringLiteral("/main1.0.js"),
              "var index = 'search-index' + document.getElementById('vars').dataset.suffix + '.js';\n" +
                  QByteArray("function f(a) { return a.map(function (x) { return x * 2; }); }\n").repeated(5000));
    writeFile(site + QStringLiteral("/search-index1.0.js"),
              QByteArray("[\"std\",{\"t\":\"ABCD\",\"n\":[\"x\"]}],\n").repeated(120000));
    const auto pagePath = [](int page) {
        return QStringLiteral("core/m%1/s%2/struct.T%3.html").arg(page % 7).arg(page % 11).arg(page);
    };
    const QByteArray up = "../../../";
    for (int page = 0; page < kReferencePages; ++page) {
        const QString path = pagePath(page);
        QDir().mkpath(site + u'/' + path.section(u'/', 0, -2));
        QByteArray html = "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>T" +
                          QByteArray::number(page) + " in core - Rust</title><link rel=\"stylesheet\" href=\"" + up +
                          "rustdoc1.0.css\"><script defer src=\"" + up +
                          "main1.0.js\"></script></head>\n"
                          "<body><div id=\"vars\" data-root-path=\"" +
                          up +
                          "\" data-suffix=\"1.0\"></div>"
                          "<nav class=\"sidebar\"><ul>";
        for (int l = 0; l < 150; ++l)
            html += "<li><a href=\"" + up + pagePath((page / 150 * 150 + l) % kReferencePages).toUtf8() + "\">T" +
                    QByteArray::number(l) + "</a></li>";
        html += "</ul></nav><main><h1>Struct T" + QByteArray::number(page) + "</h1>\n";
        for (int p = 0; p < 60; ++p)
            html += "<p>Returns an <a href=\"" + up + pagePath((page * 17 + p) % kReferencePages).toUtf8() +
                    "#method.get\"><code>Option&lt;&amp;V&gt;</code></a> for ~x ## y.</p>\n";
        html += "<a class=\"srclink\" href=\"" + up + "src/core/t" + QByteArray::number(page % 500) +
                ".rs.html#10-20\">source</a></main></body></html>\n";
        writeFile(site + u'/' + path, html);
        // The redirect that an older name of the page leaves.
        writeFile(site + u'/' + path.section(u'/', 0, -2) + QStringLiteral("/T%1.t.html").arg(page),
                  "<!DOCTYPE html><html><head><meta http-equiv=\"refresh\" content=\"0;URL=struct.T" +
                      QByteArray::number(page) + ".html\"></head><body><p>Redirecting to <a href=\"struct.T" +
                      QByteArray::number(page) + ".html\">struct.T" + QByteArray::number(page) +
                      ".html</a>...</p><script>location.replace(\"struct.T" + QByteArray::number(page) +
                      ".html\" + location.search + location.hash);</script></body></html>");
    }
    QDir().mkpath(site + QStringLiteral("/src/core"));
    for (int s = 0; s < 500; ++s)
        writeFile(site + QStringLiteral("/src/core/t%1.rs.html").arg(s),
                  "<title>t.rs</title><pre>" +
                      QByteArray("<span class=\"kw\">fn</span> <span class=\"ident\">f</span>() {}\n").repeated(200) +
                      "</pre>");
    QByteArray index = "<title>core - Rust</title><a href=\"" + pagePath(0).toUtf8() + "\">Start</a>";
    for (int page = 0; page < kReferencePages; page += 150)
        index += "<a href=\"" + pagePath(page).toUtf8() + "\">T</a>";
    writeFile(site + QStringLiteral("/index.html"), index);
    return site;
}

const QString &reference()
{
    static QTemporaryDir root;
    static const QString path = makeReference(root.path());
    return path;
}

const QString &manual()
{
    static QTemporaryDir root;
    static const QString path = makeManual(root.path());
    return path;
}

const QString &site()
{
    static QTemporaryDir root;
    static const QString path = makeSite(root.path());
    return path;
}

void run(benchmark::State &state, const QString &program, const QStringList &args)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        state.SkipWithError(
            qPrintable(program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAllStandardError())));
}

void measure(benchmark::State &state, const QString &program, const QStringList &args, const QString &out)
{
    for (auto _ : state) {
        state.PauseTiming();
        QDir(out).removeRecursively();
        state.ResumeTiming();
        run(state, program, args);
    }
    QDir(out).removeRecursively();
}

void BM_CopySite(benchmark::State &state)
{
    const QString out = site() + QStringLiteral("-copy");
    measure(state, QStringLiteral("cp"), {QStringLiteral("-rL"), site(), out}, out);
}
BENCHMARK(BM_CopySite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportSite(benchmark::State &state)
{
    const QString out = site() + QStringLiteral("-book");
    measure(state, QStringLiteral(TAVLO_BOOK_EXE), {QStringLiteral("import"), site(), QStringLiteral("-o"), out}, out);
}
BENCHMARK(BM_ImportSite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyManual(benchmark::State &state)
{
    const QString out = manual() + QStringLiteral("-copy");
    measure(state, QStringLiteral("cp"), {QStringLiteral("-rL"), manual(), out}, out);
}
BENCHMARK(BM_CopyManual)->Unit(benchmark::kMillisecond)->UseRealTime();

// With the files that symbolic links lead to, as the manual needs them.
void BM_ImportManual(benchmark::State &state)
{
    const QString out = manual() + QStringLiteral("-book");
    measure(state, QStringLiteral(TAVLO_BOOK_EXE),
            {QStringLiteral("import"), manual(), QStringLiteral("-o"), out, QStringLiteral("--follow-links")}, out);
}
BENCHMARK(BM_ImportManual)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyReference(benchmark::State &state)
{
    const QString out = reference() + QStringLiteral("-copy");
    measure(state, QStringLiteral("cp"), {QStringLiteral("-rL"), reference(), out}, out);
}
BENCHMARK(BM_CopyReference)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportReference(benchmark::State &state)
{
    const QString out = reference() + QStringLiteral("-book");
    measure(state, QStringLiteral(TAVLO_BOOK_EXE),
            {QStringLiteral("import"), reference(), QStringLiteral("-o"), out, QStringLiteral("--follow-links")}, out);
}
BENCHMARK(BM_ImportReference)->Unit(benchmark::kMillisecond)->UseRealTime();

// check of the book that import made of the reference, whose errors (the source pages' missing
// links) make check exit with 1: only a crash counts as a failure here.
void BM_CheckReference(benchmark::State &state)
{
    const QString out = reference() + QStringLiteral("-checked");
    QDir(out).removeRecursively();
    run(state, QStringLiteral(TAVLO_BOOK_EXE),
        {QStringLiteral("import"), reference(), QStringLiteral("-o"), out, QStringLiteral("--follow-links")});
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TAVLO_BOOK_EXE),
                      {QStringLiteral("check"), out + QStringLiteral("/tessavanetavlo.tavlo")});
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
            state.SkipWithError("check failed");
    }
    QDir(out).removeRecursively();
}
BENCHMARK(BM_CheckReference)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
