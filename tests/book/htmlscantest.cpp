// The HTML scanner of the check and of import reads pages by the rules that the page's text and links
// are read by.
#include "../qstringprinter.h"

#include "book/htmlscan.h"
#include "book/pagelinks.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// The content of elements that hold no markup is one piece of raw text, as the page's links and text
// read it: no tag inside it counts, and only the element's own end tag ends it.
TEST(HtmlScanner, ElementsWithoutMarkupAreReadAsThePageReadsThem)
{
    const QString html = u"<title>a <img src=x></title ><textarea><a href=t></a></textarea>"
                         u"<script>if (a</scripts) b</script><noscript><a href=n>n</a></noscript>"
                         u"<p id=\"p\" title='>' x=y><a href=\"&amp;b\">b</a><!-- <a href=c> -->"_s;
    book::HtmlScanner scanner(html);
    book::HtmlToken token;
    QStringList starts;
    QStringList raw;
    qsizetype at = 0;
    while (scanner.next(token)) {
        EXPECT_EQ(token.begin, at);
        at = token.end;
        if (token.kind == book::HtmlToken::StartTag)
            starts.append(token.name.toString());
        if (token.kind == book::HtmlToken::RawText)
            raw.append(html.sliced(token.begin, token.end - token.begin));
        if (token.is(u"p")) {
            ASSERT_EQ(token.attributes.size(), 3u);
            EXPECT_EQ(token.attributes[1].value(), u">");
            EXPECT_EQ(token.attributes[1].quote, u'\'');
            EXPECT_EQ(token.attributes[2].rawValue, u"y");
        }
    }
    EXPECT_EQ(at, html.size());
    EXPECT_EQ(starts, QStringList({u"title"_s, u"textarea"_s, u"script"_s, u"noscript"_s, u"p"_s, u"a"_s}));
    EXPECT_EQ(raw,
              QStringList({u"a <img src=x>"_s, u"<a href=t></a>"_s, u"if (a</scripts) b"_s, u"<a href=n>n</a>"_s}));
    // The page's links agree: only the <a> outside those elements is one.
    const std::vector<book::PageLink> links = book::pageLinks(html);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].href, u"&b");
}

// Text ends at the "<" of a tag, and a quoted value at its quote, wherever these fall among the units
// that are looked through at once.
TEST(HtmlScanner, TextAndValuesEndAtTheirMarkWhereverItFalls)
{
    for (qsizetype n = 0; n < 24; ++n) {
        const QString run(n, u'x');
        const QString html = run + u"<a title=\""_s + run + u"\">"_s + run;
        book::HtmlScanner scanner(html);
        book::HtmlToken token;
        if (n > 0) {
            ASSERT_TRUE(scanner.next(token));
            EXPECT_EQ(token.end, n);
        }
        ASSERT_TRUE(scanner.next(token));
        ASSERT_EQ(token.attributes.size(), 1u);
        EXPECT_EQ(token.attributes[0].rawValue, run);
        EXPECT_EQ(token.end, 2 * n + 12);
    }
}

// A tag that the end of the text cuts off runs to the end, its last value too.
TEST(HtmlScanner, ATagCutOffByTheEndRunsToIt)
{
    const QString html = u"<img src=\"a.gif\" alt=\"never closed"_s;
    book::HtmlScanner scanner(html);
    book::HtmlToken token;
    ASSERT_TRUE(scanner.next(token));
    EXPECT_EQ(token.kind, book::HtmlToken::StartTag);
    EXPECT_EQ(token.end, html.size());
    ASSERT_EQ(token.attributes.size(), 2u);
    EXPECT_EQ(token.attributes[1].rawValue, u"never closed");
    EXPECT_EQ(token.attributes[1].end, html.size());
    EXPECT_FALSE(scanner.next(token));
}

} // namespace
