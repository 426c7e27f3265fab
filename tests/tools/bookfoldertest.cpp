// tavlo-book pack and unpack: a folder of HTML files becomes a book and back, byte for byte.
#include "tavlobook.h"

#include <QRegularExpression>

#include <random>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using namespace Qt::StringLiterals;

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(TavloBook, PackBuildsABookInWindows1252)
{
    // Carriage returns before the line feeds, a byte-order mark, no line feed at the end: all as
    // editors on any system leave them.
    writeFile(QStringLiteral("src/book.txt"), "\xEF\xBB\xBF"
                                              "Caf\xC3\xA9 ~ ## notes\r\n"
                                              " Start \tstart.html\r\n"
                                              "   \r\n"
                                              "\xC3\xA9t\xC3\xA9\t  more.html  \r\n"
                                              "\tstart.html");
    writeFile(QStringLiteral("src/start.html"), "<p>\xE2\x82\xAC \xC3\xA9 \xC4\x81 \xF0\x9F\x98\x80 \xC2\x81</p>\r\n");
    writeFile(QStringLiteral("src/more.html"), "\xEF\xBB\xBF#1");
    const Result r =
        run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("b.tavlo")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // U+0101 and U+1F600 are not in Windows-1252: they become character references; U+0081 is byte 0x81.
    const QByteArray start = "<p>\x80 \xE9 &#257; &#128512; \x81</p>\r\n";
    const QByteArray book = "Caf\xE9 ~ ## notes<<$$>> Start ##" + start + "~   ~\xE9t\xE9###1~##" + start;
    EXPECT_EQ(readFile(QStringLiteral("b.tavlo")), book);
    EXPECT_EQ(r.out, "b.tavlo: 4 pages, " + QByteArray::number(book.size()) + " bytes\n");
}

TEST_F(TavloBook, PackRefusesWhatWouldCutAPageNamingFileAndLine)
{
    writeFile(QStringLiteral("src/book.txt"), "Title <<$$>>\n"
                                              "good\tgood.html\n"
                                              "tilde\ttilde.html\n"
                                              "a~b\tgood.html\n"
                                              "a##b\tgood.html\n"
                                              "a<<$$>>b\tgood.html\n"
                                              "sharp#\tgood.html\n"
                                              "\xC4\x81\tgood.html\n"
                                              "no tab\n"
                                              "\n"
                                              "missing\tnone.html\n"
                                              "latin1\tlatin1.html\n"
                                              "empty file name\t \n");
    writeFile(QStringLiteral("src/good.html"), "<p>fine</p>");
    writeFile(QStringLiteral("src/tilde.html"), "<p>\none ~ two ~~ three</p>\n<p>#1##2 <<$$>>###</p>");
    writeFile(QStringLiteral("src/latin1.html"), "<p>\n\nCaf\xE9</p>");
    const Result r =
        run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("b.tavlo")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    const QString src = QStringLiteral("src");
    const QStringList expected = {
        src + u"/book.txt:1: the title holds \"<<$$>>\", which would end it there",
        src + u"/tilde.html:2:5: the page HTML holds \"~\", which would cut the page there (page \"tilde\", "
              "book.txt line 3); write \"&#126;\" instead",
        src + u"/tilde.html:2:11: the page HTML holds \"~\", which would cut the page there (page \"tilde\", "
              "book.txt line 3); write \"&#126;\" instead",
        src + u"/tilde.html:2:12: the page HTML holds \"~\", which would cut the page there (page \"tilde\", "
              "book.txt line 3); write \"&#126;\" instead",
        src + u"/tilde.html:3:6: the page HTML holds \"##\", which would cut the page there (page \"tilde\", "
              "book.txt line 3); write \"&#35;&#35;\" instead",
        src + u"/tilde.html:3:10: the page HTML holds \"<<$$>>\", which would cut the page there (page \"tilde\", "
              "book.txt line 3); write \"&lt;&lt;$$&gt;&gt;\" instead",
        src + u"/tilde.html:3:16: the page HTML holds \"##\", which would cut the page there (page \"tilde\", "
              "book.txt line 3); write \"&#35;&#35;\" instead",
        src + u"/book.txt:4: the page name \"a~b\" holds \"~\", which the book format uses as a separator",
        src + u"/book.txt:5: the page name \"a##b\" holds \"##\", which the book format uses as a separator",
        src + u"/book.txt:6: the page name \"a<<$$>>b\" holds \"<<$$>>\", which the book format uses as a separator",
        src + u"/book.txt:7: the page name \"sharp#\" ends with \"#\", which would run into the \"##\" after it",
        src + u"/book.txt:9: has no tab between the page name and the HTML file's name",
        src + u"/book.txt:10: is empty; write the page name, a tab and the HTML file's name (a line of spaces is a "
              "blank page)",
        src + u"/book.txt:11: the HTML file \"none.html\" can't be read: it does not exist",
        src + u"/latin1.html:3: is not UTF-8 text (page \"latin1\", book.txt line 12)",
        src + u"/book.txt:13: names no HTML file after the tab",
    };
    QStringList lines = QString::fromUtf8(r.err).split(u'\n', Qt::SkipEmptyParts);
    for (QString &line : lines)
        line.remove(0, QStringLiteral("tavlo-book: ").size());
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("b.tavlo"))));
}

