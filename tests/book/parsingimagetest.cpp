#include "../qstringprinter.h"

#include "book/pagegrowth.h"
#include "book/parsingimage.h"
#include "platform/failure.h"

#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

constexpr QStringView kReader = u"C:\\Reader";

QString rewritten(QString page, QStringView folder = kReader)
{
    book::parsingImage(page, folder);
    return page;
}

TEST(ParsingImage, PicturesAndBackgroundOfAPage)
{
    const QString before = QStringLiteral(R"(<IMG SRC="images/map.gif">Logo<img src="logo.gif" alt="logo.gif">)"
                                          R"(<img src="logo.gif"><table background="bg.jpg">)");
    const QString after =
        QStringLiteral(R"(<IMG SRC="C:\Reader\images/map.gif">Logo<img src="C:\Reader\images\logo.gif" )"
                       R"(alt="C:\Reader\images\logo.gif"><img src="C:\Reader\images\logo.gif">)"
                       R"(<table background="C:\Reader\images\bg.jpg">)");
    EXPECT_EQ(rewritten(before), after);
    // Its own output is left alone: every reference now begins with the folder.
    EXPECT_EQ(rewritten(after), after);
}

struct Rewrite {
    const char *name;
    QString before;
    QString after;
    friend void PrintTo(const Rewrite &r, std::ostream *os) { *os << r.name; }
};

class ParsingImageRules : public testing::TestWithParam<Rewrite> {};

TEST_P(ParsingImageRules, Rewrites)
{
    EXPECT_EQ(rewritten(GetParam().before), GetParam().after);
}

#define PAGE(text) QStringLiteral(text)

