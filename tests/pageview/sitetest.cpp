// A book whose pages refer to files beside the program by relative URL, as a real manual does: its
// style sheet, the font and picture that the style sheet names, its script. They are served from the
// application folder, and nothing else is.
#include "pageviewtest.h"

#include <platform/appfolder.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

namespace {

class PageViewSite : public PageViewTest {
protected:
    void SetUp() override
    {
        PageViewTest::SetUp();
        // A site of the test's own inside the application folder (the test program's folder).
        site_ = QStringLiteral("site-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        root_ = platform::applicationFolder() + u'/' + site_;
        write(QStringLiteral("css/style.css"),
              "@font-face { font-family: Garden; src: url(../fonts/garden.ttf); }\n"
              "body { color: rgb(0, 128, 0); font-family: Garden, monospace; }\n"
              "#pic { width: 16px; height: 16px; background-image: url(../pictures/rose.gif); }\n");
        write(QStringLiteral("js/script.js"), "window.fromScript = 'caf\xc3\xa9';\n");
        QDir().mkpath(root_ + QStringLiteral("/fonts"));
        ASSERT_TRUE(QFile::copy(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
                                root_ + QStringLiteral("/fonts/garden.ttf")));
        QDir().mkpath(root_ + QStringLiteral("/pictures"));
        ASSERT_TRUE(QFile::copy(platform::applicationFolder() + QStringLiteral("/images/Rose.gif"),
                                root_ + QStringLiteral("/pictures/rose.gif")));
        write(QStringLiteral("book.tavlo"), "Title<<$$>>secret##every page");
        ASSERT_TRUE(QFile::link(QStringLiteral("/etc/hostname"), root_ + QStringLiteral("/out.css")));
        ASSERT_TRUE(QFile::link(root_ + QStringLiteral("/book.tavlo"), root_ + QStringLiteral("/book.css")));
    }

    void TearDown() override { QDir(root_).removeRecursively(); }

    void write(const QString &name, const QByteArray &bytes)
    {
        const QString path = root_ + u'/' + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString site_;
    QString root_;
};

TEST_F(PageViewSite, StyleSheetsScriptsFontsAndTheirPicturesComeFromTheApplicationFolder)
{
    show(kRecorder + QStringLiteral("<link rel=\"stylesheet\" href=\"%1/css/style.css\">"
                                    "<script src=\"%1/js/script.js\"></script>"
                                    "<div id=\"pic\"></div><p>Roses</p>")
                         .arg(site_));
    EXPECT_EQ(evaluate(QStringLiteral("getComputedStyle(document.body).color")).toString(),
              QStringLiteral("rgb(0, 128, 0)"));
    // The script file was read as UTF-8.
    EXPECT_EQ(evaluate(QStringLiteral("window.fromScript")).toString(), QStringLiteral("caf\u00e9"));
    // The style sheet's font and picture resolve from the style sheet's own folder.
    evaluate(QStringLiteral("document.fonts.load('16px Garden').then(f => record('font', f.length));"
                            "picture('picture of the style sheet',"
                            "    getComputedStyle(document.getElementById('pic')).backgroundImage.slice(5, -2));"
                            "const x = new XMLHttpRequest(); x.open('GET', '%1/css/style.css');"
                            "x.onload = () => record('type', x.getResponseHeader('content-type')); x.send();")
                 .arg(site_));
    const QVariantMap used = results(3);
    EXPECT_EQ(used.value(QStringLiteral("font")).toInt(), 1);
    EXPECT_EQ(used.value(QStringLiteral("picture of the style sheet")).toString(), QStringLiteral("loaded"));
    EXPECT_EQ(used.value(QStringLiteral("type")).toString(), QStringLiteral("text/css; charset=utf-8"));

    // Nothing outside the folder, and not the book.
    show(kRecorder + QStringLiteral("<script>"
                                    "picture('picture', '%1/pictures/rose.gif');"
                                    "read('climbing', '%1/../../../../../../etc/hostname');"
                                    "read('encoded dots', '%1/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/hostname');"
                                    "read('encoded slashes', '%1%2f..%2f..%2f..%2f..%2f..%2f..%2fetc%2fhostname');"
                                    "read('backslashes', '%1\\\\..\\\\..\\\\..\\\\..\\\\..\\\\etc\\\\hostname');"
                                    "read('link leading out', '%1/out.css');"
                                    "read('book file', '%1/book.tavlo');"
                                    "read('book file in other case', '%1/BOOK.TAVLO');"
                                    "read('link to the book file', '%1/book.css');"
                                    "</script>")
                         .arg(site_));
    QVariantMap outcome = results(9);
    ASSERT_EQ(outcome.size(), 9);
    EXPECT_EQ(outcome.take(QStringLiteral("picture")).toString(), QStringLiteral("loaded"));
    for (auto it = outcome.begin(); it != outcome.end(); ++it)
        EXPECT_EQ(it.value().toString(), QStringLiteral("blocked")) << it.key().toStdString();
}

using PageViewBookOrigin = PageViewTest;

// The book is one origin, as a site on a web server is: its pages share what they store, a page may
// give itself another page's address, and its history steps beyond its own entries are the reader's.
TEST_F(PageViewBookOrigin, PagesShareTheirStorageAndMoveThroughTheirOwnHistory)
{
    QList<int> steps;
    view->setHistoryHandler([&](int offset) { steps << offset; });
    int navigations = 0;
    view->setNavigationHandler([&](const QUrl &) { ++navigations; });
    view->setDocumentPage(QStringLiteral("docs/a.html"));
    // A variable of its own by the name of the engine's navigation changes nothing of its history.
    show(QStringLiteral("<p>a</p><script>var navigation = 'menu';"
                        "window.loaded = 'a'; localStorage.setItem('theme', 'dark');"
                        "sessionStorage.setItem('search', 'walrus');</script>"));
    EXPECT_EQ(evaluate(QStringLiteral("self.origin")).toString(), QStringLiteral("tavlo://book"));
    evaluate(QStringLiteral("history.pushState({}, '', 'other.html?q=1'); history.pushState({}, '', '/third.html')"));
    EXPECT_EQ(evaluate(QStringLiteral("location.href")).toString(), QStringLiteral("tavlo://book/third.html"));

    // Back and Forward of the reader go through the page's own entries, and no further; nothing loads.
    EXPECT_TRUE(view->goWithinPage(-1));
    EXPECT_TRUE(waitUntil(QStringLiteral("location.pathname == '/docs/other.html'")));
    EXPECT_TRUE(view->goWithinPage(-1));
    EXPECT_TRUE(waitUntil(QStringLiteral("location.pathname == '/docs/a.html'")));
    EXPECT_FALSE(view->goWithinPage(-1));
    EXPECT_TRUE(view->goWithinPage(1));
    EXPECT_TRUE(waitUntil(QStringLiteral("location.search == '?q=1'")));

    // The page's own steps: within its entries the engine moves; beyond them, the reader is told how far.
    evaluate(QStringLiteral("history.go(-3); history.go(2)"));
    evaluate(QStringLiteral("history.forward()"));
    EXPECT_TRUE(waitUntil(QStringLiteral("location.pathname == '/third.html'")));
    evaluate(QStringLiteral("history.forward()"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return steps.size() == 3; }, 10000));
    EXPECT_EQ(steps, (QList<int>{-2, 1, 1}));
    evaluate(QStringLiteral("history.go(-2)"));
    EXPECT_TRUE(waitUntil(QStringLiteral("location.pathname == '/docs/a.html'")));
    EXPECT_EQ(evaluate(QStringLiteral("window.loaded")).toString(), QStringLiteral("a"));
    EXPECT_EQ(steps.size(), 3);

    // The next page reads what the first stored. Its history goes back by a way around the page's
    // history functions (another frame's); the engine doesn't go there either.
    view->setDocumentPage(QStringLiteral("b.html"));
    show(QStringLiteral("<iframe></iframe>"));
    EXPECT_EQ(
        evaluate(QStringLiteral("localStorage.getItem('theme') + ' ' + sessionStorage.getItem('search')")).toString(),
        QStringLiteral("dark walrus"));
    evaluate(QStringLiteral("frames[0].History.prototype.back.call(history)"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return steps.size() == 4; }, 10000));
    EXPECT_EQ(steps.value(3), -1);
    EXPECT_EQ(web->url().path(), QStringLiteral("/b.html"));
    EXPECT_EQ(navigations, 0);

    // Another book's reader, whose pages are tavlo://book too, reads nothing of this one's.
    QWidget otherWindow;
    pageview::PageView *other = pageview::createPageView({controlFile()}, &otherWindow, platform::applicationFolder());
    QWebEnginePage *otherPage = qobject_cast<QWebEngineView *>(other->widget())->page();
    otherWindow.show();
    QSignalSpy loaded(otherPage, &QWebEnginePage::loadFinished);
    other->setDocumentHtml(QStringLiteral("<p>another book</p>"));
    ASSERT_TRUE(loaded.wait(20000));
    auto stored = std::make_shared<std::optional<QVariant>>();
    otherPage->runJavaScript(QStringLiteral("[self.origin, localStorage.length, sessionStorage.length].join(' ')"),
                             [stored](const QVariant &value) { *stored = value; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored->has_value(); }, 10000));
    EXPECT_EQ(stored->value().toString(), QStringLiteral("tavlo://book 0 0"));
}

} // namespace
