// A book of 1 GB and 200,000 pages in the real reader window, headless: it loads, its resident memory
// stays within 1.3 times the file's size beyond the engine's own, and it is read to its last page by
// a link to page 150,000 and by Next. Prints its figures; exits non-zero when a check fails.

#include "pageview/pageview.h"
#include "platform/components.h"
#include "reader/form1.h"
#include "reader/picturebutton.h"
#include "webviewsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

constexpr int kPages = 200'000;
constexpr qsizetype kPageBytes = 5'360; // 200,000 pages of this make about 1 GB

bool failed = false;

void check(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    failed = failed || !ok;
}

qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

// Page i: its name, links to page 150,000 and to the page before the last, and filler to its size.
QByteArray page(int i)
{
    QByteArray html = "p" + QByteArray::number(i) + "##<html><body><h1 id=\"title\">page " + QByteArray::number(i) +
                      "</h1><p><a id=\"far\" href=\"P150000\">to page 150,000</a> "
                      "<a id=\"end\" href=\" p199998 \">to the end</a></p><p>";
    const QByteArray words = "the quick brown fox jumps over the lazy dog ";
    while (html.size() < kPageBytes - 20)
        html += words;
    html.truncate(kPageBytes - 20);
    return html + "</p></body></html>";
}

qint64 writeBook(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    file.write("A very large book<<$$>>");
    for (int i = 0; i < kPages; ++i)
        file.write((i ? "~" : "") + page(i));
    return file.size();
}

QString evaluate(QWebEngineView &view, const QString &script)
{
    QString result;
    QEventLoop loop;
    view.page()->runJavaScript(script, [&](const QVariant &value) {
        result = value.toString();
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

// What the reader does for a click on the link of that id, as the page view reports it.
void clickLink(reader::Form1 &form, QWebEngineView &view, const QString &id)
{
    // The page's own click() goes through the view's click report, as a mouse click does.
    evaluate(view, QStringLiteral("document.getElementById('%1').click()").arg(id));
    Q_UNUSED(form);
}

} // namespace

int main(int argc, char **argv)
{
    const auto app = startWebEngine(argc, argv);

    QTemporaryDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bigbook-XXXXXX") : QString());
    QElapsedTimer timer;
    timer.start();
    const qint64 size = writeBook(folder.filePath(QStringLiteral("tessavanetavlo.tavlo")));
    std::printf("book: %lld bytes, %d pages, written in %lld ms\n", size, kPages, timer.elapsed());

    // The engine's own: a page view created and showing a page, before the book is read.
    QWidget warmUpWindow;
    pageview::PageView *warmUp =
        pageview::createPageView({QStringLiteral(TAVLO_CONTROL_FILE)}, &warmUpWindow, folder.path());
    warmUp->widget()->show();
    warmUp->setDocumentHtml(QStringLiteral("<p>warm</p>"));
    waitForLoad(*qobject_cast<QWebEngineView *>(warmUp->widget()));
    const qint64 before = residentBytes();

    QStringList messages;
    reader::ReaderServices services = reader::ReaderServices::platformServices();
    services.applicationFolder = [&] { return folder.path(); };
    services.showMessage = [&](const QString &text) { messages << text; };
    reader::Form1 form(
        [&](QWidget *window) {
            return pageview::createPageView({QStringLiteral(TAVLO_CONTROL_FILE)}, window, folder.path());
        },
        std::move(services));
    QWebEngineView &view = *form.findChild<QWebEngineView *>();
    timer.restart();
    form.showModeless();
    waitForLoad(view);
    const qint64 loadMs = timer.elapsed();
    const qint64 after = residentBytes();
    std::printf("start to first page: %lld ms; resident memory %lld MB before loading, %lld MB after (%.2f x the "
                "file's size beyond the engine's own)\n",
                loadMs, before >> 20, after >> 20, double(after - before) / double(size));
    const QLabel *band = form.findChild<QLabel *>(QStringLiteral("band"));
    const QString counted = QStringLiteral("page 1 of %1").arg(kPages);
    check(band && (band->text() == counted || band->text().startsWith(counted + u' ')),
          "every page is in the page table");
    check(double(after - before) <= 1.3 * double(size), "resident memory within 1.3 x the file's size");

    timer.restart();
    clickLink(form, view, QStringLiteral("far"));
    waitForLoad(view);
    std::printf("link to page 150,000 (index built meanwhile): %lld ms\n", timer.elapsed());
    check(form.currentPage() == 150000 &&
              evaluate(view, QStringLiteral("document.getElementById('title').textContent")) ==
                  QStringLiteral("page 150000"),
          "a link shows page 150,000");

    clickLink(form, view, QStringLiteral("end"));
    waitForLoad(view);
    emit form.nxt->clicked();
    waitForLoad(view);
    check(form.currentPage() == kPages - 1 &&
              evaluate(view, QStringLiteral("document.getElementById('title').textContent")) ==
                  QStringLiteral("page 199999"),
          "Next shows the last page");
    emit form.nxt->clicked();
    check(messages == QStringList{QStringLiteral("this is the last page of the book")},
          "Next on the last page tells the user");
    return failed ? 1 : 0;
}
