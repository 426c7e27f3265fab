// Where comments, scripts and character references end, as a browser's HTML parser reads them: each
// case is page HTML with the text that search finds in it and the links that the check and import
// follow, read from the book's bytes, from decoded text and by the scanner of the check alike.
#include "../qstringprinter.h"

#include "book/htmlscan.h"
#include "book/pagelinks.h"
#include "book/pagetext.h"
#include "platform/codepage.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

struct Case {
    const char *html; // in the book's code page
    const char16_t *text;
    QStringList links = {}; // the hrefs of <a> and <area>, decoded
};

// The hrefs of <a> and <area> as the scanner of the check and of import reads them.
QStringList scannedLinks(const QString &html)
{
    QStringList links;
    book::HtmlScanner scanner(html);
    book::HtmlToken token;
    while (scanner.next(token)) {
        if (token.kind != book::HtmlToken::StartTag || !(token.is(u"a") || token.is(u"area")))
            continue;
        if (const book::HtmlAttribute *href = token.attribute(u"href"))
            links.append(href->value());
    }
    return links;
}

void expectReadAsWritten(const Case &c)
{
    const QByteArray bytes(c.html);
    const QString decoded = platform::decodeCodePage(bytes);
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(book::pageText(QByteArrayView(bytes)), text) << c.html;
    EXPECT_EQ(book::pageText(decoded), text) << c.html;
    QStringList links;
    for (const book::PageLink &link : book::pageLinks(decoded))
        links.append(link.href);
    EXPECT_EQ(links, c.links) << c.html;
    EXPECT_EQ(scannedLinks(decoded), c.links) << c.html;
    // Every word of the text is found where it stands, by the search that reads the bytes unlaid.
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        EXPECT_GT(book::PageFinder(word, Qt::CaseSensitive).hits(QByteArrayView(bytes)).count, 0)
            << c.html << " / " << word.toStdString();
}

TEST(HtmlTokenizer, CommentsEndWhereABrowserEndsThem)
{
    const Case cases[] = {
        {"a<!-- x --!>b <a href=l>c</a>", u"ab c", {"l"}},
        {"a<!-- x --!-->b", u"ab"},
        {"a<!----!>b<!---!>c-->d", u"abd"},
        {"a<!-- <!-- x -- y -- -->b", u"ab"},
        {"a<!-- x -- !>b-->c", u"ac"},
        {"a<!-->b<!--->c", u"abc"},
        {"a<!- x -->b<! x>c<!DOCTYPE html>d<?x a>b?>e", u"abcdb?>e"},
        {"a</ x>b</>c</3 <a href=n>d", u"abcd"},
        {"a<!-- unclosed <a href=x>", u"a"},
    };
    for (const Case &c : cases)
        expectReadAsWritten(c);
}

// A script that writes a script hides it in "<!--": only "-->" ends the hiding, and within it the
// "</script>" of a script written inside does not end the outer one.
TEST(HtmlTokenizer, ScriptsEndAtTheirOwnEndTag)
{
    const Case cases[] = {
        {"<script><!-- document.write('<script src=x></script>'); //--></script>after", u"after"},
        {"<script><!--<script>a</script><a href=in>b--></script>c<a href=out>d</a>", u"cd", {"out"}},
        {"<script><!-- a </script>b", u"b"},
        {"<script><!--<script>--></script>y</script>z", u"yz"},
        {"<script><!--><a href=q></script>x", u"x"},
        {"<script><!---><script></script>x", u"x"},
        {"<SCRIPT><!--<Script/></SCRIPT\t></script>d", u"d"},
        {"<script><!--<scripts></script>e", u"e"},
        {"<script><!--<script>x</scripts>--></script>f", u"f"},
        {"<script>a<!-b</script>c", u"c"},
        {"<style><!--</style>a-->", u"a-->"}, // only scripts hide parts so
        {"<script><!--<script></script>never ended", u""},
    };
    for (const Case &c : cases)
        expectReadAsWritten(c);
}

TEST(HtmlTokenizer, EveryNamedReferenceOfHtmlIsRead)
{
    const Case cases[] = {
        {"&check; &NewLine;x&Tab;y &CounterClockwiseContourIntegral; &Afr;", u"\u2713 x y \u2233 \U0001D504"},
        {"&fjlig;ord &nvlt; &NotEqualTilde;", u"fjord <\u20D2 \u2242\u0338"},
        {"&notit; &notin; &check &amp &ampx &Amp;", u"\u00ACit; \u2209 &check & &x &Amp;"},
        {"<a href='&check;'>&#x2713;</a><area href=\"?a=1&copy=2&not;x&lt9&ltb&amp\">",
         u"\u2713",
         {u"\u2713"_s, u"?a=1&copy=2\u00ACx&lt9&ltb&"_s}},
        {"<textarea>&check;&bne</textarea><xmp>&check;</xmp>", u"\u2713&bne &check;"},
    };
    for (const Case &c : cases)
        expectReadAsWritten(c);
}

} // namespace
