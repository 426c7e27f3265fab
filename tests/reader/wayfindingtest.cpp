// Finding the way in a big book, over the fake page view: the contents beside the page, go to page,
// and the place left at the last run offered at the next.
#include "readerfixture.h"

#include <book/bookfile.h>
#include <book/contents.h>
#include <reader/gotopagefield.h>
#include <reader/readingplaces.h>

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <thread>

#include <sys/stat.h>

namespace {

// Pages named by paths, as imported manuals are, with a blank record among them.
const QByteArray kManual = "Manual<<$$>>index.html##<title>Home</title><p>start</p>~"
                           "c3ref/open.html##<h1>Opening a database</h1>~"
                           "c3ref/close.html##<title>Closing a database</title>~"
                           "   ~"
                           "lang/select.html##<title>SELECT</title><p>open database</p>~"
                           "c3ref/deep/x.html##<p>no title</p>";

class WayfindingTest : public ReaderFixture {
protected:
    QTreeView *openContents()
    {
        QTest::keyClick(&form(), Qt::Key_F9);
        auto *tree = form().findChild<QTreeView *>(QStringLiteral("contentsTree"));
        EXPECT_NE(tree, nullptr);
        // The titles are read on a worker thread; the tree is there once they are.
        EXPECT_TRUE(QTest::qWaitFor([&] { return tree && tree->model()->rowCount() == 3; }, 10000));
        return tree;
    }

