// The click report: real mouse clicks on the shown page, each reported with the "href" it met, and
// where the view goes (or doesn't) on its own.
#include "pageviewtest.h"

#include <platform/appfolder.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// Stands for the user's web browser.
class Browser final : public QObject {
    Q_OBJECT

public:
    Browser() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open"); }
    ~Browser() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class PageViewClick : public PageViewTest {
protected:
    void SetUp() override
    {
        PageViewTest::SetUp();
        show(QStringLiteral("<html><body style=\"height: 4000px\">"
                            "<p><a id=\"roses\" href=\"roses\">roses</a></p>"
                            "<p><a id=\"spaced\" href=\" Roses \">Roses with blanks</a></p>"
                            "<p><a id=\"web\" href=\"http://example.org/x\">the web</a></p>"
                            "<p><a href=\"lilies\"><img id=\"picture\" width=\"40\" height=\"40\" "
                            "src=\"%1\\images\\rose.gif\"></a></p>"
                            "<p id=\"plain\">plain text, no link</p>"
                            "<p><a id=\"down\" href=\"#bottom\">to the bottom</a></p>"
                            "<p style=\"position: absolute; top: 3500px\"><a name=\"bottom\">bottom</a></p>"
                            "</body></html>")
                 .arg(platform::applicationFolder()));
        documentUrl_ = web->url();
    }

    // Clicks the element, waits for the click report and returns the "href" reported with it.
    QString clickAndRead(const QString &selector)
    {
        const int before = clicks;
        click(selector);
        EXPECT_TRUE(waitForClicks(before + 1)) << selector.toStdString();
        EXPECT_EQ(clicks, before + 1) << selector.toStdString();
        return lastClick.href;
    }

    void expectStillOnThePage()
    {
        EXPECT_EQ(web->url().adjusted(QUrl::RemoveFragment), documentUrl_);
        EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('plain').textContent")).toString(),
                  QStringLiteral("plain text, no link"));
    }

    Browser browser_;
    QUrl documentUrl_;
};

TEST_F(PageViewClick, ReportsEachClickWithTheHrefAsWritten)
{
    QSignalSpy loads(web->page(), &QWebEnginePage::loadStarted);
    EXPECT_EQ(clickAndRead(QStringLiteral("#roses")), QStringLiteral("roses"));
    EXPECT_EQ(clickAndRead(QStringLiteral("#spaced")), QStringLiteral(" Roses "));
    EXPECT_EQ(clickAndRead(QStringLiteral("#picture")), QStringLiteral("lilies"));
    EXPECT_EQ(clickAndRead(QStringLiteral("#plain")), QString());
    EXPECT_EQ(clickAndRead(QStringLiteral("#web")), QStringLiteral("http://example.org/x"));

    // The view went nowhere, and sent nothing to the browser: where a link leads is the reader's call.
    EXPECT_TRUE(browser_.opened.isEmpty());
    expectStillOnThePage();
    EXPECT_EQ(loads.count(), 0);
}

TEST_F(PageViewClick, ShowsThePageThatTheProgramPutsOnTheClick)
{
    onClick = [this] {
        if (lastClick.href == u"roses")
            view->setDocumentHtml(QStringLiteral("<p>The page roses</p>"));
    };
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    clickAndRead(QStringLiteral("#roses"));
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(evaluate(QStringLiteral("document.body.textContent")).toString(), QStringLiteral("The page roses"));
}

TEST_F(PageViewClick, ScrollsToAPlaceInThePage)
{
    EXPECT_EQ(clickAndRead(QStringLiteral("#down")), QStringLiteral("#bottom"));
    EXPECT_TRUE(waitUntil(QStringLiteral("window.scrollY > 2000")));
    expectStillOnThePage();
}

TEST_F(PageViewClick, TheContextMenuCopiesAndSelectsAndNothingMore)
{
    // The program's rule of what a click opens outside the book: here, any web address.
    view->setOutsideLinkRule([](const QUrl &url) { return url.scheme() == u"http" ? url : QUrl(); });
    const auto menuOn = [this](const QString &selector) -> QMenu * {
        const QVariantList centre =
            evaluate(QStringLiteral("(function () { const r = document.querySelector('%1').getBoundingClientRect();"
                                    " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                         .arg(selector))
                .toList();
        QTest::mouseClick(web->focusProxy(), Qt::RightButton, {},
                          QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
        QMenu *menu = nullptr;
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }, 10000));
        return menu;
    };
    const auto names = [](QMenu *menu) {
        QStringList list;
        for (const QAction *action : menu->actions())
            if (!action->isSeparator())
                list << action->text();
        return list;
    };

    QMenu *menu = menuOn(QStringLiteral("#spaced"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(names(menu),
              (QStringList{QStringLiteral("Copy"), QStringLiteral("Copy link address"), QStringLiteral("Select all")}));
    menu->actions().at(1)->trigger();
    menu->close();
    // The name the link leads to, outer blanks aside as the lookup takes them.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Roses"));

    menu = menuOn(QStringLiteral("#web"));
    ASSERT_NE(menu, nullptr);
    menu->actions().at(1)->trigger();
    menu->close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http://example.org/x"));

    // Away from links: no link to copy; Select all selects the page.
    menu = menuOn(QStringLiteral("#plain"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(names(menu), (QStringList{QStringLiteral("Copy"), QStringLiteral("Select all")}));
    EXPECT_FALSE(menu->actions().at(0)->isEnabled());
    menu->actions().last()->trigger();
    menu->close();
    EXPECT_TRUE(waitUntil(QStringLiteral("window.getSelection().toString().includes('plain text, no link')")));
}

} // namespace

#include "clicktest.moc"
