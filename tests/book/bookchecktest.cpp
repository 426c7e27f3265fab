// Finding a book's defects: each kind on a book that has only that one, and a book that has none.
#include "../qstringprinter.h"

#include <book/bookcheck.h>
#include <book/htmlscan.h>
#include <book/linkrule.h>
#include <book/pagelinks.h>
#include <book/parsingimage.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using book::DefectKind;

std::string messagesOf(const std::vector<book::Defect> &defects)
{
    std::string text;
    for (const book::Defect &defect : defects)
        text += book::kindName(defect.kind).toStdString() + ": " + defect.message.toStdString() + "\n";
    return text;
}

// An application folder with images/a.gif and b.gif beside it, a book file, and a style sheet that
// is a link to one outside.
class BookCheck : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("images")));
        const std::pair<const char *, QByteArray> files[] = {
            {"images/a.gif", ""},
            {"b.gif", ""},
            {"_sources/index.rst.txt", "Index\n====="},
            {"fonts/f.woff", ""},
            {"css/ok.css", "@font-face { src: url(../fonts/f.woff) } /* url(none.png) */"},
            {"css/broken.css", "@import 'ok.css'; p { background: url(\"../pics/none.png\") }"},
            {"other.tavlo", "T<<$$>>a##p { }"},
        };
        for (const auto &[name, bytes] : files) {
            ASSERT_TRUE(QDir(folder.path()).mkpath(QFileInfo(QString::fromLatin1(name)).path()));
            QFile file(folder.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        QFile outsideSheet(outside.filePath(QStringLiteral("out.css")));
        ASSERT_TRUE(outsideSheet.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QFile::link(outsideSheet.fileName(), folder.filePath(QStringLiteral("css/out.css"))));
    }

    std::vector<book::Defect> check(const QByteArray &text) const
    {
        return book::checkBook(book::parseBook(text, QStringLiteral("t.tavlo")), folder.path());
    }

    QTemporaryDir folder;
    QTemporaryDir outside;
};

// A page that uses every kind of link and picture that is no defect.
const QByteArray kGoodPage = R"(<html><head><link href="style.css"><style>a[href=x] { }</style></head>)"
                             R"(<body background="A.GIF"><a href=" ROSES ">r</a> <A HREF='Start'>s</A>)"
                             R"( <a href=roses>r</a> <a href="http://example.org/">web</a> <a href="HTTP://X">web</a>)"
                             R"( <a href="mailto:me@example.org">mail</a> <a href="#top">top</a> <a name="top"></a>)"
                             R"( <a href="file://roses">file</a> <area href="start"> <a href="r&#111;ses">e</a>)"
                             R"( <!-- <a href="nowhere"> --> <img src="images/a.gif"><IMG SRC="A.GIF"> <img src="">)"
                             R"( <script>if (a <b) document.write('<a href="nowhere">');</script>)"
                             // Pictures that the reader doesn't rewrite but the page view loads from the
                             // application folder, and one inside a script, which is no picture.
                             R"( <img src='images/a.gif'> <td background="Images/a.gif">)"
                             R"( <script>var s = '<img src="gone.gif">';</script>)"
                             R"( <link rel="stylesheet" href='css/ok.css'> <script src="css/ok.css"></script>)"
                             R"-( <p style="background: url(images/a.gif)" id="end"> <a href="#end">end</a>)-"
                             // A link that the page's own script acts on.
                             R"-( <a href="javascript:void(0)" onclick="menu()">menu</a>)-"
                             R"( <a href="#">top</a> <a href=" Roses#red">red</a>)"
                             // The page itself again, a file of the application folder, and web links
                             // that a browser mends.
                             R"( <a href="">here</a> <a href="?q=walrus">search</a> <a href="b.gif">pic</a>)"
                             R"( <a href="_sources/index.rst.txt#L2">source</a> <a href="./_sources/index%2Erst.txt">)"
                             R"( <a href="http://example.org/a%_b c">web</a>)"
                             // A file named from the root, which the page view serves from the folder.
                             R"( <link rel="stylesheet" href="/css/ok.css"></body></html>)";

