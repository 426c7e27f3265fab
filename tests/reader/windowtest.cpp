// The reader window as it loads: toolbar pictures, layout and the first page.
#include "readerfixture.h"

#include <reader/picturebutton.h>

#include <QLabel>
#include <QRegularExpression>
#include <QWindow>

namespace {

const QByteArray kTwoPages = "Garden Notes<<$$>>start##<p><img src=\"rose.gif\">roses</p>~roses##<p>red</p>";

float twips(int pixels)
{
    return platform::pixelsToTwips(pixels);
}

using LayoutTest = ReaderFixture;

TEST_F(LayoutTest, ButtonsWithoutPicturesKeepTheirDesignSizesInOneRow)
{
    writeBook(kTwoPages);
    load();
    reader::Form1 &w = form();

    EXPECT_EQ(w.home->width(), 480.f);
    EXPECT_EQ(w.home->height(), 360.f);
    EXPECT_TRUE(w.home->picture().isNull());
    // Design widths 480, 480, 495, 615, 615, 615 with gaps of 50.
    EXPECT_EQ(w.previous->left(), 0.f);
    EXPECT_EQ(w.home->left(), 530.f);
    EXPECT_EQ(w.nxt->left(), 1060.f);
    EXPECT_EQ(w.ext->left(), 1605.f);
    EXPECT_EQ(w.print1->left(), 2270.f);
    EXPECT_EQ(w.printall->left(), 2935.f);
    EXPECT_EQ(w.find->left(), 3600.f);
    for (const auto *button : {w.previous, w.home, w.nxt, w.ext, w.print1, w.printall, w.find})
        EXPECT_EQ(button->top(), 0.f) << button->objectName().toStdString();

    // The page view fills the screen below the row: W - 200 wide at 100, H - ext's height - 1000 high.
    EXPECT_EQ(pageView->width(), 28600.f);
    EXPECT_EQ(pageView->left, 100.f);
    EXPECT_EQ(pageView->top, 360.f + 50.f);
    EXPECT_EQ(pageView->height, 16200.f - 495.f - 1000.f);
}

TEST_F(LayoutTest, AWiderPictureShiftsTheButtonsToItsRight)
{
    writeBook(kTwoPages);
    addPicture(QStringLiteral("images/home.gif"), QSize(64, 24));
    load();
    reader::Form1 &w = form();

    const float homeWidth = twips(64);
    EXPECT_EQ(w.home->width(), homeWidth);
    EXPECT_EQ(w.home->height(), twips(24));
    EXPECT_EQ(w.nxt->left(), 530.f + homeWidth + 50.f);
    EXPECT_EQ(w.ext->left(), w.nxt->left() + 495.f + 50.f);
    EXPECT_EQ(w.find->left(), w.printall->left() + 615.f + 50.f);
}

TEST_F(LayoutTest, PageViewTopFollowsPreviousAndItsHeightFollowsExit)
{
    writeBook(kTwoPages);
    addPicture(QStringLiteral("images/pre.gif"), QSize(30, 45));
    addPicture(QStringLiteral("images/exit.gif"), QSize(30, 20));
    addPicture(QStringLiteral("images/home.gif"), QSize(30, 90)); // tallest, but it counts for neither
    screen = {19200.f, 10800.f};
    load();

    EXPECT_EQ(pageView->top, twips(45) + 50.f);
    EXPECT_EQ(pageView->height, 10800.f - twips(20) - 1000.f);
    EXPECT_EQ(pageView->width(), 19000.f);
}

TEST_F(LayoutTest, CentringUsesTheWidthReadBack)
{
    writeBook(kTwoPages);
    form();
    pageView->widthLimit = 20000;
    load();
    EXPECT_EQ(pageView->left, (28800.f - 20000.f) / 2.f);
}

TEST_F(LayoutTest, SumsAreFormedInSinglePrecision)
{
    writeBook(kTwoPages);
    screen = {16777216.f, 10000.f}; // 2^24: beyond it a float can't hold every whole number
    load();
    EXPECT_EQ(pageView->width(), 16777216.f - 200.f);
    EXPECT_EQ(pageView->left, (16777216.f - (16777216.f - 200.f)) / 2.f);
}

using PictureLookupTest = ReaderFixture;

TEST_F(PictureLookupTest, ImagesFolderWinsAndNamesAreLoadedAsWritten)
{
    writeBook(kTwoPages);
    for (const char *name : {"pre", "home", "print", "printall", "nxt", "exit", "find"}) {
        addPicture(QStringLiteral("images/%1.gif").arg(QLatin1String(name)), QSize(32, 32));
        addPicture(QStringLiteral("%1.gif").arg(QLatin1String(name)), QSize(16, 16));
    }
    load();

    const QStringList expected = {
        QStringLiteral("\\images\\pre.gif "),   QStringLiteral("\\images\\home.gif "),
        QStringLiteral("\\images\\print.gif "), QStringLiteral("\\images\\printall.gif "),
        QStringLiteral("\\images\\nxt.gif "),   QStringLiteral("\\images\\exit.gif "),
        QStringLiteral("\\images\\find.gif"),
    };
    EXPECT_EQ(loadedPictures, expected);
    EXPECT_EQ(form().find->width(), twips(32));
}

TEST_F(PictureLookupTest, ApplicationFolderServesWhenTheImagesFolderLacksAPicture)
{
    writeBook(kTwoPages);
    for (const char *name : {"pre", "home", "print", "printall", "nxt", "exit", "find"})
        addPicture(QStringLiteral("%1.gif").arg(QLatin1String(name)), QSize(16, 16));
    addPicture(QStringLiteral("images/nxt.gif"), QSize(32, 32));
    load();

    const QStringList expected = {
        QStringLiteral("\\pre.gif "),      QStringLiteral("\\home.gif "),        QStringLiteral("\\print.gif"),
        QStringLiteral("\\printall.gif "), QStringLiteral("\\images\\nxt.gif "), QStringLiteral("\\exit.gif"),
        QStringLiteral("\\find.gif"),
    };
    EXPECT_EQ(loadedPictures, expected);
}

TEST_F(PictureLookupTest, PictureNamesIgnoreLetterCaseOnDisk)
{
    writeBook(kTwoPages);
    addPicture(QStringLiteral("Images/PRE.GIF"), QSize(20, 20));
    load();
    EXPECT_EQ(loadedPictures, QStringList{QStringLiteral("\\images\\pre.gif ")});
    EXPECT_EQ(form().previous->width(), twips(20));
}

class LoadTest : public ReaderFixture {
protected:
    // The number of pages the band counts ("page k of N"); -1 without a band.
    qsizetype pageCountOnTheBand()
    {
        const auto *band = form().findChild<QLabel *>(QStringLiteral("band"));
        const QRegularExpressionMatch count =
            QRegularExpression(QStringLiteral(" of (\\d+)")).match(band ? band->text() : QString());
        return count.hasMatch() ? count.captured(1).toLongLong() : -1;
    }
};

TEST_F(LoadTest, CaptionIsTheTitleAndTheFirstPageIsShownWithItsPicturesRewritten)
{
    writeBook(kTwoPages);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Tavlo"));
    // The window's icon, from 16 to 256 pixels, is linked into the program.
    const QList<QSize> sizes = form().windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256))) << sizes.size();
    load();

    EXPECT_EQ(form().windowTitle(), QStringLiteral("Garden Notes"));
    EXPECT_EQ(pageCountOnTheBand(), 2);
    EXPECT_EQ(form().currentPage(), 0);
    const QString expected =
        QStringLiteral("<p><img src=\"") + app.path() + QStringLiteral("\\images\\rose.gif\">roses</p>");
    EXPECT_EQ(pageView->document, expected);
    EXPECT_TRUE(form().isVisible());
}

TEST_F(LoadTest, TheCaptionShowsATitleHoldingTheModifiedMarkAsWritten)
{
    const QString title = QStringLiteral("Notes [*] and [*][*]: [[*]]");
    writeBook(title.toLatin1() + "<<$$>>start##<p>a</p>");
    load();
    ASSERT_NE(form().windowHandle(), nullptr);
    EXPECT_EQ(form().windowHandle()->title(), title);
}

TEST_F(LoadTest, AMissingBookFailsBeforeTheWindowIsShown)
{
    try {
        load();
        FAIL() << "loading a missing book succeeded";
    } catch (const platform::Failure &failure) {
        EXPECT_EQ(failure.number(), platform::error::FileNotFound);
        EXPECT_TRUE(failure.description().contains(QStringLiteral("tessavanetavlo.tavlo")))
            << failure.description().toStdString();
    }
    EXPECT_FALSE(form().isVisible());
}

TEST_F(LoadTest, ADamagedFirstRecordShowsAnEmptyFirstPage)
{
    writeBook("Title<<$$>>no field separator here~second##<p>2</p>");
    load();
    EXPECT_EQ(pageView->document, QString());
    EXPECT_EQ(pageCountOnTheBand(), 2);
}

} // namespace