TEST_F(TavloBook, PackWritesUtf8OnlyWhenTheTitleOrANameNeedsItAndUnpackGivesItBack)
{
    // An Arabic title and page name: UTF-8 after its mark, the HTML as written; empty lines at the
    // end of book.txt are no pages. Unpacked and packed again, the same book.
    const QByteArray title = "\xD9\x85\xD8\xB1\xD9\x81\xD8\xA3 \xE2\x86\x92", name = "\xD8\xA8";
    writeFile(QStringLiteral("src/book.txt"), title + "\n" + name + "\ta.html\nend\te.html\n\n\r\n");
    writeFile(QStringLiteral("src/a.html"), "<p>\xC4\x81 &#257; <a href=\"end\">e</a></p>");
    writeFile(QStringLiteral("src/e.html"), "<p>e</p>");
    const QByteArray book =
        "\xEF\xBB\xBF" + title + "<<$$>>" + name + "##<p>\xC4\x81 &#257; <a href=\"end\">e</a></p>~end##<p>e</p>";
    for (const QString &folder : {QStringLiteral("src"), QStringLiteral("back")}) {
        const Result r = run({QStringLiteral("pack"), folder, QStringLiteral("-o"), folder + u".tavlo"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(readFile(folder + u".tavlo"), book);
        run({QStringLiteral("unpack"), folder + u".tavlo", QStringLiteral("-o"), QStringLiteral("back")});
    }
    EXPECT_EQ(run({QStringLiteral("pages"), QStringLiteral("src.tavlo")}).out, "0\t\"" + name + "\"\n1\t\"end\"\n");

    // Names that fit keep the book in Windows-1252, with the references that unpack turns back.
    writeFile(QStringLiteral("src/book.txt"), "Harbour town\nstart\te.html\n");
    writeFile(QStringLiteral("src/e.html"), "<p>\xC4\x81</p>");
    run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("c.tavlo")});
    EXPECT_EQ(readFile(QStringLiteral("c.tavlo")), "Harbour town<<$$>>start##<p>&#257;</p>");
    run({QStringLiteral("unpack"), QStringLiteral("c.tavlo"), QStringLiteral("-o"), QStringLiteral("c")});
    EXPECT_EQ(readFile(QStringLiteral("c/00-start.html")), "<p>\xC4\x81</p>");
}

