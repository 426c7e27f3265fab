#include "../qstringprinter.h"

#include "book/bookfile.h"
#include "book/record.h"
#include "book/showpage.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

using namespace Qt::StringLiterals;

using book::parseBook;

const QString kFile = QStringLiteral("/books/tessavanetavlo.tavlo");
const QByteArray kStart = "<html><body><a href=\"roses\">Roses</a></body></html>";
const QByteArray kRoses = "<html><body><img src=\"rose.gif\"> Red and white.</body></html>";
const QByteArray kGardenNotes = "Garden Notes<<$$>>start##" + kStart + "~roses##" + kRoses;

QStringList recordsOf(const book::PageTable &pages)
{
    QStringList records;
    for (qsizetype i = 0; i < pages.size(); ++i)
        records.append(pages.record(i));
    return records;
}

platform::Failure failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const platform::Failure &failure) {
        return failure;
    }
    ADD_FAILURE() << "no failure was thrown";
    return platform::Failure(0, QString());
}

TEST(BookFile, GardenNotesGivesTitleAndTwoRecordsWhole)
{
    const book::Book book = parseBook(kGardenNotes, kFile);
    EXPECT_EQ(book.title, u"Garden Notes");
    EXPECT_EQ(recordsOf(book.pages),
              QStringList({QString::fromLatin1("start##" + kStart), QString::fromLatin1("roses##" + kRoses)}));
    EXPECT_EQ(book::preparePage(book.pages, 0, u"C:\\Reader").html, QString::fromLatin1(kStart));
    EXPECT_EQ(book::preparePage(book.pages, 1, u"C:\\Reader").html,
              u"<html><body><img src=\"C:\\Reader\\images\\rose.gif\"> Red and white.</body></html>");
}

struct Cutting {
    const char *name;
    QByteArray text;
    QString title;
    QStringList records;
    friend void PrintTo(const Cutting &c, std::ostream *os) { *os << c.name; }
};

class BookCutting : public testing::TestWithParam<Cutting> {};

