// Finding a text in the whole book: in book order, on any number of threads, cancelled at will.
#include "../qstringprinter.h"

#include <book/bookfile.h>
#include <book/booksearch.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace Qt::StringLiterals;

book::PageTable tableOf(const QByteArray &pageSection)
{
    return book::parseBook("T<<$$>>" + pageSection, QStringLiteral("test.tavlo")).pages;
}

std::vector<book::PageMatch> searchAll(const book::PageTable &pages, const QString &query, int threads,
                                       Qt::CaseSensitivity cs = Qt::CaseInsensitive)
{
    std::vector<book::PageMatch> matches;
    const std::atomic<bool> cancelled{false};
    EXPECT_TRUE(book::searchBook(
        pages, book::PageFinder(query, cs),
        [&](std::vector<book::PageMatch> &&found) {
            EXPECT_FALSE(found.empty());
            matches.insert(matches.end(), found.begin(), found.end());
        },
        cancelled, threads));
    return matches;
}

// A book of many pages where "harbour" stands on every seventh page, as often as the page's index
// modulo 3 plus one, among records without page HTML and blank ones.
struct GeneratedBook {
    book::PageTable pages;
    std::vector<std::pair<qsizetype, qsizetype>> expected; // page, hits
};

GeneratedBook generatedBook(int count)
{
    GeneratedBook b;
    QByteArray section;
    for (int i = 0; i < count; ++i) {
        if (i)
            section += '~';
        if (i % 50 == 3) {
            section += "   "; // blank
            continue;
        }
        if (i % 50 == 4) {
            section += "no html harbour"; // no "##"
            continue;
        }
        section += "p" + QByteArray::number(i) + "##<html><head><title>harbour</title></head><body><p>";
        const qsizetype hits = i % 7 == 0 ? i % 3 + 1 : 0;
        for (int h = 0; h < hits; ++h)
            section += h % 2 ? "the Har<b>bour</b> wall " : "the HARBOUR ";
        section += "quay and boats</p></body></html>##harbour in field 2";
        if (hits)
            b.expected.emplace_back(i, hits);
    }
    b.pages = tableOf(section);
    return b;
}

TEST(BookSearch, FindsEveryPageInBookOrderOnAnyNumberOfThreads)
{
    const GeneratedBook b = generatedBook(1000);
    for (int threads : {1, 2, 5}) {
        std::vector<std::pair<qsizetype, qsizetype>> seen;
        for (const book::PageMatch &m : searchAll(b.pages, u"harbour"_s, threads)) {
            seen.emplace_back(m.page, m.hits);
            EXPECT_EQ(m.name, QStringLiteral("p%1").arg(m.page));
            EXPECT_EQ(m.excerpt.mid(m.hitOffset, m.hitLength).toLower(), u"harbour"_s);
        }
        EXPECT_EQ(seen, b.expected) << threads << " threads";
    }
    // Letter case, when it counts, leaves only the pages of "Har<b>bour</b>", those of two hits or more.
    std::vector<std::pair<qsizetype, qsizetype>> seen, expected;
    for (const book::PageMatch &m : searchAll(b.pages, u"Harbour"_s, 2, Qt::CaseSensitive))
        seen.emplace_back(m.page, m.hits);
    for (const auto &[page, hits] : b.expected)
        if (hits >= 2)
            expected.emplace_back(page, hits / 2);
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(searchAll(b.pages, u"   "_s, 2).empty());
}

TEST(BookSearch, TheNameAndExcerptOfAPage)
{
    const book::PageTable pages = tableOf("~ Caf\xE9 ##<p>Tea &amp; coffee at the <i>caf&eacute;</i>.</p>~x##cafe");
    const std::vector<book::PageMatch> matches = searchAll(pages, u"CAFÉ"_s, 1);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].page, 1);
    EXPECT_EQ(matches[0].name, u" Café "_s);
    EXPECT_EQ(matches[0].hits, 1);
    EXPECT_EQ(matches[0].excerpt, u"Tea & coffee at the café."_s);
    EXPECT_EQ(matches[0].hitOffset, 20);
    EXPECT_EQ(matches[0].hitLength, 4);
}