TEST_F(TavloBook, PackNeverSpoilsAnExistingBook)
{
    writeFile(QStringLiteral("src/book.txt"), "T\na\ta.html\n");
    writeFile(QStringLiteral("src/a.html"), "<p>new</p>");
    const QByteArray old = "Old<<$$>>a##<p>old</p>";
    writeBook("b.tavlo", old);
    const QStringList before = entriesOf(dir.path());
    const QStringList pack = {QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"),
                              QStringLiteral("b.tavlo")};

    Result r = run(pack);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tavlo-book: b.tavlo: exists already; give --force to replace it\n");
    EXPECT_EQ(readFile(QStringLiteral("b.tavlo")), old);

    // Asked to replace it, a pack that fails leaves it whole and leaves nothing beside it.
    writeFile(QStringLiteral("src/a.html"), "<p>new ~ page</p>");
    r = run(pack + QStringList{QStringLiteral("--force")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readFile(QStringLiteral("b.tavlo")), old);
    EXPECT_EQ(entriesOf(dir.path()), before);

    writeFile(QStringLiteral("src/a.html"), "<p>new</p>");
    r = run(pack + QStringList{QStringLiteral("--force")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(QStringLiteral("b.tavlo")), "T<<$$>>a##<p>new</p>");
    EXPECT_EQ(entriesOf(dir.path()), before);

    // A place that can't be written to: refused, naming it.
    r = run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("no/such/b.tavlo")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("tavlo-book: no/such/b.tavlo: can't be written: ")) << r.err.toStdString();
    r = run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("src")});
    EXPECT_EQ(r.err, "tavlo-book: src: is a folder, not a book file\n");
    r = run({QStringLiteral("pack"), QStringLiteral("nothing"), QStringLiteral("-o"), QStringLiteral("c.tavlo")});
    EXPECT_EQ(r.err, "tavlo-book: nothing: there is no such folder\n");
}

TEST_F(TavloBook, PackTakesOnlyRegularFilesInsideItsFolder)
{
    writeFile(QStringLiteral("outside.html"), "<p>not the author's to publish</p>");
    writeFile(QStringLiteral("src/good.html"), "<p>good</p>");
    writeFile(QStringLiteral("src/sub/inner.html"), "<p>inner</p>");
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("src/folder.html"))));
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("outside.html")), dir.filePath(QStringLiteral("src/out.html"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../outside.html"), dir.filePath(QStringLiteral("src/sub/up.html"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("src/null.html"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("src/pipe.html"))).constData(), 0600), 0);

    const QString outside = u"lies outside the folder of book.txt (through \"..\" or a symbolic link); a book takes "
                            "only the files inside it"_s;
    const QString absolute = u"is named by an absolute path; name it from the folder of book.txt"_s;
    std::vector<std::pair<QString, QString>> refused = {
        {u"../outside.html"_s, outside},
        {u"sub/../../outside.html"_s, outside},
        {u"out.html"_s, outside},
        {u"sub/up.html"_s, outside},
        {u"null.html"_s, outside},
        {u"/etc/hostname"_s, absolute},
        {dir.filePath(u"src/good.html"_s), absolute},
        {u"pipe.html"_s, u"is a named pipe, not a regular file"_s},
        {u"folder.html"_s, u"is a folder, not a regular file"_s},
        {u"sub"_s, u"is a folder, not a regular file"_s},
    };
    // A device in the folder itself can be made only by the superuser.
    if (::mknod(QFile::encodeName(dir.filePath(QStringLiteral("src/zero.html"))).constData(), S_IFCHR | 0600,
                makedev(1, 5)) == 0)
        refused.emplace_back(u"zero.html"_s, u"is a character device, not a regular file"_s);

    for (const auto &[name, why] : refused) {
        QFile::remove(dir.filePath(QStringLiteral("b.tavlo")));
        writeFile(QStringLiteral("src/book.txt"), "T\ngood\tgood.html\nbad\t" + name.toUtf8() + "\n");
        const Result r =
            run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("b.tavlo")});
        EXPECT_EQ(r.exitCode, 1) << name.toStdString();
        EXPECT_EQ(QString::fromUtf8(r.err), u"tavlo-book: src/book.txt:3: the HTML file \"%1\" %2\n"_s.arg(name, why));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("b.tavlo")))) << name.toStdString();
    }
}

