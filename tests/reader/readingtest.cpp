// What the reader window offers beside its buttons, in the real window with its real page view:
// Back and Forward, keys, zoom and resizing, the band that says where the reader is, find in the
// whole book, and buttons that assistive technology sees.
#include "realwindow.h"

#include <reader/booksearchbar.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
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

TEST_F(ReadingTest, BackAndForwardReturnToThePagesShownAndWhereTheyWereScrolled)
{
    writeBook(kBook);
    open();
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    clickElement(QStringLiteral("to-lilies"));
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 2);
    QTest::mouseClick(form->previous, Qt::LeftButton);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(heading(), QStringLiteral("tulips"));

    // Back twice: lilies, then roses where the link was, below the first 3000 pixels.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 2);
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return evaluate(QStringLiteral("window.scrollY")).toInt() > 2000; }, 10000));
    // Back at the oldest page does nothing.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    EXPECT_FALSE(loaded.wait(1000));
    EXPECT_EQ(form->currentPage(), 0);

    // Forward, by the mouse's forward button: lilies again.
    QTest::mouseClick(web->focusProxy(), Qt::ForwardButton, {}, QPoint(10, 10));
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 2);
    EXPECT_EQ(heading(), QStringLiteral("lilies"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ReadingTest, KeysInTheRealPageReachTheWindowsCommands)
{
    // The key map itself is held to the README over the fake page view; here, the keys go through
    // the web engine's own widgets, which take some for the page first.
    writeBook(kBook);
    open();
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    keyInPage(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 1);
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

TEST_F(ReadingTest, TheBandSaysWhichPageOfHowManyIsShown)
{
    writeBook(kBook);
    open();
    auto *band = form->findChild<QLabel *>(QStringLiteral("band"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return band != nullptr || (band = form->findChild<QLabel *>(QStringLiteral("band"))); }));
    EXPECT_EQ(band->text(), QStringLiteral("page 1 of 3   \u2014   roses"));
    EXPECT_GT(band->geometry().top(), web->geometry().bottom());
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    EXPECT_EQ(band->text(), QStringLiteral("page 2 of 3   \u2014   tulips"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Garden"));
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

TEST_F(ReadingTest, TheBookWorksAsASiteItsFormsScriptsAndFilesIncluded)
{
    // A site's own search: a form sends the words to a page whose script reads location.search and
    // links to the result with the words and a place, which that page's script reads in turn.
    writeBook("Site<<$$>>index.html##<h1>index</h1><form action=\"search.html\"><input name=\"q\"></form>"
              "<p><a id=\"self\" href=\"\">this page</a> <a id=\"source\" href=\"_sources/notes.txt\">source</a> "
              "<a id=\"manual\" href=\"_sources/notes.txt.gz\">packed</a></p>"
              "~search.html##<script>const q = new URLSearchParams(location.search).get('q');"
              "document.write('<h1>found ' + q + '</h1><a id=\"hit\" href=\"walrus.html?highlight=' + q +"
              "'#tusks\">walrus</a>');</script>"
              "~walrus.html##<h1>walrus</h1><script>document.title = "
              "new URLSearchParams(location.search).get('highlight') + location.hash;</script>");
    QDir(app.path()).mkpath(QStringLiteral("_sources"));
    QFile notes(app.filePath(QStringLiteral("_sources/notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("The notes of the site.\n");
    notes.close();
    ASSERT_TRUE(QFile::copy(notes.fileName(), notes.fileName() + QStringLiteral(".gz")));
    open();
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    // A refused navigation ends a load too, unsuccessfully: wait for the one that shows a page.
    const auto shown = [&] {
        while (loaded.wait(20000)) {
            if (loaded.takeLast().constFirst().toBool())
                return true;
        }
        return false;
    };

    evaluate(QStringLiteral("document.forms[0].q.value = 'tusk'; document.forms[0].submit();"));
    ASSERT_TRUE(shown());
    EXPECT_EQ(form->currentPage(), 1);
    EXPECT_EQ(heading(), QStringLiteral("found tusk"));

    clickElement(QStringLiteral("hit"));
    ASSERT_TRUE(shown());
    EXPECT_EQ(form->currentPage(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return web->page()->title() == u"tusk#tusks"; }, 10000))
        << web->page()->title().toStdString();
    // Back returns to the site's search page with its words, as a browser's does; Forward comes back.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(shown());
    EXPECT_EQ(heading(), QStringLiteral("found tusk"));
    keyInPage(Qt::Key_Right, Qt::AltModifier);
    ASSERT_TRUE(shown());
    EXPECT_EQ(form->currentPage(), 2);
    // The page knows the address it was reached by, and nothing of the view's own.
    EXPECT_EQ(evaluate(QStringLiteral("location.search + location.hash")).toString(),
              QStringLiteral("?highlight=tusk#tusks"));
    QTest::mouseClick(form->previous, Qt::LeftButton);
    ASSERT_TRUE(shown());
    EXPECT_EQ(evaluate(QStringLiteral("location.href")).toString(), QStringLiteral("tavlo://book/"));

    // A script, or a meta refresh, that sends the reader to a page of the book shows that page.
    for (const QString &go : {QStringLiteral("location.replace('walrus.html?highlight=seal#tusks')"),
                              QStringLiteral("location.href = 'walrus.html?highlight=seal#tusks'"),
                              QStringLiteral("document.head.innerHTML = '<meta http-equiv=refresh "
                                             "content=\"0;url=walrus.html?highlight=seal#tusks\">'")}) {
        QTest::mouseClick(form->home, Qt::LeftButton);
        ASSERT_TRUE(shown());
        ASSERT_EQ(form->currentPage(), 0);
        evaluate(go);
        ASSERT_TRUE(shown()) << go.toStdString();
        EXPECT_EQ(form->currentPage(), 2) << go.toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return web->page()->title() == u"seal#tusks"; }, 10000)) << go.toStdString();
    }

    // Home, then a link to the page itself shows it again; a link to a file of the site shows it.
    QTest::mouseClick(form->home, Qt::LeftButton);
    ASSERT_TRUE(shown());
    // A file the view can't show goes to its program, on the reader's click.
    clickElement(QStringLiteral("manual"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !openedFiles.isEmpty(); }, 10000));
    EXPECT_EQ(openedFiles, QStringList{QFileInfo(notes.fileName() + QStringLiteral(".gz")).canonicalFilePath()});
    clickElement(QStringLiteral("self"));
    ASSERT_TRUE(shown());
    EXPECT_EQ(heading(), QStringLiteral("index"));
    clickElement(QStringLiteral("source"));
    ASSERT_TRUE(shown());
    EXPECT_EQ(evaluate(QStringLiteral("document.body.innerText")).toString().trimmed(),
              QStringLiteral("The notes of the site."));
    // Back leaves the file for the page it was opened from.
    keyInPage(Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(shown());
    EXPECT_EQ(heading(), QStringLiteral("index"));
    EXPECT_EQ(form->currentPage(), 0);
    EXPECT_TRUE(messages.isEmpty());
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
