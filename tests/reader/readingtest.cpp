// What the reader window offers beside its buttons, in the real window with its real page view:
// Back and Forward, keys, zoom and resizing, the band that says where the reader is, find in the
// whole book, and buttons that assistive technology sees.
#include "realwindow.h"

#include <author/siteimport.h>
#include <reader/booksearchbar.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QWebEngineFindTextResult>

namespace {

// Three pages; a long first one that links to the third.
const QByteArray kBook = "Garden<<$$>>roses##<h1>roses</h1><p style=\"height: 3000px\">Red.</p>"
                         "<a id=\"to-lilies\" href=\"lilies\">lilies</a><p style=\"height: 3000px\"></p>"
                         "~ tulips ##<h1>tulips</h1><p>Yellow.</p>"
                         "~lilies##<h1>lilies</h1><p>White, with aptitude.</p>";

using ReadingTest = RealWindowTest;
using namespace Qt::StringLiterals;

TEST_F(ReadingTest, KeysInTheRealPageReachTheWindowsCommandsAndTheBandSaysWhereTheyLed)
{
    // The key map itself is held to the README over the fake page view; here, the keys go through
    // the web engine's own widgets, which take some for the page first.
    writeBook(kBook);
    open();
    QLabel *band = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (band = form->findChild<QLabel *>(QStringLiteral("band"))); }));
    EXPECT_EQ(band->text(), QStringLiteral("page 1 of 3   \u2014   roses"));
    EXPECT_GT(band->geometry().top(), web->geometry().bottom());
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    keyInPage(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 1);
    EXPECT_EQ(band->text(), QStringLiteral("page 2 of 3   \u2014   tulips"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Garden"));
    keyInPage(Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(prints.filePath(QStringLiteral("print-1.pdf"))));

    // Find opens the page's find dialog; Escape in the page closes it, and then leaves full screen.
    keyInPage(Qt::Key_F11, Qt::NoModifier);
    keyInPage(Qt::Key_F, Qt::ControlModifier);
    auto *findText = web->findChild<QWidget *>(QStringLiteral("findText"));
    ASSERT_NE(findText, nullptr);
    QWidget *find = findText->parentWidget();
    EXPECT_TRUE(find->isVisible());
    keyInPage(Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(find->isVisible());
    EXPECT_TRUE(form->isFullScreen());
    keyInPage(Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ReadingTest, ZoomHoldsFromPageToPageButNotForPrintingAndTheViewFollowsTheWindow)
{
    writeBook(kBook);
    open();
    const QRect atLoad = web->geometry();
    const int right = form->width() - atLoad.right();
    const int bottom = form->height() - atLoad.bottom();

    keyInPage(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(web->zoomFactor(), 1.1);
    QWheelEvent wheel(QPointF(50, 50), web->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, 240), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(web->focusProxy(), &wheel);
    EXPECT_DOUBLE_EQ(web->zoomFactor(), 1.5);
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_DOUBLE_EQ(web->zoomFactor(), 1.5);
    for (int i = 0; i < 30; ++i)
        keyInPage(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(web->zoomFactor(), 5.0);

    // The same page prints on as many sheets at 500% as without zoom.
    const auto sheets = [&](const QString &file) {
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {file});
        info.waitForFinished(30000);
        return QString::fromUtf8(info.readAllStandardOutput())
            .section(QStringLiteral("Pages:"), 1)
            .trimmed()
            .section(u'\n', 0, 0);
    };
    QTest::mouseClick(form->home, Qt::LeftButton);
    ASSERT_TRUE(loaded.wait(20000));
    QTest::mouseClick(form->print1, Qt::LeftButton);
    keyInPage(Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(web->zoomFactor(), 1.0);
    QTest::mouseClick(form->print1, Qt::LeftButton);
    EXPECT_EQ(sheets(prints.filePath(QStringLiteral("print-1.pdf"))),
              sheets(prints.filePath(QStringLiteral("print-2.pdf"))));

    // A smaller window: the view keeps its margins to the right and bottom edges.
    form->resize(800, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->width() == 800; }));
    EXPECT_EQ(web->geometry().topLeft(), atLoad.topLeft());
    EXPECT_EQ(form->width() - web->geometry().right(), right);
    EXPECT_EQ(form->height() - web->geometry().bottom(), bottom);
}

TEST_F(ReadingTest, TheBandShowsTheWebLinkUnderThePointerAndAClickOrACopyTakesOnlyThat)
{
    // A link over the whole lower page, whose target the page's script changes as the button goes
    // down and as its menu opens; a plain web link above it.
    writeBook("Steer<<$$>>a##<p><a id=\"plain\" href=\"https://example.org/plain\">plain</a></p>"
              "<a id=\"cover\" href=\"https://example.org/shown\" "
              "style=\"position: fixed; left: 0; right: 0; top: 100px; bottom: 0\"></a>"
              "<script>cover.addEventListener('mousedown', () => cover.href = 'https://example.org/steered');"
              "cover.addEventListener('contextmenu', () => cover.href = 'https://example.org/menu');"
              "</script>");
    open();
    QLabel *band = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (band = form->findChild<QLabel *>(QStringLiteral("band"))); }));
    const QPoint onCover(200, 300);
    QTest::mouseMove(web->focusProxy(), onCover);
    ASSERT_TRUE(QTest::qWaitFor([&] { return band->text() == u"https://example.org/shown"; }, 10000))
        << band->text().toStdString();

    // Copy link address copies the link under the pointer as the button went down.
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(web->focusProxy(), Qt::RightButton, {}, onCover);
    QMenu *menu = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }));
    ASSERT_EQ(menu->actions().size(), 4);
    menu->actions().at(1)->trigger();
    menu->close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("https://example.org/shown"));

    evaluate(QStringLiteral("cover.href = 'https://example.org/shown'"));
    QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, onCover);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return evaluate(QStringLiteral("cover.href")).toString().endsWith(u"steered"); }));

    // A link that stays what it was opens, even clicked the moment the pointer arrives, before any
    // hover report; click reports come in order, so the steered one, had it opened anything, would
    // stand first.
    const QVariantList box = evaluate(QStringLiteral("(() => { const r = plain.getBoundingClientRect();"
                                                     " return [r.left + r.width / 2, r.top + r.height / 2]; })()"))
                                 .toList();
    ASSERT_EQ(box.size(), 2);
    QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !openedLinks.isEmpty(); }, 10000));
    EXPECT_EQ(openedLinks, QList<QUrl>{QUrl(QStringLiteral("https://example.org/plain"))});
}

