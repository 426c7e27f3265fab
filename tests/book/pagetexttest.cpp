// The text of a page as the reader sees it, and finding a query in it.
#include "../qstringprinter.h"

#include <book/pagetext.h>
#include <platform/codepage.h>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// Both readings of a page, from the book's bytes and from decoded text, must give the same.
QString textOf(const QByteArray &html)
{
    const QString fromBytes = book::pageText(QByteArrayView(html));
    EXPECT_EQ(book::pageText(platform::decodeCodePage(html)), fromBytes) << html.toStdString();
    return fromBytes;
}

TEST(PageText, MarkupHiddenElementsAndCommentsAreLeftOut)
{
    const struct {
        const char *html;
        const char *text;
    } cases[] = {
        {"<p>Hello <b>wor</b>ld</p>", "Hello world"},
        {"<html><head><title>Title</title><style>p{}</style><script>if (a<b) x='</p>';</script>"
         "<meta charset=x></head><body><!-- note -->Shown</body></html>",
         "Shown"},
        {"<SCRIPT type=x>a</ScRiPt >b<style>c</stylex>d</style>e", "be"},
        {"a<noscript>b</noscript>c<iframe src=x>d</iframe>e", "ac e"},
        {"<!-->a<!--->b<!---->c<!-- - -- ->d-->e<!--f", "abce"},
        {"<!DOCTYPE html>a<?xml x?>b<![CDATA[c]]>d", "abd"},
        {"<a title='x>y' href=\"a>b\">link</a>", "link"},
        {"<a b\"c>d</a>", "d"}, // a quote in a name opens no value
        {"a < b <3 c</>d</ x>e", "a < b <3 cde"},
        {"text<a href='x", "text"},
        {"<textarea>a<b>&amp;</textarea>c", "a<b>& c"},
        {"<xmp><i>&amp;</i></xmp>", "<i>&amp;</i>"},
        {"a<plaintext></p>&amp;", "a </p>&amp;"},
        {"<", "<"},
        {"a<", "a<"},
        {"</", "</"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(textOf(c.html), QString::fromUtf8(c.text)) << c.html;
}

TEST(PageText, WhiteSpaceCollapsesAndBlocksSeparateWords)
{
    EXPECT_EQ(textOf("  a \n\t b  \r\n"), u"a b"_s);
    EXPECT_EQ(textOf("<p> a</p><p>b </p>c<br>d<div></div><div></div>e<img src=x>f"), u"a b c d e f"_s);
    EXPECT_EQ(textOf("gar<b>den</b> <i> x </i>y<span>z</span>"), u"garden x yz"_s);
    EXPECT_EQ(textOf("<pre>a\n   b</pre>"), u"a b"_s);
    // A reference to white space is white space; a no-break space is text.
    EXPECT_EQ(textOf("a&#10;&#32; b&nbsp;&nbsp;c\xA0"), u"a b\u00a0\u00a0c\u00a0"_s);
    EXPECT_EQ(textOf("<p>  </p><p>\n</p>"), QString());
}

TEST(PageText, CharacterReferencesAreDecodedAsABrowserDoes)
{
    const struct {
        const char *html;
        const char16_t *text;
    } cases[] = {
        {"&amp;&lt;&gt;&quot;&apos;&eacute;&Eacute;&AMP;&hellip;&euro;&thetasym;", u"&<>\"'éÉ&…€ϑ"},
        {"&#233;&#xE9;&#XE9;&#x1F600;&#128;&#x9c;&#0;&#x110000;&#99999999999;&#xD800;",
         u"ééé\U0001F600€œ\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"&#65x &#x41 &#;&#x;&#xg;", u"Ax A &#;&#x;&#xg;"},
        // Without its semicolon, only a legacy name is read, as far as it goes.
        {"&copy2024 &notin; &notin &ampx; &Alpha &hellip &eacutex", u"©2024 ∉ ¬in &x; &Alpha &hellip éx"},
        {"&unknown; & x &;&thetasymbol;", u"&unknown; & x &;&thetasymbol;"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(textOf(c.html), QString::fromUtf16(c.text)) << c.html;
    // The page's own bytes are Windows-1252.
    EXPECT_EQ(textOf("caf\xE9 \x93q\x94 \x80 \x8C"), u"café “q” € Œ"_s);
}

TEST(PageFinder, CountsHitsInTheTextAsTheReaderSeesIt)
{
    constexpr auto ci = Qt::CaseInsensitive;
    constexpr auto cs = Qt::CaseSensitive;
    const struct {
        const char *html;
        const char16_t *query;
        Qt::CaseSensitivity sensitivity;
        qsizetype hits;
    } cases[] = {
        {"gar<b>den</b> Garden GARDEN gardens", u"garden", ci, 4},
        {"gar<b>den</b> Garden GARDEN gardens", u"garden", cs, 2},
        {"gar<b>den</b> Garden GARDEN gardens", u"Garden", cs, 1},
        {"&#71;arden g&#x61;rd&eacute;n", u"garden", ci, 1}, // a reference spells a letter
        {"G<i>arden</i> G&#97;rden G<!-- -->ARDEN", u"garden", ci, 3},
        {"rose\n  <i>garden</i>", u"  rose \t garden ", ci, 1}, // the query's blanks as the page's
        {"rose</p><p>garden", u"rosegarden", ci, 0},
        {"rose</p><p>garden", u"rose garden", ci, 1},
        {"rose&nbsp;garden", u"rose garden", ci, 1},
        {"rose garden", u"rose\u00a0garden", ci, 1},
        {"<title>garden</title><script>garden</script><!--garden--><a title=garden>x</a>", u"garden", ci, 0},
        {"aaaa", u"aa", ci, 2},
        {"aaa", u"aa", ci, 1},
        {"ababa", u"aba", ci, 1},
        {"aaaab aabaaab", u"aaab", ci, 2}, // false starts that the match must not lose
        {"a a a", u"a a", ci, 1},
        {"\xC9T\xC9 \xE9t\xE9 &Eacute;t&eacute;", u"été", ci, 3},
        {"\xC9T\xC9 \xE9t\xE9 &Eacute;t&eacute;", u"été", cs, 1},
        {"\x8Cuvre \x9Cuvre", u"ŒUVRE", ci, 2},
        {"&#x10400;x &#x10428;x", u"\U00010400x", cs, 1},
        {"anything", u" \t\u00a0 ", ci, 0}, // nothing but blanks finds nothing
        // Where the content of an element is no markup, "<" and "&" are text too.
        {"<textarea>a<b>&amp;</c</textarea>", u"a<b>&</c", ci, 1},
        {"<XMP>a<b>&amp;</c</xmp>", u"a<b>&amp;</c", ci, 1},
        {"<plaintext>a<b>&amp;</c", u"<b>&amp;</c", ci, 1},
    };
    for (const auto &c : cases) {
        const book::PageFinder finder(QString::fromUtf16(c.query), c.sensitivity);
        const QByteArray html(c.html);
        EXPECT_EQ(finder.hits(QByteArrayView(html)).count, c.hits)
            << c.html << " / " << QString::fromUtf16(c.query).toStdString();
        EXPECT_EQ(finder.hits(platform::decodeCodePage(html)).count, c.hits) << c.html;
    }
}

TEST(PageFinder, TheExcerptShowsTheFirstHitInItsContext)
{
    QByteArray html = "<p>";
    for (int i = 0; i < 40; ++i)
        html += "word" + QByteArray::number(i) + " <i>filler</i>\n";
    html += "<b>Light</b>house keeper";
    for (int i = 0; i < 40; ++i)
        html += " more" + QByteArray::number(i);
    html += " lighthouse again</p>";
    const QString text = book::pageText(QByteArrayView(html));

    const book::PageFinder finder(u"LIGHTHOUSE"_s, Qt::CaseInsensitive);
    // Found while counting, the excerpt is the same as alone, though the page is not read again from
    // its beginning.
    const book::PageFinder::Hits hits = finder.hits(QByteArrayView(html));
    EXPECT_EQ(hits.count, 2);
    for (const book::PageFinder::Excerpt &excerpt :
         {finder.excerpt(QByteArrayView(html)), finder.excerpt(platform::decodeCodePage(html)), hits.excerpt}) {
        EXPECT_EQ(excerpt.text.size(), book::PageFinder::kExcerptLength);
        EXPECT_EQ(excerpt.text.mid(excerpt.hitOffset, 10), u"Lighthouse"_s);
        EXPECT_EQ(excerpt.hitOffset, (book::PageFinder::kExcerptLength - 10) / 2);
        EXPECT_TRUE(text.contains(excerpt.text)) << excerpt.text.toStdString();
    }

    // Found while counting, the excerpt is read from a little before the hit: from after one of the
    // last start tags, but not one whose content is no markup, and from further back when that gives
    // too little before the hit.
    const QByteArray pages[] = {
        "<p>" + QByteArray(60, 'x') + " <b>a</b><b>b</b><b>c</b><b>d</b> lighthouse and more",
        "<p>intro</p><textarea><b>one</b> two <i>three</i> four five six seven eight nine lighthouse</textarea>",
        "<textarea>one two three four five six seven eight <i>nine</i></textarea><b>1</b><b>2</b><b>3</b> lighthouse",
    };
    for (const QByteArray &page : pages) {
        const QString pageTextOf = book::pageText(QByteArrayView(page));
        const book::PageFinder::Excerpt excerpt = finder.hits(QByteArrayView(page)).excerpt;
        EXPECT_EQ(excerpt.hitOffset, (book::PageFinder::kExcerptLength - 10) / 2) << page.toStdString();
        EXPECT_EQ(excerpt.text, pageTextOf.mid(pageTextOf.indexOf(u"lighthouse") - excerpt.hitOffset, 80));
    }

    // Near the start of a page the excerpt runs on after the hit; a short page gives all it has.
    const book::PageFinder::Excerpt early = finder.excerpt(text.mid(text.indexOf(u"Light")));
    EXPECT_EQ(early.hitOffset, 0);
    EXPECT_EQ(early.text, text.mid(text.indexOf(u"Light"), book::PageFinder::kExcerptLength));
    const book::PageFinder::Excerpt shortPage = finder.excerpt(u"<p>A lighthouse.</p>"_s);
    EXPECT_EQ(shortPage.text, u"A lighthouse."_s);
    EXPECT_EQ(shortPage.hitOffset, 2);
    EXPECT_EQ(finder.excerpt(u"no such word"_s).hitOffset, -1);
}

TEST(PageFinder, TheExcerptComesFromTheMainContentWhereItHoldsTheWords)
{
    const book::PageFinder finder(u"stats"_s, Qt::CaseInsensitive);
    const struct {
        const char *html;
        const char16_t *excerpt;
    } cases[] = {
        {"<nav>Stats menu</nav><main><p>the stats module</p></main>", u"the stats module"},
        {"<header>Stats</header><aside>stats</aside><p>Stats here<footer>stats</footer>", u"Stats here"},
        {"<div role=\"banner navigation\"><div>Stats</div> stats</div><p>stats found</p>", u"stats found"},
        {"<NAV><nav>Stats</nav> stats</NAV> <p>a <b>stats</b> test</p>", u"a stats test"},
        // Not around the content: a role on a void element, roles of other kinds.
        {"<img role=navigation alt=x><p>stats</p>", u"stats"},
        {"<div role=main>Stats</div><nav>stats</nav>", u"Stats"},
        // Only the surroundings hold the words: they are quoted, and the words are counted anywhere.
        {"<nav>Stats menu</nav><p>Other</p>", u"Stats menu Other"},
        {"<header>Stats</header><p>body", u"Stats body"},
    };
    for (const auto &c : cases) {
        const QByteArray html(c.html);
        const book::PageFinder::Hits hits = finder.hits(QByteArrayView(html));
        EXPECT_EQ(hits.count, QString::fromLatin1(html).count(u"stats"_s, Qt::CaseInsensitive)) << c.html;
        for (const book::PageFinder::Excerpt &excerpt : {hits.excerpt, finder.excerpt(QString::fromLatin1(html))})
            EXPECT_EQ(excerpt.text, QString::fromUtf16(c.excerpt)) << c.html;
    }
    EXPECT_EQ(book::pageMainText(u"<nav>a</nav>b<span role=navigation>c</span>d<aside>e"_s), u"bd"_s);
}

} // namespace