    QLabel *band() { return form().findChild<QLabel *>(QStringLiteral("band")); }
};

QStringList childTitles(const QAbstractItemModel *model, const QModelIndex &parent = {})
{
    QStringList titles;
    for (int row = 0; row < model->rowCount(parent); ++row)
        titles << model->index(row, 0, parent).data().toString();
    return titles;
}

TEST_F(WayfindingTest, ContentsAreATreeOfTitlesBesideThePageFollowingIt)
{
    writeBook(kManual);
    load();
    QWidget *view = pageView->widget();
    const QRect atLoad = view->geometry();
    auto *panel = form().findChild<QTabWidget *>(QStringLiteral("sidePanel"));
    EXPECT_TRUE(panel == nullptr || !panel->isVisible());

    QTreeView *tree = openContents();
    panel = form().findChild<QTabWidget *>(QStringLiteral("sidePanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    // Beside the page, which narrows and keeps its place, its top and its height.
    EXPECT_FALSE(panel->geometry().intersects(view->geometry()));
    EXPECT_EQ(view->geometry().topLeft(), atLoad.topLeft());
    EXPECT_EQ(view->height(), atLoad.height());
    EXPECT_LT(view->width(), atLoad.width());
    EXPECT_LE(panel->geometry().right(), form().width());

    // Folders come where their first page does; a page without a title goes by its name.
    const QAbstractItemModel *model = tree->model();
    EXPECT_EQ(childTitles(model), (QStringList{"Home", "c3ref", "lang"}));
    const QModelIndex c3ref = model->index(1, 0);
    EXPECT_EQ(childTitles(model, c3ref), (QStringList{"Opening a database", "Closing a database", "deep"}));
    EXPECT_EQ(childTitles(model, model->index(2, 0, c3ref)), QStringList{"c3ref/deep/x.html"});
    EXPECT_EQ(childTitles(model, model->index(2, 0)), QStringList{"SELECT"});

    // The page shown is selected, and follows Next; the blank record is in no entry.
    EXPECT_EQ(tree->currentIndex().data().toString(), QStringLiteral("Home"));
    press(form().nxt);
    QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_EQ(tree->currentIndex().data().toString(), QStringLiteral("Closing a database"));

    // A page chosen in the tree is shown.
    tree->setFocus();
    tree->setCurrentIndex(model->index(0, 0, model->index(2, 0)));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(form().currentPage(), 4);
    EXPECT_EQ(tree->currentIndex().data().toString(), QStringLiteral("SELECT"));

    // F9 again hides the panel; the page view is as it was at load.
    QTest::keyClick(&form(), Qt::Key_F9);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(view->geometry(), atLoad);
}

TEST_F(WayfindingTest, TheBandsMenuShowsTheContentsWithoutAKey)
{
    writeBook(kManual);
    load();
    QStringList entries;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (const QAction *action : menu->actions())
            entries << action->text() + u' ' + action->shortcut().toString();
        menu->actions().constFirst()->trigger();
        menu->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), band()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(band(), &click);
    EXPECT_EQ(entries,
              (QStringList{"Contents F9", "Go to page\u2026 Ctrl+L", "Find in the whole book\u2026 Ctrl+Shift+F"}));
    auto *panel = form().findChild<QTabWidget *>(QStringLiteral("sidePanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->currentWidget()->objectName(), QStringLiteral("contents"));

    // What assistive technology is told of the panel and what it holds, each reachable by Tab.
    for (const char *name :
         {"sidePanel", "contentsFilter", "contentsTree", "contentsFound", "bookSearchText", "bookSearchResults"}) {
        auto *widget = form().findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
        EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus) << name;
    }
}

TEST_F(WayfindingTest, TypingFiltersTheContentsByEveryWordAndEnterShowsTheFirst)
{
    writeBook(kManual);
    load();
    openContents();
    auto *field = form().findChild<QLineEdit *>(QStringLiteral("contentsFilter"));
    auto *found = form().findChild<QListView *>(QStringLiteral("contentsFound"));
    ASSERT_TRUE(field && found);
    EXPECT_TRUE(field->hasFocus());

    QTest::keyClicks(field, QStringLiteral("DATABASE c3ref"));
    EXPECT_TRUE(found->isVisible());
    EXPECT_EQ(childTitles(found->model()), (QStringList{"Opening a database", "Closing a database"}));
    // Down in the field chooses the next page; Enter shows it.
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(form().currentPage(), 2);

    field->setText(QStringLiteral("nowhere"));
    EXPECT_TRUE(childTitles(found->model()).isEmpty());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(form().currentPage(), 2);
    // An empty field shows the tree again.
    field->clear();
    EXPECT_FALSE(found->isVisible());
    EXPECT_TRUE(form().findChild<QTreeView *>(QStringLiteral("contentsTree"))->isVisible());
}

TEST_F(WayfindingTest, GoToPageTakesANumberOrTheBeginningOfATitleOrName)
{
    writeBook(kManual);
    load();
    QTest::keyClick(&form(), Qt::Key_L, Qt::ControlModifier);
    auto *field = form().findChild<QLineEdit *>(QStringLiteral("goToPage"));
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->isVisible());
    EXPECT_TRUE(field->hasFocus());
    // Numbers as the band counts them.
    QTest::keyClicks(field, QStringLiteral("3"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_FALSE(field->isVisible());

    const auto goTo = [&](const QString &typed) {
        QTest::keyClick(&form(), Qt::Key_L, Qt::ControlModifier);
        field->setText(typed);
        QTest::keyClick(field, Qt::Key_Return);
    };
    // Titles and names, once read; letter case aside.
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->completer()->model()->rowCount() > 0; }, 10000));
    goTo(QStringLiteral("sel"));
    EXPECT_EQ(form().currentPage(), 4);
    goTo(QStringLiteral("C3REF/OP"));
    EXPECT_EQ(form().currentPage(), 1);
    // The proposals are made once: for a big book, anew at each opening would lock the reader up.
    QSignalSpy madeAgain(field->completer()->model(), &QAbstractItemModel::modelReset);
    // Nothing that stands for a page: the page stays, and a number out of range is told on the band
    // until the next command.
    for (const char *typed : {"0", "7", "zzz"}) {
        goTo(QString::fromLatin1(typed));
        EXPECT_EQ(form().currentPage(), 1) << typed;
        const QString said =
            QStringLiteral("There is no page %1: the book has pages 1 to 6").arg(QLatin1StringView(typed));
        EXPECT_EQ(band()->text().contains(said), std::string_view(typed) != "zzz") << band()->text().toStdString();
    }
    // A proposal chosen with Down is the one Enter shows: of "c3ref", the second.
    QTest::keyClick(&form(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClicks(field, QStringLiteral("c3ref"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->completer()->popup()->isVisible(); }, 5000));
    QTest::keyClick(field->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(field->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(field->completer()->popup(), Qt::Key_Return);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_FALSE(field->isVisible());
    EXPECT_FALSE(band()->text().contains(QStringLiteral("There is no page")));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(madeAgain.count(), 0);
}

TEST(GoToPageField, TakesTheTitleOrNameThatFitsBest)
{
    const book::PageTable pages = book::parseBook("Ranks<<$$>>hashmap_internals##<title>hashmap_internals</title>~"
                                                  "std/hashmap.html##<title>HashMap in std::collections</title>~"
                                                  "hash_table.html##<title>Hash tables</title>~"
                                                  "std/hash.html##<title>hash</title>",
                                                  QStringLiteral("ranks"))
                                      .pages;
    reader::GoToPageField field(nullptr);
    field.setPageCount(pages.size());
    field.setContents(std::make_shared<const book::Contents>(pages));
    const struct {
        const char *typed;
        qsizetype page;
    } cases[] = {
        {"HashMap", 1}, // a whole word before a longer one, though that is shorter and first
        {"hash", 3},    // the title itself before those it begins
        {"HASH", 3},     {"hash t", 2}, {"std/", 3}, // the shorter name
        {"hashmap_", 0}, {"4", 3},      {"5", -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(field.pageOf(QString::fromLatin1(c.typed)), c.page) << c.typed;
}

// The lines the reader writes on standard error while alive.
class ErrorLines {
public:
    ErrorLines() { previous_ = qInstallMessageHandler(&ErrorLines::record); }
    ~ErrorLines() { qInstallMessageHandler(previous_); }
    static QStringList &lines()
    {
        static QStringList lines;
        return lines;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type >= QtWarningMsg && qstrcmp(context.category, "tavlo.reader") == 0)
            lines() << text;
    }
    QtMessageHandler previous_;
};

class PlaceTest : public WayfindingTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(state.isValid());
        placesFile = state.filePath(QStringLiteral("places.json"));
        ErrorLines::lines().clear();
    }

    // Starts a run and lets it look for the place left at the last.
    void startRun()
    {
        load();
        waitForWorkers();
        QCoreApplication::processEvents();
    }

    bool offers() { return band()->text().contains(QStringLiteral("Continue at page")); }

    QTemporaryDir state;
    ErrorLines errors;
};

TEST_F(PlaceTest, TheNextRunOffersThePlaceLeftUntilTheReaderMoves)
{
    writeBook(kManual);
    startRun();
    EXPECT_FALSE(offers());
    QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(&form(), Qt::Key_Plus, Qt::ControlModifier);
    pageView->scroll = QPointF(0, 1200);
    endRun();

    // The first page as ever, and the offer on the band; F8 takes it: page, zoom and scroll.
    startRun();
    EXPECT_EQ(form().currentPage(), 0);
    EXPECT_TRUE(
        band()->text().endsWith(QStringLiteral("Continue at page 3 \u2014 Closing a database (F8, or click here)")))
        << band()->text().toStdString();
    QTest::keyClick(&form(), Qt::Key_F8);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_EQ(pageView->zoom, 1.1);
    EXPECT_EQ(pageView->scroll, QPointF(0, 1200));
    EXPECT_FALSE(offers());
    endRun();

    // Moving elsewhere takes the offer away, and F8 does nothing then.
    startRun();
    EXPECT_TRUE(offers());
    QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_FALSE(offers());
    QTest::keyClick(&form(), Qt::Key_F8);
    EXPECT_EQ(form().currentPage(), 1);
    // Exit ends the program without closing the window: the place is written before.
    QFile::remove(placesFile);
    QTest::keyClick(&form(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(QFile::exists(placesFile));
    endRun();

    // A run that stays on the first page keeps the place of the last, and a click on the band takes it.
    startRun();
    endRun();
    startRun();
    ASSERT_TRUE(offers());
    QTest::mouseClick(band(), Qt::LeftButton);
    EXPECT_EQ(form().currentPage(), 1);
    EXPECT_TRUE(ErrorLines::lines().isEmpty()) << ErrorLines::lines().join(u'\n').toStdString();
    endRun();

    // A blank record is the current page while the page before stays shown: no place there.
    startRun();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(form().currentPage(), 3);
    endRun();
    startRun();
    EXPECT_FALSE(band()->text().contains(QStringLiteral("Continue at page 4"))) << band()->text().toStdString();
    endRun();

    // Another book in the same place: the memory is dropped without a word.
    writeBook(kManual + "~one more##<p>page</p>");
    startRun();
    EXPECT_FALSE(offers());
    EXPECT_TRUE(ErrorLines::lines().isEmpty());
}

TEST_F(PlaceTest, AStateFileThatCantBeReadCostsOneLineAndIsNeverReplaced)
{
    writeBook(kManual);
    {
        QFile file(placesFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\"books\": [1, 2");
    }
    startRun();
    EXPECT_FALSE(offers());
    EXPECT_EQ(ErrorLines::lines().size(), 1);
    QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
    endRun();
    EXPECT_EQ(ErrorLines::lines().size(), 1);
    EXPECT_TRUE(messages.isEmpty());
    // The file was written anew.
    ErrorLines::lines().clear();
    startRun();
    EXPECT_TRUE(offers());
    EXPECT_TRUE(ErrorLines::lines().isEmpty());
    endRun();

    // Whatever else stands in the file's place: the reader starts, turns pages and ends as ever, says
    // so in one line, and leaves it as it was.
    const struct {
        const char *what;
        std::function<bool()> make;
    } hostile[] = {
        {"a folder", [&] { return QDir().mkpath(placesFile); }},
        {"a named pipe", [&] { return ::mkfifo(QFile::encodeName(placesFile).constData(), 0600) == 0; }},
        {"a link to an endless device", [&] { return QFile::link(QStringLiteral("/dev/zero"), placesFile); }},
        {"a file larger than one is written",
         [&] {
             QFile file(placesFile);
             return file.open(QIODevice::WriteOnly) && file.write("{\"books\": {}}") > 0 &&
                    file.write(QByteArray(1 << 20, ' ')) > 0;
         }},
    };
    for (const auto &kind : hostile) {
        SCOPED_TRACE(kind.what);
        QDir(placesFile).removeRecursively();
        QFile::remove(placesFile);
        ASSERT_TRUE(kind.make());
        const QFileInfo before(placesFile);
        ErrorLines::lines().clear();
        startRun();
        QTest::keyClick(&form(), Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(form().currentPage(), 1);
        endRun();
        EXPECT_EQ(ErrorLines::lines().size(), 1) << ErrorLines::lines().join(u'\n').toStdString();
        EXPECT_TRUE(messages.isEmpty());
        const QFileInfo after(placesFile);
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.size(), before.size());
    }
}

TEST(ReadingPlaces, TwoReadersEndingTogetherKeepBothPlacesAndTheLatestAreKept)
{
    QTemporaryDir state;
    const QString file = state.filePath(QStringLiteral("places.json"));
    const QByteArray fingerprint("f");
    for (int round = 0; round < 8; ++round) {
        const QString a = QStringLiteral("/a%1").arg(round), b = QStringLiteral("/b%1").arg(round);
        reader::ReadingPlaces first(file), second(file);
        std::thread one([&] { first.remember(a, fingerprint, {1, {}, 1}); });
        std::thread other([&] { second.remember(b, fingerprint, {2, {}, 1}); });
        one.join();
        other.join();
        reader::ReadingPlaces next(file);
        EXPECT_TRUE(next.find(a, fingerprint)) << round;
        EXPECT_TRUE(next.find(b, fingerprint)) << round;
    }

    QJsonObject books;
    for (int i = 0; i < 250; ++i)
        books.insert(QString::number(i), QJsonObject{{QStringLiteral("time"), (i * 7) % 250}});
    reader::ReadingPlaces::keepLatest(books, 100);
    ASSERT_EQ(books.size(), 100);
    for (auto it = books.begin(); it != books.end(); ++it)
        EXPECT_GE(it.value().toObject().value(QStringLiteral("time")).toInt(), 150) << it.key().toStdString();
}

} // namespace