TEST_F(TavloBook, PackFollowsWhatStaysInsideItsFolder)
{
    writeFile(QStringLiteral("src/pages/p.html"), "<p>p</p>");
    ASSERT_TRUE(QFile::link(QStringLiteral("pages/p.html"), dir.filePath(QStringLiteral("src/link.html"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("pages"), dir.filePath(QStringLiteral("src/alias"))));
    // Out through the parent folder by name, and back in.
    ASSERT_TRUE(
        QFile::link(QStringLiteral("../../src/pages/p.html"), dir.filePath(QStringLiteral("src/pages/back.html"))));
    writeFile(QStringLiteral("src/book.txt"), "T\n"
                                              "a\tlink.html\n"
                                              "b\talias/p.html\n"
                                              "c\tpages/back.html\n"
                                              "d\tpages/../pages/p.html\n");
    const Result r =
        run({QStringLiteral("pack"), QStringLiteral("src"), QStringLiteral("-o"), QStringLiteral("b.tavlo")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(QStringLiteral("b.tavlo")), "T<<$$>>a##<p>p</p>~b##<p>p</p>~c##<p>p</p>~d##<p>p</p>");
}

TEST_F(TavloBook, UnpackThenPackGivesTheSampleBookBack)
{
    const QString sample = QStringLiteral(TAVLO_SAMPLE_BOOK);
    Result r = run({QStringLiteral("unpack"), sample, QStringLiteral("-o"), QStringLiteral("out")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "out/book.txt: 10 pages, 9 HTML files\n");
    EXPECT_EQ(readFile(QStringLiteral("out/book.txt")), "Pellomare: a small guide to a coastal town\n"
                                                        "Welcome\t00-welcome.html\n"
                                                        "harbour\t01-harbour.html\n"
                                                        " Lighthouse \t02-lighthouse.html\n"
                                                        "Old Town\t03-old-town.html\n"
                                                        "   \n"
                                                        "market\t05-market.html\n"
                                                        "walks\t06-walks.html\n"
                                                        "Festival\t07-festival.html\n"
                                                        "Getting Here \t08-getting-here.html\n"
                                                        "About This Book\t09-about-this-book.html\n");
    r = run({QStringLiteral("pack"), QStringLiteral("out"), QStringLiteral("-o"), QStringLiteral("back.tavlo")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile original(sample);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_TRUE(readFile(QStringLiteral("back.tavlo")) == original.readAll());

    // The folder is not written over unless asked.
    r = run({QStringLiteral("unpack"), sample, QStringLiteral("-o"), QStringLiteral("out")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tavlo-book: out: is not empty; give --force to write into it\n");
    EXPECT_EQ(
        run({QStringLiteral("unpack"), sample, QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("--force")})
            .exitCode,
        0);
}

TEST_F(TavloBook, UnpackRefusesWhatBookTxtCantHold)
{
    writeBook("b.tavlo", "T\n<<$$>>a##x##y~~\nb##z~no page html~c\t##w<<$$>>rest");
    const Result r =
        run({QStringLiteral("unpack"), QStringLiteral("b.tavlo"), QStringLiteral("-o"), QStringLiteral("out")});
    EXPECT_EQ(r.exitCode, 1);
    const QString hint = QStringLiteral("; mend the book first (tavlo-book check lists its defects)");
    const QStringList expected = {
        u"b.tavlo: the title holds a line break"_s + hint,
        u"b.tavlo: a second \"<<$$>>\" is followed by text that the reader never shows"_s + hint,
        u"b.tavlo: page 0 \"a\": holds \"##\" inside its page HTML"_s + hint,
        u"b.tavlo: page 1 \"\": is an empty record"_s + hint,
        u"b.tavlo: page 2 \"\\nb\": the page name holds a line break or a tab"_s + hint,
        u"b.tavlo: page 3 \"no page html\": has no \"##\" between page name and page HTML"_s + hint,
        u"b.tavlo: page 4 \"c\\t\": the page name holds a line break or a tab"_s + hint,
    };
    QStringList lines = QString::fromUtf8(r.err).split(u'\n', Qt::SkipEmptyParts);
    for (QString &line : lines)
        line.remove(0, QStringLiteral("tavlo-book: ").size());
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
}

// Books without errors, of every character that Windows-1252 has and of the characters that the
// format gives a meaning to, where they may stand: in titles, names and page HTML, next to the
// separators, with blank pages, empty pages and line breaks where authors leave them.
QByteArray randomBook(std::mt19937 &random)
{
    const auto pick = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(random)); };
    const QByteArray special = "~#<$> \t\r\n";
    const auto text = [&](int maxLength, const QByteArray &excluded) {
        QByteArray out;
        for (int n = pick(maxLength + 1); n > 0; --n) {
            char c = pick(3) == 0 ? special[pick(int(special.size()))] : char(pick(2) ? 'a' + pick(26) : 1 + pick(255));
            if (!excluded.contains(c))
                out += c;
        }
        return out;
    };
    // What would make a book with errors, or one that is not this book when cut.
    static const QRegularExpression tag(QStringLiteral("<[A-Za-z/!]"));
    const auto fits = [](const QByteArray &piece) {
        return !piece.contains("##") && !piece.contains("<<$$>>") && !piece.contains('~') &&
               !tag.match(QString::fromLatin1(piece)).hasMatch();
    };

    QByteArray title;
    do
        title = text(12, "\r\n");
    while (title.contains("<<$$>>"));
    QByteArray book = title + "<<$$>>";
    const int pages = 1 + pick(7);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            book += '~';
        if (i > 0 && pick(6) == 0) {
            book += QByteArray(1 + pick(3), ' ');
            continue;
        }
        QByteArray name;
        do
            name = text(10, "\t\r\n");
        while (!fits(name) || name.endsWith('#'));
        // Numeric references, of characters that Windows-1252 lacks or not, in the forms pack writes and
        // in others.
        static const QByteArray references[] = {"&#257;",     "&#128512;", "&#233;", "&#0257;", "&#x101;", "&#55296;",
                                                "&#1114112;", "&#128;",    "&#129;", "&#",      "&#65279;"};
        QByteArray html;
        do {
            html = text(60, "");
            for (int r = pick(3); r > 0; --r)
                html.insert(pick(int(html.size()) + 1), references[pick(std::size(references))]);
        } while (!fits(html));
        book += name + "##" + html;
    }
    return book;
}

TEST_F(TavloBook, UnpackThenPackGivesGeneratedBooksBack)
{
    std::mt19937 random(20240607);
    for (int n = 0; n < 40; ++n) {
        // The first with a page that begins with U+FEFF, which would read as its file's byte-order mark.
        const QByteArray book = n == 0 ? QByteArray("T<<$$>>p##&#65279;x~q##a&#65279;") : randomBook(random);
        const QString name = QStringLiteral("g%1.tavlo").arg(n);
        const QString folder = QStringLiteral("g%1").arg(n);
        writeFile(name, book);
        const Result check = run({QStringLiteral("check"), name});
        ASSERT_EQ(check.exitCode, 0) << "book " << n << ":\n" << check.out.toStdString();

        const Result unpacked = run({QStringLiteral("unpack"), name, QStringLiteral("-o"), folder});
        ASSERT_EQ(unpacked.exitCode, 0) << "book " << n << ": " << unpacked.err.toStdString();
        const Result packed = run({QStringLiteral("pack"), folder, QStringLiteral("-o"), name + u".back"});
        ASSERT_EQ(packed.exitCode, 0) << "book " << n << ": " << packed.err.toStdString();
        ASSERT_TRUE(readFile(name + u".back") == book) << "book " << n;
    }
}

} // namespace
