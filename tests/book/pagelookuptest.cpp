// Looking a link up among the page names: the plain search and the index must agree on every book.
#include "../qstringprinter.h"
#include "../support/plainsearch.h"

#include <book/bookfile.h>
#include <book/pageindex.h>

#include <gtest/gtest.h>

#include <random>

namespace {

using support::plainSearch;

book::PageTable tableOf(const QByteArray &pageSection)
{
    return book::parseBook("T<<$$>>" + pageSection, QStringLiteral("test.tavlo")).pages;
}

TEST(PageLookup, NamesMatchIgnoringCaseAndOuterSpacesAndTheFirstWins)
{
    const book::PageTable pages = tableOf(" Roses ##a~ROSES##b~lilies##c~~  ~tab\t##d~\xC9t\xE9##e~x##y##z");
    const book::PageIndex index(pages);
    const struct {
        const char *link;
        qsizetype page;
    } cases[] = {
        {"roses", 0}, {"  ROSES  ", 0}, {"Lilies", 2}, {"lilies ", 2}, {"tab\t", 5}, {"tab", -1},
        {"", -1},     {"   ", -1},      {"x", 7},      {"x##y", -1},   {"rose", -1},
    };
    for (const auto &c : cases) {
        const QString link = QString::fromLatin1(c.link);
        EXPECT_EQ(plainSearch(pages, link), c.page) << c.link;
        EXPECT_EQ(index.find(link), c.page) << c.link;
    }
    // Windows-1252 names in other case: "Été" written as "éTÉ".
    EXPECT_EQ(index.find(QStringLiteral("\u00e9T\u00c9")), 6);
    EXPECT_EQ(plainSearch(pages, QStringLiteral("\u00e9T\u00c9")), 6);
}

// Books of random names from a small alphabet, so that names repeat in other case and with other
// spaces, with empty and damaged records among them; every name and variants of it are looked up.
TEST(PageLookup, TheIndexAnswersAsThePlainSearchOnGeneratedBooks)
{
    std::mt19937 random(20261207);
    const QByteArray alphabet = QByteArray("aAbB \xE0\xC0\xFF\x9F\x8A\x9A#~");
    for (int book = 0; book < 200; ++book) {
        QByteArray section;
        const int count = 1 + int(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (i)
                section += '~';
            QByteArray name;
            for (int n = int(random() % 5); n > 0; --n)
                name += alphabet[int(random() % (alphabet.size() - 2))];
            section += name;
            if (random() % 6)
                section += "##<p>page</p>";
        }
        const book::PageTable pages = tableOf(section);
        const book::PageIndex index(pages);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QString name = book::pageNameAt(pages, i);
            const QStringList links = {
                name, name.toUpper(), name.toLower(), QString(u' ' + name + u' '), QString(name + u'x'), name.mid(1)};
            for (const QString &link : links) {
                ASSERT_EQ(index.find(link), plainSearch(pages, link))
                    << "book " << book << ", link \"" << link.toStdString() << '"';
            }
        }
    }
}

} // namespace