INSTANTIATE_TEST_SUITE_P(
    Rules, ParsingImageRules,
    testing::Values(Rewrite{"MarkersInAnyCase", PAGE(R"(<IMG SRC="a.gif"><TABLE BACKGROUND="b.gif">)"),
                            PAGE(R"(<IMG SRC="C:\Reader\images\a.gif"><TABLE BACKGROUND="C:\Reader\images\b.gif">)")},
                    Rewrite{"ImagesPrefixGetsTheFolderOnly", PAGE(R"(<img src="images\a.gif"><img src="IMAGESx.gif">)"),
                            PAGE(R"(<img src="C:\Reader\images\a.gif"><img src="C:\Reader\IMAGESx.gif">)")},
                    Rewrite{"OtherValuesGetTheImagesFolder", PAGE(R"(<img src="image.gif"><img src="../up/a.gif">)"),
                            PAGE(R"(<img src="C:\Reader\images\image.gif"><img src="C:\Reader\images\../up/a.gif">)")},
                    Rewrite{"FolderInAnyCaseIsLeftAlone", PAGE(R"(<img src="c:\READER\images\a.gif">)"),
                            PAGE(R"(<img src="c:\READER\images\a.gif">)")},
                    Rewrite{"ValueShorterThanTheFolderIsPrefixed", PAGE(R"(<img src="C:\Rea">)"),
                            PAGE(R"(<img src="C:\Reader\images\C:\Rea">)")},
                    Rewrite{"EmptyValueChangesNothingAndScanGoesOn", PAGE(R"(<img src=""><img src="a.gif">)"),
                            PAGE(R"(<img src=""><img src="C:\Reader\images\a.gif">)")},
                    Rewrite{"SameValueTwiceIsPrefixedOnce", PAGE(R"(<img src="a.gif"><img src="a.gif">)"),
                            PAGE(R"(<img src="C:\Reader\images\a.gif"><img src="C:\Reader\images\a.gif">)")},
                    Rewrite{"ReplacementIsExactCase", PAGE(R"(<img src="Logo.gif">logo.gif<img src="logo.gif">)"),
                            PAGE(R"(<img src="C:\Reader\images\Logo.gif">C:\Reader\images\logo.gif)"
                                 R"(<img src="C:\Reader\images\logo.gif">)")},
                    Rewrite{"OnlyTheFirstBackground", PAGE(R"(<body background="a.jpg"><table background="b.jpg">)"),
                            PAGE(R"(<body background="C:\Reader\images\a.jpg"><table background="b.jpg">)")},
                    Rewrite{"BackgroundRewrittenByAPicture", PAGE(R"(<img src="bg.jpg"><table background="bg.jpg">)"),
                            PAGE(R"(<img src="C:\Reader\images\bg.jpg"><table background="C:\Reader\images\bg.jpg">)")},
                    Rewrite{"NoMarkersNoChange", PAGE(R"(<p class="x">src= and background</p>)"),
                            PAGE(R"(<p class="x">src= and background</p>)")},
                    // The value is taken one character after "src=", whatever that character is.
                    Rewrite{"UnquotedSourceRunsToTheNextQuote", PAGE(R"(<img src=map.gif width="10">)"),
                            PAGE(R"(<img src=mC:\Reader\images\ap.gif width="10">)")},
                    // "src=" is looked for up to the end of the page, not within the element.
                    Rewrite{"SourceOutsideThePictureElement", PAGE(R"(<img alt="x"><script src="s.js">)"),
                            PAGE(R"(<img alt="x"><script src="C:\Reader\images\s.js">)")},
                    Rewrite{"NoSourceEndsPicturesButNotBackground", PAGE(R"(<img alt="x"><body background="b.gif">)"),
                            PAGE(R"(<img alt="x"><body background="C:\Reader\images\b.gif">)")},
                    Rewrite{"NoClosingQuoteEndsPicturesButNotBackground",
                            PAGE(R"(<table background="b.gif"><img src="x)"),
                            PAGE(R"(<table background="C:\Reader\images\b.gif"><img src="x)")},
                    Rewrite{"SourceAtTheEnd", PAGE(R"(<img src=)"), PAGE(R"(<img src=)")},
                    // The next "<img" is looked for from where the closing quote stood before the rewrite; the text
                    // inserted in front of it moves the search back onto the second element.
                    Rewrite{"NextSearchFromTheOldQuotePosition", PAGE(R"(<img src=a <img src="b.gif">)"),
                            PAGE(R"(<img src=aC:\Reader\images\ <img src="C:\Reader\images\b.gif">)")}),
    [](const testing::TestParamInfo<Rewrite> &c) { return std::string(c.param.name); });

TEST(ParsingImage, ReplacementScansOnceFromLeftToRight)
{
    // Every exact "s" is replaced once, in "src" too, but not those that the replacement brings in.
    EXPECT_EQ(rewritten(QStringLiteral(R"(<img src="s">s)"), u"C:\\R"),
              QStringLiteral(R"(<img C:\R\images\src="C:\R\images\s">C:\R\images\s)"));
    // Occurrences don't overlap: in "a.a.a" only the first "a.a" is one.
    EXPECT_EQ(rewritten(QStringLiteral(R"(<img src="a.a">a.a.a)"), u"C:\\R"),
              QStringLiteral(R"(<img src="C:\R\images\a.a">C:\R\images\a.a.a)"));
}

TEST(ParsingImage, FolderComparisonIgnoresCaseBeyondAscii)
{
    const QString page = QStringLiteral(R"(<img src="/HOME/BÜCHER/a.gif">)");
    EXPECT_EQ(rewritten(page, u"/home/Bücher"), page);
    EXPECT_EQ(rewritten(QStringLiteral(R"(<img src="a.gif">)"), u"/home/Bücher"),
              QStringLiteral(R"(<img src="/home/Bücher\images\a.gif">)"));
    // So do the markers: case folding takes the long s to "s" and the Kelvin sign to "k".
    EXPECT_EQ(rewritten(QStringLiteral("<img \u017Frc=\"x\"><p bac\u212Aground=\"y\">")),
              QStringLiteral("<img \u017Frc=\"C:\\Reader\\images\\x\"><p bac\u212Aground=\"C:\\Reader\\images\\y\">"));
}

TEST(ParsingImage, ManyPicturesEachRewrittenOnce)
{
    QString page;
    QString expected;
    for (int i = 0; i < 300; ++i) {
        const QString name = QStringLiteral("p%1.gif").arg(i % 100, 3, 10, QLatin1Char('0'));
        page += QStringLiteral("<p>text</p><img src=\"") + name + QStringLiteral("\">");
        expected += QStringLiteral("<p>text</p><img src=\"C:\\Reader\\images\\") + name + QStringLiteral("\">");
    }
    EXPECT_EQ(rewritten(page), expected);
}

TEST(ParsingImage, EveryOccurrenceOfAValueAcrossALongPage)
{
    // Values that begin with few pairs of letters and with many, each named again in the text of
    // pictures before and after it: every occurrence is rewritten, as replacing each value gives.
    for (const int letters : {3, 20}) {
        QStringList values;
        for (int i = 0; i < 60; ++i)
            values.append(QStringLiteral("%1pic%2.gif").arg(QChar(u'a' + i % letters)).arg(i));
        QString page;
        for (int i = 0; i < 60; ++i)
            page += QStringLiteral("<p>%1 garden path %2</p><img src=\"%3\">")
                        .arg(QString(40, u'x'), values[i * 7 % 60], values[i]);
        QString expected = page;
        for (const QString &value : std::as_const(values))
            expected.replace(value, QStringLiteral("C:\\Reader\\images\\") + value);
        EXPECT_EQ(rewritten(page), expected) << letters;
    }
}

TEST(ParsingImage, GrowthTellsWhereEachCharacterStands)
{
    // Against the text put in front counted character by character, over pages of many blocks.
    QRandomGenerator random(20'261'209);
    for (int round = 0; round < 100; ++round) {
        const qsizetype length = 1 + random.bounded(round % 2 ? 1'000 : 200);
        book::PageGrowth growth(length);
        std::vector<qsizetype> put(size_t(length) + 1, 0);
        std::vector<qsizetype> upTo(size_t(length) + 1, 0); // put in front of 0 to i
        for (int k = 0; k < 30; ++k) {
            const qsizetype at = random.bounded(length);
            const qsizetype count = 1 + random.bounded(20);
            growth.add(at, count);
            put[size_t(at)] += count;
            std::partial_sum(put.begin(), put.end(), upTo.begin());
            for (int q = 0; q < 10; ++q) {
                const qsizetype character = random.bounded(length + 1);
                ASSERT_EQ(growth.upTo(character), upTo[size_t(character)]);
                ASSERT_EQ(growth.putBefore(character), put[size_t(character)]);
                ASSERT_EQ(growth.placeOf(character), character + upTo[size_t(character)]);
                const qsizetype place = random.bounded(length + upTo.back() + 2);
                qsizetype first = 0;
                while (first <= length && first + upTo[size_t(first)] < place)
                    ++first;
                ASSERT_EQ(growth.writtenAt(place), first) << length << " " << place;
            }
        }
        EXPECT_EQ(growth.upTo(-1), 0);
    }
}

TEST(ParsingImage, FoldersThatCanBringPictureElements)
{
    EXPECT_TRUE(book::folderAddsPictureMarkers(u"/opt/<IMG"));
    EXPECT_TRUE(book::folderAddsPictureMarkers(u"g:\\books")); // "<im" in front of a value completes it
    EXPECT_TRUE(book::folderAddsPictureMarkers(u"Img"));
    EXPECT_FALSE(book::folderAddsPictureMarkers(u"/usr/lib/tavlo"));
    EXPECT_FALSE(book::folderAddsPictureMarkers(u"/x/<im/g"));
    EXPECT_FALSE(book::folderAddsPictureMarkers(u"C:\\Reader"));
}

TEST(ParsingImage, AnOrdinaryFolderIsNeverCutShort)
{
    // Each one-letter value is a piece of the folder's name, so rewriting it breaks up the values
    // rewritten before, and the scan reads and rewrites those again: 16 rewrites for six elements.
    // The length is that of a plain step-by-step reading of the rules (the same page is in the
    // showpage fuzz corpus, where the fuzz test's reading checks it whole).
    QString page = QStringLiteral(R"(<img src="ea"><img src="e"><img src="\"><img src="d"><img src="a"><img src="R">)");
    ASSERT_NO_THROW(book::parsingImage(page, kReader));
    EXPECT_EQ(page.size(), 14563);
    EXPECT_TRUE(page.endsWith(QStringLiteral(R"(<img src="C:\Reader\images\R">)")));
}

TEST(ParsingImage, AFolderHoldingImgFailsInsteadOfChasingTheElementsItInserts)
{
    // Alone, the folder's "<img" finds no "src=" after it and the page shows.
    EXPECT_EQ(rewritten(QStringLiteral(R"(<img src="a.gif">)"), u"/x<img"),
              QStringLiteral(R"(<img src="/x<img\images\a.gif">)"));

    // Here the first value is ">", and every ">" gets the folder in front, so a new "<img src=" comes
    // with each; the scan reads its next value from one of those, and so on: every rewrite brings the
    // next. The page grows by 22 characters a rewrite, each one pass over it all: its length limit is far.
    const QString folder = QStringLiteral("/<img src=");
    QString page = QStringLiteral(R"(<img >src= >")");
    try {
        book::parsingImage(page, folder);
        FAIL() << "rewritten to " << page.toStdString();
    } catch (const platform::Failure &failure) {
        EXPECT_EQ(failure.number(), platform::error::OutOfStringSpace);
        EXPECT_TRUE(failure.description().contains(folder)) << failure.description().toStdString();
    }
    // The page is kept as the rewrites allowed for its one element left it: each put the folder in
    // front of both ">".
    EXPECT_EQ(page.count(folder), 2 * book::rewriteLimit(1));

    // With any folder, a value that holds "<img" (its quote left open) may bring the scan its element
    // again with each rewrite. These pages, a fuzzer's, took minutes and a fifth of a second (the
    // second, in one pass over the page: a 43 KB page of it 13 s) to reach their length limit.
    for (const QString &chased :
         {QStringLiteral(R"(bi>/<<amg al<IMG SRC="p.gid>qk r<=pic.g<i>Ifheac.gif'><IMG SRC=pif'><IMG SRC=pi"gf".>)"
                         R"(<script>var </body></htMG.SRC="p.=pic.g<i>IfMG mli"gf".><"">here<>/)"),
          QStringLiteral(R"(if'><IMG SRC=pif'><IMG SRC=pi")")}) {
        page = chased;
        try {
            book::parsingImage(page, u"/nonexistent-tavlo-fuzz/app");
            FAIL() << "rewritten to " << page.toStdString();
        } catch (const platform::Failure &failure) {
            EXPECT_EQ(failure.number(), platform::error::OutOfStringSpace);
        }
        EXPECT_LE(page.count(u"/nonexistent-tavlo-fuzz/app"),
                  2 * book::rewriteLimit(chased.count(u"<img", Qt::CaseInsensitive)))
            << page.size();
    }
}

TEST(ParsingImage, PicturesRewrittenOneByOneStopBeforeTheyHoldTheReader)
{
    // A value that begins with the end of the text put in front ("\") is rewritten step by step, and
    // so is every value after it: one pass over the page each. 20,000 pictures after such values
    // took 17 s on a page of 430 KB.
    const QString page = QStringLiteral(R"(<img src="\x.gif"><img src="a.gif"><img src="b.gif">)");
    EXPECT_EQ(rewritten(page),
              QStringLiteral(R"(<img src="C:\Reader\images\\x.gif">)"
                             R"(<img src="C:\Reader\images\a.gif"><img src="C:\Reader\images\b.gif">)"));
    QString stopped = page;
    try {
        book::parsingImage(stopped, kReader, page.size() + 20);
        FAIL() << "rewritten to " << stopped.toStdString();
    } catch (const platform::Failure &failure) {
        EXPECT_EQ(failure.number(), platform::error::OutOfStringSpace);
    }
    // Kept as the first pass left it.
    EXPECT_EQ(stopped, QStringLiteral(R"(<img src="C:\Reader\images\\x.gif"><img src="a.gif"><img src="b.gif">)"));
}

} // namespace
