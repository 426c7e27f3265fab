// Finding the way in the real window: the pages found in the whole book listed beside the page, never
// over it, in any language's lengths.
#include "realwindow.h"

#include <reader/booksearchbar.h>
#include <reader/markedtextdelegate.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTranslator>

namespace {

// Three pages; "lilies" is the title of the third and a word of the first.
const QByteArray kBook = "Garden<<$$>>roses##<h1>roses</h1><p style=\"height: 3000px\">Red.</p>"
                         "<a id=\"to-lilies\" href=\"lilies\">lilies</a><p style=\"height: 3000px\"></p>"
                         "~ tulips ##<h1>tulips</h1><p>Yellow.</p>"
                         "~lilies##<title>Lilies of the field</title><h1>lilies</h1><p>White, with aptitude.</p>";

using WayfindingWindowTest = RealWindowTest;

TEST_F(WayfindingWindowTest, PagesFoundAreListedBesideThePageTitlesFirst)
{
    writeBook(kBook);
    open();
    QWidget *view = form->DHTMLEdit1.widget();
    const QRect atLoad = view->geometry();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto *panel = form->findChild<QTabWidget *>(QStringLiteral("sidePanel"));
    auto *bar = form->findChild<reader::BookSearchBar *>();
    ASSERT_TRUE(panel && bar);
    EXPECT_EQ(panel->currentWidget(), bar);
    EXPECT_FALSE(panel->geometry().intersects(view->geometry()));
    EXPECT_LT(view->width(), atLoad.width());
    EXPECT_EQ(view->geometry().topLeft(), atLoad.topLeft());

    auto *text = bar->findChild<QLineEdit *>(QStringLiteral("bookSearchText"));
    auto *results = bar->findChild<QListWidget *>(QStringLiteral("bookSearchResults"));
    QTest::keyClicks(text, QStringLiteral("LILIES"));
    QTest::keyClick(text, Qt::Key_Return);
    // The page whose title holds the word comes first, under its label, then the other.
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->count() == 4; }, 10000));
    EXPECT_EQ(results->item(0)->text(), QStringLiteral("1 page(s) with it in the title"));
    EXPECT_TRUE(results->item(1)->text().startsWith(QStringLiteral("page 3 \u00b7 Lilies of the field \u00b7 1 time")))
        << results->item(1)->text().toStdString();
    EXPECT_EQ(results->item(2)->text(), QStringLiteral("1 page(s) with it in the text"));
    EXPECT_TRUE(results->item(3)->text().startsWith(QStringLiteral("page 1 \u00b7 roses")));
    // The word is marked in the title and in the words around the hit.
    const QString first = results->item(1)->text();
    const auto marks = results->item(1)->data(reader::MarkedTextDelegate::kMarksRole).value<QList<QPoint>>();
    ASSERT_EQ(marks.size(), 2);
    for (const QPoint &mark : marks)
        EXPECT_EQ(first.mid(mark.x(), mark.y()).toLower(), QStringLiteral("lilies"));

    // Down goes past the label to the other page; Enter shows it with the word highlighted.
    QSignalSpy found(web->page(), &QWebEnginePage::findTextFinished);
    QTest::keyClick(text, Qt::Key_Down);
    EXPECT_EQ(results->currentRow(), 3);
    QTest::keyClick(text, Qt::Key_Return);
    ASSERT_TRUE(found.wait(20000));
    EXPECT_EQ(form->currentPage(), 0);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->geometry().intersects(view->geometry()));
    QTest::keyClick(text, Qt::Key_Up);
    EXPECT_EQ(results->currentRow(), 1);

    // Escape closes the panel and gives the page its width back.
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(view->geometry(), atLoad);
}

// Every text 40% longer than English and accented: no label or button of the find bar (after "not
// found" too) or the side panel is narrower than its text, on a screen of 800 by 600.
TEST_F(WayfindingWindowTest, APseudoTranslationFortyPercentLongerIsCutNowhere)
{
    QTranslator pseudo;
    ASSERT_TRUE(pseudo.load(QStringLiteral(TAVLO_PSEUDO_QM)));
    QCoreApplication::installTranslator(&pseudo);
    writeBook(kBook);
    open();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    auto *result = form->findChild<QLabel *>(QStringLiteral("findResult"));
    QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("findText")), QStringLiteral("zqzq"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return result->text().startsWith(u'['); }, 10000));
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto *text = form->findChild<QLineEdit *>(QStringLiteral("bookSearchText"));
    auto *results = form->findChild<QListWidget *>(QStringLiteral("bookSearchResults"));
    QTest::keyClicks(text, QStringLiteral("lilies"));
    QTest::keyClick(text, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->count() == 4; }, 10000));
    for (const QWidget *w : form->findChildren<QWidget *>()) {
        const auto *label = qobject_cast<const QLabel *>(w);
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        const QString shown = label ? label->text() : button ? button->text() : QString();
        if (w->isVisible() && !shown.isEmpty()) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << shown.toStdString();
        }
    }
    form->grab().save(QDir::temp().filePath(QStringLiteral("tavlo-pseudo-translation.png")));
    QCoreApplication::removeTranslator(&pseudo);
}

} // namespace