TEST(BookSearch, ExcerptsBeginAndEndWithWholeWords)
{
    // Words of 3 to 11 letters around the hit, which sits at every place from the first word to the last.
    QString words;
    for (int w = 0; w < 60; ++w)
        words += QString(3 + w % 9, QChar(u'a' + w % 26)) + u' ';
    const QString text = words.trimmed();
    QList<qsizetype> wordStarts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u' ')
            wordStarts << i + 1;
    }
    for (const qsizetype at : std::as_const(wordStarts)) {
        const QString page = text.first(at) + u"needle "_s + text.sliced(at);
        const book::PageTable pages = tableOf("p##<p>" + page.toLatin1() + "</p>");
        const std::vector<book::PageMatch> matches = searchAll(pages, u"needle"_s, 1);
        ASSERT_EQ(matches.size(), 1u);
        const book::PageMatch &m = matches[0];
        const qsizetype begin = page.indexOf(m.excerpt);
        ASSERT_GE(begin, 0) << m.excerpt.toStdString();
        const qsizetype end = begin + m.excerpt.size();
        EXPECT_TRUE(begin == 0 || page[begin - 1] == u' ') << m.excerpt.toStdString();
        EXPECT_TRUE(end == page.trimmed().size() || page[end] == u' ') << m.excerpt.toStdString();
        EXPECT_EQ(m.cutBefore, begin > 0);
        EXPECT_EQ(m.cutAfter, end < page.trimmed().size());
        EXPECT_EQ(m.excerpt.mid(m.hitOffset, m.hitLength), u"needle"_s);
        EXPECT_LE(m.excerpt.size(), book::PageFinder::kExcerptLength);
        EXPECT_GT(m.excerpt.size(), book::PageFinder::kExcerptLength / 2);
    }
}

TEST(BookSearch, StopsOnceCancelled)
{
    const GeneratedBook b = generatedBook(2000);
    std::atomic<bool> cancelled{true};
    int told = 0;
    const book::PageFinder finder(u"harbour"_s, Qt::CaseInsensitive);
    EXPECT_FALSE(book::searchBook(
        b.pages, finder, [&](std::vector<book::PageMatch> &&) { ++told; }, cancelled, 2));
    EXPECT_EQ(told, 0);

    // Cancelled from the first pages found on, nothing more is told.
    cancelled = false;
    EXPECT_FALSE(book::searchBook(
        b.pages, finder,
        [&](std::vector<book::PageMatch> &&) {
            ++told;
            cancelled = true;
        },
        cancelled, 2));
    EXPECT_EQ(told, 1);
}

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "book_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs the event loop until the search finishes, or for at most the time given.
void runUntilFinished(book::BookSearch &search, int milliseconds = 20000)
{
    QEventLoop loop;
    QObject::connect(&search, &book::BookSearch::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(BookSearch, ResultsComeWhileItRunsAndANewSearchReplacesTheOld)
{
    application();
    const GeneratedBook b = generatedBook(20000);
    book::BookSearch search;
    std::vector<qsizetype> pages;
    QStringList excerpts;
    int finished = 0;
    QObject::connect(&search, &book::BookSearch::found, [&](const book::PageMatch &m) {
        pages.push_back(m.page);
        excerpts.append(m.excerpt);
    });
    QObject::connect(&search, &book::BookSearch::finished, [&] { ++finished; });

    // "quay" is on every page with page HTML; "wall" only on those with two hits or more. The first
    // search is replaced at once, so what comes is the second's alone.
    search.start(b.pages, u"quay"_s, Qt::CaseInsensitive);
    search.start(b.pages, u"wall"_s, Qt::CaseInsensitive);
    EXPECT_TRUE(search.isRunning());
    runUntilFinished(search);
    EXPECT_FALSE(search.isRunning());
    EXPECT_EQ(finished, 1);
    std::vector<qsizetype> expected;
    for (const auto &[page, hits] : b.expected)
        if (hits >= 2)
            expected.push_back(page);
    EXPECT_EQ(pages, expected);
    for (const QString &excerpt : std::as_const(excerpts))
        ASSERT_TRUE(excerpt.contains(u"wall"_s)) << excerpt.toStdString();

    // After cancel() nothing more comes; an empty query finishes at once.
    pages.clear();
    search.start(b.pages, u"quay"_s, Qt::CaseInsensitive);
    search.cancel();
    runUntilFinished(search, 300);
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(finished, 1);
    search.start(b.pages, u"  "_s, Qt::CaseInsensitive);
    runUntilFinished(search);
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(finished, 2);
}

} // namespace