// A made-up manual, imported as an author imports a site: its pages lie in folders, and they find
// their files, read their own addresses and move the reader as on a web server.
TEST_F(ReadingTest, AnImportedSiteWorksAsOnAWebServer)
{
    QTemporaryDir site;
    const auto write = [&](const QString &name, const QByteArray &text) {
        QDir(site.path()).mkpath(QFileInfo(name).path());
        QFile file(site.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    // Each page shows where it was reached in its title.
    const QByteArray address = "<script>document.title = location.pathname + location.search + location.hash;</script>";
    write(u"index.html"_s,
          "<title>Index</title><h1>index</h1><form action=\"docs/search.html\"><input name=\"q\"></form>"
          "<a id=\"self\" href=\"\">this page</a> <a id=\"go\" href=\"docs/go.html\">go</a> "
          "<a id=\"licence\" href=\"/license.html\">licence</a> <a id=\"dead\" href=\"gone.html\">gone</a> "
          "<a id=\"pdf\" href=\"docs/manual.pdf\">manual</a> <a id=\"notes\" href=\"docs/notes.txt\">notes</a>");
    write(u"license.html"_s, "<h1>licence</h1>");
    write(u"docs/search.html"_s, "<script>const q = new URLSearchParams(location.search).get('q');"
                                 "document.write('<h1>found ' + q + '</h1><p style=\"height: 3000px\"></p>"
                                 "<a id=\"hit\" href=\"walrus.html?q=' + q +"
                                 "'#tusks\">walrus</a>');</script>");
    write(u"docs/walrus.html"_s, "<link rel=\"stylesheet\" href=\"../_static/style.css\">"
                                 "<script src=\"../_static/loader.js\"></script><h1>walrus</h1>"
                                 "<a id=\"go\" href=\"go.html\">go</a>" +
                                     address);
    write(u"docs/go.html"_s, "<h1>go</h1><button id=\"button\">go</button>" + address);
    write(u"_static/style.css"_s, "h1 { color: rgb(0, 128, 0); }");
    // A file that only a script names.
    write(u"_static/loader.js"_s, "document.write('<script src=\"../_static/' + 'da' + 'ta.js\"></' + 'script>');");
    write(u"_static/data.js"_s, "document.documentElement.dataset.data = 'loaded';");
    write(u"docs/manual.pdf"_s, "%PDF-1.4\n%%EOF\n");
    write(u"docs/notes.txt"_s, "The notes of the site.\n");
    SiteImportRequest request;
    request.site = site.path();
    request.out = app.path();
    request.force = true;
    request.all = true;
    const ImportReport report = importSite(request);
    open();
    const auto page = [&](const QString &name) {
        const auto found =
            std::find_if(report.pages.begin(), report.pages.end(), [&](auto &p) { return p.name == name; });
        return found == report.pages.end() ? qsizetype(-1) : qsizetype(found - report.pages.begin());
    };
    const auto reached = [&](qsizetype expected, const QString &title) {
        return QTest::qWaitFor([&] { return form->currentPage() == expected && web->page()->title() == title; }, 10000);
    };
    const auto headingIs = [&](const QString &text) {
        return QTest::qWaitFor([&] { return heading() == text; }, 10000);
    };

    // A site's own search: a form sends the words to a page whose script links to the result.
    evaluate(u"document.forms[0].q.value = 'tusk'; document.forms[0].submit();"_s);
    ASSERT_TRUE(headingIs(u"found tusk"_s));
    clickElement(u"hit"_s);
    ASSERT_TRUE(reached(page(u"docs/walrus.html"_s), u"/docs/walrus.html?q=tusk#tusks"_s));
    EXPECT_EQ(evaluate(u"location.href"_s).toString(), u"tavlo://book/docs/walrus.html?q=tusk#tusks"_s);
    EXPECT_EQ(evaluate(u"getComputedStyle(document.querySelector('h1')).color"_s).toString(), u"rgb(0, 128, 0)"_s);
    // Import copies every file of the site, the one only a script names too.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return evaluate(u"document.documentElement.dataset.data"_s).toString() == u"loaded"_s; }, 10000));
    // Back returns to the search page with its words, scrolled where the result was, as a browser's
    // does; the mouse's forward button comes back.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(headingIs(u"found tusk"_s));
    EXPECT_TRUE(QTest::qWaitFor([&] { return evaluate(u"window.scrollY"_s).toInt() > 2000; }, 10000));
    QTest::mouseClick(web->focusProxy(), Qt::ForwardButton, {}, QPoint(10, 10));
    ASSERT_TRUE(reached(page(u"docs/walrus.html"_s), u"/docs/walrus.html?q=tusk#tusks"_s));

    // Runs script as the page's own.
    const auto asThePage = [&](const QString &script) {
        evaluate(u"{ const s = document.createElement('script'); s.textContent = %1; document.body.append(s); }"_s.arg(
            QString::fromUtf8(QJsonDocument(QJsonArray{script}).toJson(QJsonDocument::Compact)).mid(1).chopped(1)));
    };
    // Each way a page's script moves the reader, run in docs/go.html, with the page and title it ends on.
    struct Way {
        const char *script;
        const char *page;
        const char *title;
    };
    for (const Way &way : std::initializer_list<Way>{
             {"history.back()", "docs/walrus.html", "/docs/walrus.html?q=tusk#tusks"},
             {"location.replace('walrus.html?q=seal#tusks')", "docs/walrus.html", "/docs/walrus.html?q=seal#tusks"},
             {"location.href = 'walrus.html?q=walrus#tusks'", "docs/walrus.html", "/docs/walrus.html?q=walrus#tusks"},
             {"location.search = '?q=seal'", "docs/go.html", "/docs/go.html?q=seal"},
             {"location.assign('walrus.html?q=seal#tusks')", "docs/walrus.html", "/docs/walrus.html?q=seal#tusks"},
             {"setTimeout(() => { location.href = '/docs/walrus.html?q=timer'; }, 50)", "docs/walrus.html",
              "/docs/walrus.html?q=timer"},
             {"document.head.innerHTML = '<meta http-equiv=refresh content=\"0;url=walrus.html?q=meta#tusks\">'",
              "docs/walrus.html", "/docs/walrus.html?q=meta#tusks"},
             {"button.onclick = () => location.assign('walrus.html?q=click')", "docs/walrus.html",
              "/docs/walrus.html?q=click"},
             {"history.pushState(null, '', '?q=walrus'); history.pushState(null, '', '?q=seal#tusks');"
              "onpopstate = () => { document.title = location.pathname + location.search + location.hash; };"
              "history.back()",
              "docs/go.html", "/docs/go.html?q=walrus"},
         }) {
        if (form->currentPage() != page(u"docs/go.html"_s)) {
            clickElement(u"go"_s);
            ASSERT_TRUE(reached(page(u"docs/go.html"_s), u"/docs/go.html"_s));
        }
        asThePage(QString::fromUtf8(way.script));
        if (QByteArrayView(way.script).startsWith("button"))
            clickElement(u"button"_s);
        EXPECT_TRUE(reached(page(QString::fromUtf8(way.page)), QString::fromUtf8(way.title)))
            << way.script << ": page " << form->currentPage() << ", " << web->page()->title().toStdString();
    }

    // The reader's Back goes through the page's own entries first, as a browser's does, without
    // loading it; a page may give itself another page's address and keep showing what it shows.
    const auto kept = [&] { return evaluate(u"document.body.dataset.kept"_s).toString() == u"yes"_s; };
    evaluate(u"document.body.dataset.kept = 'yes'"_s);
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(reached(page(u"docs/go.html"_s), u"/docs/go.html"_s));
    EXPECT_TRUE(kept());
    asThePage(u"history.pushState(null, '', 'walrus.html?q=pushed'); localStorage.setItem('theme', 'ayu')"_s);
    EXPECT_EQ(evaluate(u"location.pathname"_s).toString(), u"/docs/walrus.html"_s);
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return evaluate(u"location.pathname"_s).toString() == u"/docs/go.html"_s; }, 10000));
    EXPECT_TRUE(kept());
    EXPECT_EQ(form->currentPage(), page(u"docs/go.html"_s));
    // Beyond them, the reader's history: the page's history.back() and forward() are Back and Forward.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(reached(page(u"docs/walrus.html"_s), u"/docs/walrus.html?q=click"_s));
    asThePage(u"history.forward()"_s);
    ASSERT_TRUE(reached(page(u"docs/go.html"_s), u"/docs/go.html"_s));
    EXPECT_FALSE(kept());
    EXPECT_EQ(evaluate(u"localStorage.getItem('theme')"_s).toString(), u"ayu"_s);
    // Stepping back a hundred times at once leaves the page once, as in a browser.
    asThePage(u"for (let i = 0; i < 100; ++i) history.back();"_s);
    ASSERT_TRUE(reached(page(u"docs/walrus.html"_s), u"/docs/walrus.html?q=click"_s));
    keyInPage(Qt::Key_Right, Qt::AltModifier);
    ASSERT_TRUE(reached(page(u"docs/go.html"_s), u"/docs/go.html"_s));

    // Links of the first page: a root-relative one, a dead one, a PDF, a text file, the page itself.
    QTest::mouseClick(form->home, Qt::LeftButton);
    ASSERT_TRUE(reached(0, u"Index"_s));
    clickElement(u"licence"_s);
    ASSERT_TRUE(headingIs(u"licence"_s));
    EXPECT_EQ(form->currentPage(), page(u"license.html"_s));
    QTest::mouseClick(form->home, Qt::LeftButton);
    ASSERT_TRUE(reached(0, u"Index"_s));
    clickElement(u"dead"_s);
    clickElement(u"pdf"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !openedFiles.isEmpty(); }, 10000));
    EXPECT_EQ(openedFiles, QStringList{QFileInfo(app.filePath(u"docs/manual.pdf"_s)).canonicalFilePath()});
    EXPECT_EQ(form->currentPage(), 0);
    clickElement(u"notes"_s);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return evaluate(u"document.body.innerText"_s).toString().trimmed() == u"The notes of the site."_s; },
        10000));
    // Back leaves the file for the page it was opened from.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(headingIs(u"index"_s));
    EXPECT_EQ(form->currentPage(), 0);
    // A link to the page itself shows it again.
    evaluate(u"document.body.dataset.before = 'yes'"_s);
    clickElement(u"self"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return evaluate(u"document.body.dataset.before"_s).isNull(); }, 10000));
    EXPECT_TRUE(headingIs(u"index"_s));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(ReadingTest, FindInTheWholeBookShowsThePageWithTheWordHighlighted)
{
    writeBook(kBook);
    open();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto *bar = form->findChild<reader::BookSearchBar *>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    auto *text = bar->findChild<QLineEdit *>(QStringLiteral("bookSearchText"));
    auto *results = bar->findChild<QListWidget *>(QStringLiteral("bookSearchResults"));
    EXPECT_TRUE(text->hasFocus());

    // The word stands on the third page only; Enter searches, Enter again shows it.
    QTest::keyClicks(text, QStringLiteral("APTITUDE"));
    QTest::keyClick(text, Qt::Key_Return);
    // A label over the page found.
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->count() == 2; }, 10000));
    EXPECT_TRUE(results->item(1)->text().startsWith(QStringLiteral("page 3 \u00b7 lilies")));
    QSignalSpy found(web->page(), &QWebEnginePage::findTextFinished);
    QTest::keyClick(text, Qt::Key_Return);
    ASSERT_TRUE(found.wait(20000));
    EXPECT_EQ(form->currentPage(), 2);
    EXPECT_EQ(heading(), QStringLiteral("lilies"));
    EXPECT_EQ(found.constLast().constFirst().value<QWebEngineFindTextResult>().numberOfMatches(), 1);

    // Match case: the word in capitals is on no page.
    bar->findChild<QCheckBox *>(QStringLiteral("bookSearchMatchCase"))->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return bar->findChild<QLabel *>(QStringLiteral("bookSearchStatus"))->text() ==
                   QStringLiteral("Not found in the book");
        },
        10000));
    EXPECT_EQ(results->count(), 0);

    // From the page's find dialog: "Whole book" hands its text over to the whole-book search.
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return web->hasFocus() || web->focusProxy()->hasFocus(); }));
    keyInPage(Qt::Key_F, Qt::ControlModifier);
    auto *pageFind = web->findChild<QLineEdit *>(QStringLiteral("findText"));
    ASSERT_NE(pageFind, nullptr);
    QTest::keyClicks(pageFind, QStringLiteral("yellow"));
    web->findChild<QCheckBox *>(QStringLiteral("wholeBook"))->setChecked(true);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(pageFind->isVisible());
    EXPECT_EQ(text->text(), QStringLiteral("yellow"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->count() == 2; }, 10000));
    EXPECT_TRUE(results->item(1)->text().startsWith(QStringLiteral("page 2 \u00b7 tulips")));
}