TEST_P(BookCutting, CutsTitleAndRecords)
{
    const book::Book book = parseBook(GetParam().text, kFile);
    EXPECT_EQ(book.title, GetParam().title);
    EXPECT_EQ(recordsOf(book.pages), GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, BookCutting,
    testing::Values(
        Cutting{"NoTildeIsOnePage", "T<<$$>>a##b", u"T"_s, {u"a##b"_s}},
        Cutting{"TrailingTildeAddsEmptyLastPage", "T<<$$>>a##b~", u"T"_s, {u"a##b"_s, QString()}},
        Cutting{"LeadingSeparatorGivesEmptyTitle", "<<$$>>a##b", QString(), {u"a##b"_s}},
        Cutting{"TextAfterSecondSeparatorIsIgnored", "T<<$$>>a##b<<$$>>c##d~e<<$$>>f", u"T"_s, {u"a##b"_s}},
        Cutting{"TildeInsideHtmlSplitsThePage", "T<<$$>>a##x~y", u"T"_s, {u"a##x"_s, u"y"_s}},
        Cutting{"LineBreaksBelongToThePieces",
                "T\r\n<<$$>>\na##b~\r\nc##d\r\n",
                u"T\r\n"_s,
                {u"\na##b"_s, u"\r\nc##d\r\n"_s}},
        Cutting{"EmptyAndBlankRecordsCount", "T<<$$>>a##b~~  ~c", u"T"_s, {u"a##b"_s, QString(), u"  "_s, u"c"_s}},
        // Near misses of the separator around the real one.
        Cutting{"NearMissesStayInTheTitle", "<<$<<$$$>><<$$<<$$>>a##b", u"<<$<<$$$>><<$$"_s, {u"a##b"_s}},
        Cutting{"DollarsInPagesAreText", "$$<<$$>>a##$5 <<$ $$>>~<<$$", u"$$"_s, {u"a##$5 <<$ $$>>"_s, u"<<$$"_s}},
        Cutting{"SecondSeparatorAtTheEnd", "T<<$$>>a<<$$>>", u"T"_s, {u"a"_s}}),
    [](const testing::TestParamInfo<Cutting> &c) { return std::string(c.param.name); });

TEST(BookFile, DecodesTheCodePage)
{
    const book::Book book = parseBook("Caf\xe9 \x80<<$$>>na\x9dme##\x93q\x94", kFile);
    EXPECT_EQ(book.title, u"Café €");
    EXPECT_EQ(book.pages.record(0), u"na\u009dme##“q”");
}

TEST(BookFile, PageTableKeepsTheTextItReadWithoutCopying)
{
    QByteArray text = "T<<$$>>";
    for (int i = 0; i < 200'000; ++i)
        text += "p" + QByteArray::number(i) + "##x~";
    text.chop(1);
    const char *before = text.constData();

    const book::Book book = parseBook(std::move(text), kFile);
    ASSERT_EQ(book.pages.size(), 200'000);
    EXPECT_EQ(book.pages.record(199'999), u"p199999##x");
    EXPECT_EQ(book.pages.recordBytes(0).constData(), before + 7);
}

TEST(BookFile, MalformedBooksFailNamingFileAndDefect)
{
    struct Case {
        QByteArray text;
        int number;
        QString defect;
    };
    const Case cases[] = {
        {"", 62, u"is empty"_s},
        {"Garden Notes", 9, u"has no page section: no \"<<$$>>\" after the title"_s},
        {"Garden Notes<<$$", 9, u"has no page section"_s},
        {"Garden Notes<<$$>>", 9, u"has an empty page section: the file ends right after"_s},
        {"Garden Notes<<$$>><<$$>>start##a", 9, u"has an empty page section: a second"_s},
        {"<<$$>>", 9, u"has an empty page section: the file ends right after"_s},
        {"<<$$>><<$$>>", 9, u"has an empty page section: a second"_s},
    };
    for (const Case &c : cases) {
        const platform::Failure failure = failureOf([&] { parseBook(c.text, kFile); });
        EXPECT_EQ(failure.number(), c.number) << c.text.toStdString();
        EXPECT_TRUE(failure.description().startsWith(u"the book file \"" + kFile + u"\" " + c.defect))
            << failure.description().toStdString();
    }
}

TEST(BookFile, ShowingAPage)
{
    // A damaged first record shows an empty page; an index outside the table fails.
    for (const QByteArray text : {"T<<$$>>no fields~b##c", "T<<$$>>~b##c"}) {
        const book::Book book = parseBook(text, kFile);
        EXPECT_EQ(book::preparePage(book.pages, 0, u"/app").html, QString());
        EXPECT_EQ(book::preparePage(book.pages, 1, u"/app").html, u"c");
        for (const qsizetype i : {qsizetype(-1), qsizetype(2)})
            EXPECT_EQ(failureOf([&] { book::preparePage(book.pages, i, u"/app"); }).number(),
                      platform::error::SubscriptOutOfRange);
    }
}

// Loading from the file system: the book beside the program.
class BookLoading : public testing::Test {
protected:
    QString bookPath() const { return dir.filePath(QStringLiteral("tessavanetavlo.tavlo")); }

    void writeFile(const QString &path, const QByteArray &bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // The failure's number and description.
    QString loadFailure()
    {
        const platform::Failure failure = failureOf([&] { book::loadBookFile(bookPath()); });
        return QString::number(failure.number()) + u' ' + failure.description();
    }

    QTemporaryDir dir;
};

TEST_F(BookLoading, ReadsTheMappedFileAndOutlivesItsShrinking)
{
    writeFile(bookPath(), kGardenNotes + "~" + QByteArray(100'000, 'x'));
    const book::Book book = book::loadBookFile(bookPath());
    EXPECT_EQ(book.title, u"Garden Notes");
    EXPECT_EQ(book.pages.record(1), QString::fromLatin1("roses##" + kRoses));
    // Cut short under the reader, the file's lost pages read as zeros rather than ending the program.
    const book::PageTable copy = book.pages;
    ASSERT_TRUE(QFile::resize(bookPath(), 10));
    EXPECT_EQ(copy.recordBytes(2).last(10), QByteArray(10, '\0'));
}

TEST_F(BookLoading, ReadingAheadGivesItsBookOnceForItsOwnPath)
{
    writeFile(bookPath(), kGardenNotes);
    book::BookLoad ahead(bookPath());
    EXPECT_EQ(ahead.take(bookPath()).title, u"Garden Notes");
    // Taken again, or for another path, the file is read then.
    writeFile(bookPath(), "Lilies<<$$>>a##<p>white</p>");
    EXPECT_EQ(ahead.take(bookPath()).title, u"Lilies");
    book::BookLoad elsewhere(bookPath());
    const QString other = dir.filePath(QStringLiteral("other.tavlo"));
    writeFile(other, kGardenNotes);
    EXPECT_EQ(elsewhere.take(other).title, u"Garden Notes");
    // A reading ahead that failed is done again, as the program would do it without one.
    const QString late = dir.filePath(QStringLiteral("late.tavlo"));
    book::BookLoad tooEarly(late);
    QThread::msleep(200); // time enough to find no file
    writeFile(late, kGardenNotes);
    EXPECT_EQ(tooEarly.take(late).title, u"Garden Notes");
}

TEST_F(BookLoading, FailuresNameTheBookFile)
{
    EXPECT_EQ(loadFailure(), u"53 the book file \"" + bookPath() + u"\" does not exist");
    writeFile(bookPath(), QByteArray());
    EXPECT_EQ(loadFailure(), u"62 the book file \"" + bookPath() + u"\" is empty");
    writeFile(bookPath(), "Garden Notes");
    EXPECT_EQ(loadFailure(),
              u"9 the book file \"" + bookPath() + u"\" has no page section: no \"<<$$>>\" after the title");
    // A folder in the book's place can't be read, even by the superuser.
    ASSERT_TRUE(QFile::remove(bookPath()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tessavanetavlo.tavlo")));
    EXPECT_TRUE(loadFailure().startsWith(u"70 the book file \"" + bookPath() + u"\" can't be read"));
    // A named pipe is not waited on.
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("tessavanetavlo.tavlo")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(bookPath()).constData(), 0600), 0);
    EXPECT_TRUE(loadFailure().startsWith(u"75 the book file \"" + bookPath() + u"\" can't be read"));
}

} // namespace
