// Showing documents: the HTML put is what the view renders, of any size, with its pictures.
#include "pageviewtest.h"

#include <platform/appfolder.h>
#include <platform/screen.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <csignal>

namespace {

using PageViewDocument = PageViewTest;

TEST_F(PageViewDocument, RendersTheHtmlPutAndReplacesItWithTheNext)
{
    const QString first = QStringLiteral("<html><head><title>Roses</title></head><body><h1>Roses</h1>"
                                         "<p>Red <b>and</b> white, \u00e5 \u00e9 \u4e2d</p></body></html>");
    show(first);
    EXPECT_EQ(evaluate(QStringLiteral("document.documentElement.outerHTML")).toString(), first);

    const QString second = QStringLiteral("<html><head></head><body><p>Lilies</p></body></html>");
    show(second);
    EXPECT_EQ(evaluate(QStringLiteral("document.documentElement.outerHTML")).toString(), second);
}

TEST_F(PageViewDocument, WorkAfterLoadingWaitsForWhicheverDocumentLoads)
{
    // Each piece of work notes the address loaded when it ran; each document put has its own.
    QStringList done;
    view->setDocumentHtml(QStringLiteral("<p>Roses</p>"));
    view->afterLoading([&] { done << web->url().toString(); });
    EXPECT_TRUE(done.isEmpty());
    // A document put before the first has loaded takes its place.
    view->setDocumentHtml(QStringLiteral("<p>Lilies</p>"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, 20000));
    EXPECT_EQ(evaluate(QStringLiteral("document.body.textContent")).toString(), u"Lilies");
    EXPECT_EQ(done, QStringList(web->url().toString()));
    // Once the document has loaded, work runs at once.
    view->afterLoading([&] { done << QStringLiteral("at once"); });
    EXPECT_EQ(done, QStringList({web->url().toString(), QStringLiteral("at once")}));
}

TEST_F(PageViewDocument, ShowsAPageOfFiveMegabytes)
{
    QString html = QStringLiteral("<html><head></head><body>");
    const QString paragraph = QStringLiteral("<p>The rose garden, row %1, with its long description.</p>");
    int rows = 0;
    while (html.size() < 5 * 1024 * 1024)
        html += paragraph.arg(++rows);
    html += QStringLiteral("<p id=\"last\">the end</p></body></html>");
    show(html);

    EXPECT_EQ(evaluate(QStringLiteral("document.getElementsByTagName('p').length")).toInt(), rows + 1);
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('last').textContent")).toString(),
              QStringLiteral("the end"));
}

TEST_F(PageViewDocument, ShowsPicturesThatTheReaderPointedIntoTheImagesFolder)
{
    // As the reader rewrites them: the application folder, "\images\" and the name; the file is
    // images/Rose.gif.
    const QString folder = platform::applicationFolder();
    show(QStringLiteral("<img id=\"a\" src=\"%1\\images\\rose.gif\"><img id=\"b\" src=\"%1\\images/Rose.GIF\">"
                        "<img id=\"c\" src=\"%1\\images\\missing.gif\">")
             .arg(folder));
    ASSERT_TRUE(waitUntil(QStringLiteral("[...document.images].every(i => i.complete)")));
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('a').naturalWidth")).toInt(), 16);
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('b').naturalWidth")).toInt(), 16);
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('c').naturalWidth")).toInt(), 0);
}

TEST_F(PageViewDocument, ShowsPicturesOfAnApplicationFolderWhoseNameHoldsUrlSyntax)
{
    // A folder name is not a URL: "#", "?" and "%41" are part of the name.
    QTemporaryDir parent;
    const QString folder = parent.filePath(QStringLiteral("book #1?draft%41"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/images")));
    ASSERT_TRUE(QFile::copy(platform::applicationFolder() + QStringLiteral("/images/Rose.gif"),
                            folder + QStringLiteral("/images/rose.gif")));
    view->setApplicationFolder(folder);
    const QString html =
        QStringLiteral("<p>%1\\images\\rose.gif</p><img id=\"a\" src=\"%1\\images\\rose.gif\">").arg(folder);
    show(html);
    ASSERT_TRUE(waitUntil(QStringLiteral("[...document.images].every(i => i.complete)")));
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('a').naturalWidth")).toInt(), 16);
    // The text of the page is left as written.
    EXPECT_EQ(evaluate(QStringLiteral("document.querySelector('p').textContent")).toString(),
              folder + QStringLiteral("\\images\\rose.gif"));
}

TEST_F(PageViewDocument, BrowseModeOffMakesThePageEditableUntilItIsOnAgain)
{
    show(QStringLiteral("<p>Roses</p>"));
    EXPECT_EQ(evaluate(QStringLiteral("document.designMode")).toString(), QStringLiteral("off"));

    view->setBrowseMode(false);
    EXPECT_TRUE(waitUntil(QStringLiteral("document.designMode == 'on'")));
    // A document put meanwhile is editable too.
    show(QStringLiteral("<p>Lilies</p>"));
    EXPECT_TRUE(waitUntil(QStringLiteral("document.designMode == 'on'")));

    view->setBrowseMode(true);
    EXPECT_TRUE(waitUntil(QStringLiteral("document.designMode == 'off'")));
}

TEST_F(PageViewDocument, PlacesItselfInTwipsAndReadsItsWidthBack)
{
    view->setLeft(1500);
    view->setTop(3000);
    view->setWidth(12345.5f);
    view->setHeight(4500);
    EXPECT_EQ(web->pos(), QPoint(platform::twipsToPixels(1500), platform::twipsToPixels(3000)));
    EXPECT_EQ(web->size(), QSize(platform::twipsToPixels(12345.5f), platform::twipsToPixels(4500)));
    // What the layout computes from the width read back must come out exactly.
    EXPECT_EQ(view->width(), 12345.5f);

    // Resized by other means, it reports its real width.
    web->resize(400, 300);
    EXPECT_EQ(view->width(), platform::pixelsToTwips(400));
}

TEST_F(PageViewDocument, ShowsThePageAgainWhenItsRenderProcessDies)
{
    show(QStringLiteral("<p id=\"marker\">Roses</p>"));
    const qint64 pid = web->page()->renderProcessPid();
    ASSERT_GT(pid, 0);

    QSignalSpy terminated(web->page(), &QWebEnginePage::renderProcessTerminated);
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    ASSERT_TRUE(terminated.wait(10000));
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(20000));
    EXPECT_TRUE(loaded.constLast().constFirst().toBool());
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('marker').textContent")).toString(),
              QStringLiteral("Roses"));
    EXPECT_NE(web->page()->renderProcessPid(), pid);
}

} // namespace