TEST_F(ReadingTest, ThePictureButtonsAreButtonsToAssistiveTechnology)
{
    // As with a screen reader running: interfaces are asked for as the widgets are made.
    QAccessible::setActive(true);
    const auto inactive = qScopeGuard([] { QAccessible::setActive(false); });
    writeBook(kBook);
    open();
    for (reader::PictureButton *button :
         {form->previous, form->home, form->nxt, form->ext, form->print1, form->printall, form->find}) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->role(), QAccessible::Button) << button->objectName().toStdString();
        EXPECT_EQ(face->text(QAccessible::Name), button->toolTip());
        ASSERT_NE(face->actionInterface(), nullptr) << button->objectName().toStdString();
        EXPECT_TRUE(face->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
    // Every field of the book search is named.
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto *bar = form->findChild<reader::BookSearchBar *>();
    ASSERT_NE(bar, nullptr);
    for (QWidget *field : bar->findChildren<QWidget *>()) {
        if (!field->isVisibleTo(bar) || !field->focusPolicy())
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(field);
        EXPECT_FALSE(face->text(QAccessible::Name).isEmpty()) << field->metaObject()->className();
    }
    QTest::keyClick(bar->findChild<QLineEdit *>(), Qt::Key_Escape);

    QAccessibleInterface *next = QAccessible::queryAccessibleInterface(form->nxt);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->role(), QAccessible::Button);
    EXPECT_EQ(next->text(QAccessible::Name), QStringLiteral("Next"));
    EXPECT_TRUE(next->state().focusable);
    ASSERT_NE(next->actionInterface(), nullptr);
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 1);
}

} // namespace
