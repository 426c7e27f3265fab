// tavlo-book import of a generated site of 2,000 pages and 5,000 files they use, against copying the
// same folder with cp -r, in the same run. Both run as programs, as their users run them.

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
    measure(state, QStringLiteral("cp"), {QStringLiteral("-r"), site(), out}, out);
}
BENCHMARK(BM_CopySite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportSite(benchmark::State &state)
{
    const QString out = site() + QStringLiteral("-book");
    measure(state, QStringLiteral(TAVLO_BOOK_EXE), {QStringLiteral("import"), site(), QStringLiteral("-o"), out}, out);
}
BENCHMARK(BM_ImportSite)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