TEST_F(BookCheck, AGoodBookHasNoDefect)
{
    const auto defects = check("Garden Notes<<$$>>start##" + kGoodPage + "~roses##<p id=red>Red.</p>\r\n");
    EXPECT_TRUE(defects.empty()) << messagesOf(defects);
}

struct OneDefect {
    const char *name;
    QByteArray book;
    DefectKind kind;
    qsizetype page;
    int line = 0;
    const char *subject = ""; // nullptr: depends on the folder
    friend void PrintTo(const OneDefect &c, std::ostream *os) { *os << c.name; }
};

class BookCheckKinds : public BookCheck, public testing::WithParamInterface<OneDefect> {};

TEST_P(BookCheckKinds, FindsTheOneDefect)
{
    const OneDefect &c = GetParam();
    const auto defects = check(c.book);
    ASSERT_EQ(defects.size(), 1u) << messagesOf(defects);
    const book::Defect &d = defects[0];
    EXPECT_EQ(book::kindName(d.kind), book::kindName(c.kind)) << d.message.toStdString();
    EXPECT_EQ(d.page, c.page);
    EXPECT_EQ(d.line, c.line);
    if (c.subject) {
        EXPECT_EQ(d.subject, QString::fromUtf8(c.subject));
    }
    EXPECT_FALSE(d.message.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BookCheckKinds,
    testing::Values(
        OneDefect{"TitleLineBreak", "Garden\r\nNotes<<$$>>a##x", DefectKind::TitleLineBreak, -1, 0, "Garden\r\nNotes"},
        OneDefect{"IgnoredText", "T<<$$>>a##x<<$$>>b##y", DefectKind::IgnoredText, -1},
        OneDefect{"EmptyRecordAtTheEnd", "T<<$$>>a##x~", DefectKind::EmptyRecord, 1},
        OneDefect{"EmptyRecordBetween", "T<<$$>>a##x~~b##y", DefectKind::EmptyRecord, 1},
        OneDefect{"NoFieldSeparator", "T<<$$>>a##x~just text", DefectKind::NoPageHtml, 1},
        OneDefect{"BlankFirstPage", "T<<$$>>  ~a##x", DefectKind::NoPageHtml, 0},
        OneDefect{"SecondFieldSeparator", "T<<$$>>a##<p>\ncolour #1##2</p>", DefectKind::SplitPageHtml, 0, 2},
        // A line break too, but the tag tells more.
        OneDefect{"NameLooksLikeHtml", "T<<$$>>a##x~</p>\n<p>y##z", DefectKind::HtmlName, 1},
        // A "~" inside a page: the rest of it becomes a page whose name is HTML.
        OneDefect{"SplitByTilde", "T<<$$>>a##<p>go ~ <b>on</b>##</p>", DefectKind::HtmlName, 1},
        OneDefect{"NameWithLineBreak", "T<<$$>>a##x~\nb##y", DefectKind::NameLineBreak, 1},
        OneDefect{"NameWithTab", "T<<$$>>a##x~b\t##y", DefectKind::NameLineBreak, 1},
        OneDefect{"DeadLink", "T<<$$>>a##<p>\n\n<a href=\"roses\">r</a>", DefectKind::DeadLink, 0, 3, "roses"},
        OneDefect{"LinkToAMissingFile", "T<<$$>>a##<a href=\"_sources/gone.txt\">r</a>", DefectKind::DeadLink, 0, 1,
                  "_sources/gone.txt"},
        // A folder is no file the page view can show.
        OneDefect{"LinkToAFolder", "T<<$$>>a##<a href=\"images/\">r</a>", DefectKind::DeadLink, 0, 1, "images/"},
        OneDefect{"WebLinkWithoutHost", "T<<$$>>a##<a href=\"http:///x\">r</a>", DefectKind::DeadLink, 0, 1,
                  "http:///x"},
        // A scheme of another program: the reader doesn't follow it, which may be meant.
        OneDefect{"FtpLink", "T<<$$>>a##<a href=\"ftp://ftp.example.org/pub/\">r</a>", DefectKind::OtherScheme, 0, 1,
                  "ftp://ftp.example.org/pub/"},
        OneDefect{"TelLink", "T<<$$>>a##\n<a href=\" tel:+3912345\">r</a>", DefectKind::OtherScheme, 0, 2,
                  " tel:+3912345"},
        OneDefect{"MailLinkWithoutAddress", "T<<$$>>a##<a href=\"mailto:\">r</a>", DefectKind::OtherScheme, 0, 1,
                  "mailto:"},
        // Only "http" and "HTTP" are web links; the reader looks "Http:" up among the page names.
        OneDefect{"MixedCaseWebLink", "T<<$$>>a##<a href=\"Http://x\">r</a>", DefectKind::DeadLink, 0, 1, "Http://x"},
        OneDefect{"FileLinkToNoPage", "T<<$$>>a##<a href=\"file://b\">r</a>", DefectKind::DeadLink, 0, 1, "file://b"},
        OneDefect{"MissingPicture", "T<<$$>>a##<img src=\"a.gif\">\n<img src=\"images/c.gif\">",
                  DefectKind::MissingPicture, 0, 2, "images/c.gif"},
        // The reader puts images\ in front of a.gif but not of images/b.gif; b.gif lies outside images/.
        OneDefect{"PictureOutsideImages", "T<<$$>>a##<img src=\"b.gif\">", DefectKind::MissingPicture, 0, 1,
                  "images\\b.gif"},
        // The background's rewrite replaces "a.gif" inside the picture's rewritten source too.
        OneDefect{"PictureSpoiltByALaterRewrite", "T<<$$>>a##<img src=\"images/a.gif\"><body background=\"a.gif\">",
                  DefectKind::MissingPicture, 0, 1, nullptr},
        // A second background= is not rewritten: the page view loads it from the application folder.
        OneDefect{"MissingBackground", "T<<$$>>a##<body background=\"bg.gif\"><td background=\"images/a.gif\">",
                  DefectKind::MissingPicture, 0, 1, "images\\bg.gif"},
        // Without double quotes the reader takes the wrong text for the picture, and spoils the source.
        OneDefect{"UnquotedPicture", "T<<$$>>a##<img src=a.gif alt=\"x\">", DefectKind::MissingPicture, 0, 1, nullptr},
        OneDefect{"SingleQuotedPicture", "T<<$$>>a##<img src='images/c.gif'>", DefectKind::MissingPicture, 0, 1,
                  "images/c.gif"},
        OneDefect{"MissingStyleSheet", "T<<$$>>a##<p>\n<link rel=\"stylesheet\" href=\"css/gone.css\">",
                  DefectKind::MissingFile, 0, 2, "css/gone.css"},
        OneDefect{"MissingScript", "T<<$$>>a##<script src='./js/../js/x.js?v=2'></script>", DefectKind::MissingFile, 0,
                  1, "js/x.js"},
        OneDefect{"MissingStylePicture", "T<<$$>>a##<div style=\"background: url('pics/x.png')\">",
                  DefectKind::MissingFile, 0, 1, "pics/x.png"},
        OneDefect{"MissingStyleElementPicture", "T<<$$>>a##<style>\np { background: url(x.png) }</style>",
                  DefectKind::MissingFile, 0, 2, "x.png"},
        // Named relative to the style sheet, which is looked at once; its @import is there.
        OneDefect{"MissingPictureOfAStyleSheet",
                  "T<<$$>>a##<link rel=stylesheet href=css/broken.css>~b##<link rel=stylesheet href=css/broken.css>",
                  DefectKind::MissingFile, 0, 1, "pics/none.png"},
        // Files the page view refuses to serve, though they can be read.
        OneDefect{"StyleSheetLinkedOutOfTheFolder", "T<<$$>>a##<link rel=stylesheet href=css/out.css>",
                  DefectKind::MissingFile, 0, 1, "css/out.css"},
        OneDefect{"StyleSheetThatIsABookFile", "T<<$$>>a##<link rel=stylesheet href=Other.tavlo>",
                  DefectKind::MissingFile, 0, 1, "Other.tavlo"},
        OneDefect{"LinkToABookFile", "T<<$$>>a##<a href=other.tavlo>", DefectKind::DeadLink, 0, 1, "other.tavlo"},
        OneDefect{"MissingPlaceOfAnotherPage", "T<<$$>>a##<a href=\"b#x\">~b##<p id=\"y\">", DefectKind::MissingPlace,
                  0, 1, "b#x"},
        OneDefect{"MissingPlace", "T<<$$>>a##<p id=\"here\" name=\"there\">\n<a href=\"#there\">",
                  DefectKind::MissingPlace, 0, 2, "#there"},
        OneDefect{"BlankRecord", "T<<$$>>a##x~   ~b##y", DefectKind::BlankRecord, 1},
        OneDefect{"UnnamedPage", "T<<$$>>a##x~  ##y", DefectKind::UnnamedPage, 1},
        OneDefect{"DuplicateName", "T<<$$>>roses##x~ ROSES##y", DefectKind::DuplicateName, 1, 0, "0"}),
    [](const testing::TestParamInfo<OneDefect> &c) { return std::string(c.param.name); });

TEST_F(BookCheck, DefectsComeInPageOrderWithEveryLinkReported)
{
    const auto defects =
        check("T\n<<$$>>a##<a href=x>1</a><a href=y>2</a>~~b##<img src=\"n.gif\"><a href=\"a\">ok</a><<$$>>rest");
    std::vector<std::pair<QString, qsizetype>> seen;
    for (const book::Defect &d : defects)
        seen.emplace_back(book::kindName(d.kind), d.page);
    const std::vector<std::pair<QString, qsizetype>> expected = {
        {u"title-line-break"_s, -1}, {u"ignored-text"_s, -1}, {u"dead-link"_s, 0},
        {u"dead-link"_s, 0},         {u"empty-record"_s, 1},  {u"missing-picture"_s, 2}};
    EXPECT_EQ(seen, expected);

    // Pages are checked side by side, a long one among them, and come in order all the same; a style
    // sheet's own defect comes with the first page that names it.
    QByteArray book = "T<<$$>>";
    for (int i = 0; i < 400; ++i) {
        book += (i ? "~p" : "p") + QByteArray::number(i) + "##<a href=x>";
        if (i == 3)
            book += QByteArray(1 << 20, 'y');
        if (i >= 150)
            book += "<link rel=stylesheet href=css/broken.css>";
    }
    seen.clear();
    for (const book::Defect &d : check(book))
        seen.emplace_back(d.kind == DefectKind::MissingFile ? d.subject : book::kindName(d.kind), d.page);
    std::vector<std::pair<QString, qsizetype>> inOrder;
    for (qsizetype i = 0; i < 400; ++i) {
        inOrder.emplace_back(u"dead-link"_s, i);
        if (i == 150)
            inOrder.emplace_back(u"pics/none.png"_s, i);
    }
    EXPECT_EQ(seen, inOrder);
}

TEST_F(BookCheck, APageWhosePicturesCantBeRewrittenIsCheckedAsTheReaderShowsIt)
{
    // The picture's rewrite puts the folder before each of millions of "y": the page would grow
    // beyond reason, so the reader shows it as written, and its picture is looked for where the page
    // view then reads it: "y" in the application folder.
    const QByteArray html = "<img src=\"y\">" + QByteArray(book::kMaxPageLength / 4, 'y');
    const auto defects = check("T<<$$>>a##ok~b##" + html);
    ASSERT_EQ(defects.size(), 2u) << messagesOf(defects);
    EXPECT_EQ(defects[0].kind, DefectKind::PicturesAsWritten);
    EXPECT_EQ(defects[0].page, 1);
    EXPECT_EQ(defects[1].kind, DefectKind::MissingPicture);
    EXPECT_EQ(defects[1].subject, u"y"_s);
}

TEST(HtmlScanner, NamesAreOneInAnyCaseAsQtFoldsThem)
{
    const struct {
        QStringView a, b;
        bool same;
    } rows[] = {{u"HRef", u"href", true},
                {u"href", u"hre", false},
                {u"alt", u"src", false},
                {u"\u017Frc", u"src", true},
                {u"\u00C9t\u00E9", u"\u00E9T\u00C9", true},
                {u"\u00E9t", u"et", false}};
    for (const auto &row : rows)
        EXPECT_EQ(book::sameName(row.a, row.b), row.same) << row.a.toString().toStdString();
}

TEST(HtmlScanner, PiecesAsABrowserTokenisesThem)
{
    const QString html = QStringLiteral("a < b<p class='x>y' hidden id=q>t<!-- <a href=n> --><SCRIPT>if (a<b) '<p>'"
                                        "</script><?xml x?></p><!DOCTYPE html><style>p{}");
    QStringList pieces;
    book::HtmlScanner scanner(html);
    book::HtmlToken token;
    while (scanner.next(token)) {
        QString piece = QString::number(token.kind) + u':' + html.sliced(token.begin, token.end - token.begin);
        for (const book::HtmlAttribute &attribute : token.attributes)
            piece += u'|' + attribute.name.toString() + u'=' + attribute.value();
        pieces.append(piece);
    }
    using T = book::HtmlToken;
    const auto piece = [](T::Kind kind, const char *text) -> QString {
        return QString::number(kind) + u':' + QString::fromLatin1(text);
    };
    EXPECT_EQ(pieces,
              QStringList(
                  {piece(T::Text, "a < b"), piece(T::StartTag, "<p class='x>y' hidden id=q>|class=x>y|hidden=|id=q"),
                   piece(T::Text, "t"), piece(T::Comment, "<!-- <a href=n> -->"), piece(T::StartTag, "<SCRIPT>"),
                   piece(T::RawText, "if (a<b) '<p>'"), piece(T::EndTag, "</script>"),
                   piece(T::Declaration, "<?xml x?>"), piece(T::EndTag, "</p>"),
                   piece(T::Declaration, "<!DOCTYPE html>"), piece(T::StartTag, "<style>"), piece(T::RawText, "p{}")}));
}

TEST(PageLinks, AttributesAsABrowserReadsThem)
{
    const QString html = QStringLiteral("<a href=\"one\" href=\"ignored\">"   // the first of two counts
                                        "<a title='a > b' href='two'>"        // a ">" inside quotes doesn't end the tag
                                        "<a\nhref = three>"                   // blanks around "=", unquoted value
                                        "<a href=\"&lt;f&#x6F;ur&amp;&gt;\">" // references decoded
                                        "<a href=\"&unknown;\">"              // others left as written
                                        "<a name=x><b href=\"not a link\">"   // no href, or not a link element
                                        "<AREA HREF=\"five\">"
                                        "<a href>");
    QStringList hrefs;
    for (const book::PageLink &link : book::pageLinks(html))
        hrefs.append(link.href);
    EXPECT_EQ(hrefs, QStringList({u"one"_s, u"two"_s, u"three"_s, u"<four&>"_s, u"&unknown;"_s, u"five"_s, QString()}));
}

TEST(PageLinks, NoLinksWhereTheContentIsNoMarkup)
{
    const QString html = QStringLiteral("<title><a href=t></title><script>'<a href=s>'</script>"
                                        "<textarea><a href=x></textarea><!-- <a href=c> --><xmp><a href=m></xmp>"
                                        "<a href=\"&eacute;&#150;&copy=1\">ok</a><a href='cut");
    QStringList hrefs;
    for (const book::PageLink &link : book::pageLinks(html))
        hrefs.append(link.href);
    EXPECT_EQ(hrefs, QStringList({u"\u00e9\u2013&copy=1"_s}));
}

TEST(PageLinks, WhereTheReaderTakesALink)
{
    book::Book book = book::parseBook("T<<$$>>roses##r~ C# ##c~a#b##ab~mailto:me##m", QStringLiteral("t"));
    const book::PageIndex pages(book.pages);
    using K = book::LinkKind;
    const struct {
        const char *href;
        K kind;
        qsizetype page;
        const char *place;
        const char *url;
    } cases[] = {
        {"", K::None, -1, "", ""},
        {"http://x.org/a", K::Web, -1, "", "http://x.org/a"},
        {"HTTPS://x.org", K::Web, -1, "", "https://x.org"},
        // What a browser mends, mended as it does.
        {"http://x.org/a%_b c", K::Web, -1, "", "http://x.org/a%25_b c"},
        // Begins "http" but is no address: nothing may be opened.
        {"httpx://h/x", K::Web, -1, "", ""},
        {"http:file:///etc/passwd", K::Web, -1, "", ""},
        {"http/../../etc/passwd", K::Web, -1, "", ""},
        {"http", K::Web, -1, "", ""},
        // Blanks and control characters around a link are dropped, as a browser drops them.
        {"  http://x\t", K::Web, -1, "", "http://x"},
        {"\nfile://roses ", K::Page, 0, "", ""},
        {"Http://x", K::Other, -1, "", ""},
        {"ROSES", K::Page, 0, "", ""},
        {"file://roses", K::Page, 0, "", ""},
        {"roses#thorns", K::PageWithPlace, 0, "thorns", ""},
        {" Roses #x", K::PageWithPlace, 0, "x", ""},
        // A page whose name holds "#" is found by the whole link first.
        {"c#", K::Page, 1, "", ""},
        {"a#b", K::Page, 2, "", ""},
        {"c##x", K::PageWithPlace, 1, "x", ""},
        {"#top", K::InPage, -1, "top", ""},
        {" #top", K::InPage, -1, "top", ""},
        {"lilies#x", K::Other, -1, "", ""},
        {"MailTo:me@example.org", K::Mail, -1, "", "mailto:me@example.org"},
        // A page of that name comes first; a mail link needs an address.
        {"mailto:me", K::Page, 3, "", ""},
        {"mailto:you", K::Other, -1, "", ""},
    };
    for (const auto &c : cases) {
        const book::LinkTarget target = book::resolveLink(QString::fromLatin1(c.href), pages);
        EXPECT_EQ(int(target.kind), int(c.kind)) << c.href;
        EXPECT_EQ(target.page, c.page) << c.href;
        EXPECT_EQ(target.place, QString::fromLatin1(c.place)) << c.href;
        EXPECT_EQ(target.url.toString(), QString::fromLatin1(c.url)) << c.href;
    }

    // The band and Copy link address offer, as the page view resolved a link, only what a click opens.
    const struct {
        const char *url;
        const char *opens;
    } resolved[] = {
        {"https://x.org/a", "https://x.org/a"},
        {"mailto:me@example.org", "mailto:me@example.org"},
        {"http:foo", ""},
        {"mailto:", ""},
        {"mailto:me", ""},
        {"ftp://x.org/", ""},
        {"tavlo://book/roses", ""},
    };
    for (const auto &r : resolved)
        EXPECT_EQ(book::outsideAddress(QString::fromLatin1(r.url)).toString(), QString::fromLatin1(r.opens)) << r.url;
}

TEST(LinkScheme, OnlyASchemeOfTwoCharactersOrMoreBeforeAColon)
{
    const std::pair<const char *, const char *> cases[] = {
        {"ftp://h/", "ftp"},
        {" News:comp.lang", "news"},
        {"svn+ssh://h", "svn+ssh"},
        {"about:blank", "about"},
        {"C:\\x.txt", ""},
        {"a/b:c", ""},
        {"1a:b", ""},
        {"#x:y", ""},
        {"page", ""},
        {"", ""},
    };
    for (const auto &[href, scheme] : cases)
        EXPECT_EQ(book::linkScheme(QString::fromLatin1(href)), QString::fromLatin1(scheme)) << href;
}

} // namespace
