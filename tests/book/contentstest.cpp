// The contents of a book: the title of each page, the folders its name lies in, and the filter the
// reader types into.
#include "../qstringprinter.h"

#include <book/bookfile.h>
#include <book/contents.h>
#include <book/contentsfilter.h>
#include <book/pagetitle.h>

#include <gtest/gtest.h>

namespace {

book::PageTable tableOf(const QByteArray &pageSection)
{
    return book::parseBook("T<<$$>>" + pageSection, QStringLiteral("test.tavlo")).pages;
}

TEST(PageTitle, TitleElseFirstHeadingWithTextElseNothing)
{
    const struct {
        const char *html;
        const char *title;
    } cases[] = {
        {"<html><head><title> Opening  a\n&amp; closing </title></head><h1>Heading</h1>", "Opening a & closing"},
        {"<head><TITLE lang=en>  A &amp;\n B </title><title>second</title>", "A & B"},
        {"<!-- <title>no</title> --><h1>Heading</h1>", "Heading"},
        // An empty title gives way to the heading; an empty heading to the next one.
        {"<title> </title><h2></h2><p>text</p><H3 class=x>The <b>th</b>ird &lt;one&gt;</H3><h1>later</h1>",
         "The third <one>"},
        // A heading ends at the first block inside it.
        {"<h1>first line<br>second line</h1>", "first line"},
        {"<h1>run to the end of the page", "run to the end of the page"},
        // <head> and <hr> are no headings; a title inside a script is no title.
        {"<header>no</header><hr><script>'<title>no</title>'</script><p>text</p>", ""},
        {"<p>text only</p>", ""},
        // Windows-1252 bytes are decoded.
        {"<title>\xC9t\xE9 \x96 summer</title>", "\u00c9t\u00e9 \u2013 summer"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(book::pageTitle(QByteArrayView(c.html)), QString::fromUtf8(c.title)) << c.html;
        // Decoded, as import reads a page, where the bytes are UTF-8.
        const QString decoded = QString::fromUtf8(c.html);
        if (decoded.toUtf8() == c.html) {
            EXPECT_EQ(book::pageTitle(QStringView(decoded)), QString::fromUtf8(c.title)) << c.html;
        }
    }
    EXPECT_EQ(book::pageTitle(QByteArray("<title>" + QByteArray(1000, 'x') + "</title>")).size(),
              book::kLongestPageTitle);
}

TEST(Contents, PagesByTitleInBookOrderUnderTheFoldersOfTheirNames)
{
    const book::Contents contents(tableOf("index.html##<title>Home</title>~"
                                          "   ~"     // blank: not listed
                                          "no html~" // no page HTML: not listed
                                          "c3ref/open.html##<h1>Opening a database</h1>~"
                                          "c3ref/close.html##<p>no title</p>~"
                                          "lang/expr/case.html##<title>CASE</title>~"
                                          "c3ref/deep/x.html##<title>X</title>~"
                                          " lang/select.html ##<title>SELECT</title>"));
    const std::vector<book::Contents::Entry> &entries = contents.entries();
    const std::vector<book::Contents::Folder> &folders = contents.folders();
    ASSERT_EQ(entries.size(), 6u);
    const auto folderPath = [&](int folder) {
        QString path;
        for (; folder >= 0; folder = folders[size_t(folder)].parent)
            path = folders[size_t(folder)].name + u'/' + path;
        return path;
    };
    const struct {
        qsizetype page;
        const char *title;
        const char *folder;
    } expected[] = {
        {0, "Home", ""},
        {3, "Opening a database", "c3ref/"},
        {4, "c3ref/close.html", "c3ref/"}, // no title: its name
        {5, "CASE", "lang/expr/"},
        {6, "X", "c3ref/deep/"},
        {7, "SELECT", "lang/"},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(entries[i].page, expected[i].page);
        EXPECT_EQ(entries[i].title, QString::fromUtf8(expected[i].title));
        EXPECT_EQ(folderPath(entries[i].folder), QString::fromUtf8(expected[i].folder)) << i;
    }
    EXPECT_EQ(entries[5].name, QStringLiteral("lang/select.html"));
    // One folder for each path, each before those inside it.
    ASSERT_EQ(folders.size(), 4u);
    for (size_t f = 0; f < folders.size(); ++f)
        EXPECT_LT(folders[f].parent, int(f));

    EXPECT_EQ(contents.entryOf(3), 1);
    EXPECT_EQ(contents.entryOf(7), 5);
    EXPECT_EQ(contents.entryOf(1), -1);
    EXPECT_EQ(contents.entryOf(99), -1);
}

TEST(ContentsFilter, EveryWordInAnyOrderAndCaseInTitleOrName)
{
    const book::Contents contents(tableOf("c3ref/open.html##<title>Opening A New Database Connection</title>~"
                                          "c3ref/close.html##<title>Closing A Database Connection</title>~"
                                          "lang_select.html##<title>SELECT</title>~"
                                          "\xC9t\xE9.html##<title>Summer</title>"));
    const book::ContentsFilter filter(contents);
    const struct {
        const char *query;
        std::vector<qsizetype> kept;
    } cases[] = {
        {"connection database", {0, 1}},
        {"  DATABASE\topen ", {0}}, // the name holds "open" too
        {"c3ref close", {1}},
        {"sel", {2}},
        {"\u00c9T\u00c9", {3}},
        {"database select", {}},
        {"", {0, 1, 2, 3}},
        {"   ", {0, 1, 2, 3}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(filter.filter(QString::fromUtf8(c.query)), c.kept) << c.query;
}

} // namespace
