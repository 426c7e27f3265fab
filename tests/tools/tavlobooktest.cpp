#include "tavlobook.h"

#include <QCoreApplication>

namespace {

TEST_F(TavloBook, HelpGoesToStandardOutput)
{
    const Result r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: tavlo-book")) << r.out.toStdString();
    for (const char *synopsis : {"show BOOK N [--app-dir DIR]", "check BOOK [--app-dir DIR] [--all] [--json]",
                                 "pack DIR -o BOOK [--force]", "unpack BOOK -o DIR [--force]"})
        EXPECT_TRUE(r.out.contains(synopsis)) << synopsis;
    EXPECT_TRUE(r.out.contains("What check calls an error")) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty());

    const Result version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("tavlo-book ")) << version.out.toStdString();
}

TEST_F(TavloBook, BadArgumentsExitWithTwoAndPrintNothing)
{
    const QString book = writeBook("book.tavlo", "T<<$$>>a##b~c##d");
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("frobnicate"), book},
        {QStringLiteral("info"), book, book},
        {QStringLiteral("info"), book, QStringLiteral("--app-dir"), QStringLiteral("x")},
        {QStringLiteral("show"), book},
        {QStringLiteral("show"), book, QStringLiteral("-1")},
        {QStringLiteral("show"), book, QStringLiteral("2")},
        {QStringLiteral("show"), book, QStringLiteral("0"), QStringLiteral("--app-dir")},
        {QStringLiteral("check"), book, QStringLiteral("--json=yes")},
        {QStringLiteral("check"), book, QStringLiteral("--force")},
        {QStringLiteral("pack"), dir.path()},
        {QStringLiteral("pack"), dir.path(), QStringLiteral("-o")},
        {QStringLiteral("unpack"), book},
        {QStringLiteral("unpack"), book, QStringLiteral("-o"), QStringLiteral("x"), QStringLiteral("-f")},
    };
    for (const QStringList &args : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("tavlo-book: ")) << r.err.toStdString();
    }
}

TEST_F(TavloBook, BadBooksExitWithOneNamingFileAndDefect)
{
    const QString missing = dir.filePath(QStringLiteral("none.tavlo"));
    const QString untitled = writeBook("untitled.tavlo", "Garden Notes");
    const QString empty = writeBook("empty.tavlo", "");
    const struct {
        QStringList args;
        QByteArray message;
    } cases[] = {
        {{QStringLiteral("show"), missing, QStringLiteral("0")},
         "error 53: the book file \"" + missing.toUtf8() + "\" does not exist"},
        {{QStringLiteral("info"), untitled},
         "error 9: the book file \"" + untitled.toUtf8() + "\" has no page section"},
        {{QStringLiteral("pages"), empty}, "error 62: the book file \"" + empty.toUtf8() + "\" is empty"},
    };
    for (const auto &c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(QByteArray("tavlo-book: " + c.message))) << r.err.toStdString();
    }
}

TEST_F(TavloBook, ShowGivesAPageWhosePicturesCantBeRewrittenAsTheReaderShowsIt)
{
    const QByteArray html = "<img src=\"e\">" + QByteArray(800'000, 'e');
    const Result r = run({QStringLiteral("show"), writeBook("big.tavlo", "T<<$$>>a##" + html), QStringLiteral("0")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, html);
    EXPECT_TRUE(r.err.startsWith("tavlo-book: show: the reader shows page 0 with its pictures as written"))
        << r.err.left(200).toStdString();
}

TEST_F(TavloBook, InfoAndPages)
{
    const QString book = writeBook("odd.tavlo", "Caf\xe9<<$$>>start##a~\r\nnext##b~   ~no html~~Se\xf1or \"x\"##c");
    EXPECT_EQ(run({QStringLiteral("info"), book}).out, "title: \"Caf\xc3\xa9\"\npages: 6\n");

    const Result r = run({QStringLiteral("pages"), book});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "0\t\"start\"\n"
                     "1\t\"\\r\\nnext\"\n"
                     "2\t\"   \"\tblank\n"
                     "3\t\"no html\"\tno page HTML\n"
                     "4\t\"\"\tblank\n"
                     "5\t\"Se\xc3\xb1or \\\"x\\\"\"\n");
}

TEST_F(TavloBook, ShowRewritesPicturesAsTheReaderDoes)
{
    const QString book =
        writeBook("example.tavlo", "Example<<$$>>example##"
                                   R"(<IMG SRC="images/map.gif">Logo<img src="logo.gif" alt="logo.gif">)"
                                   R"(<img src="logo.gif"><table background="bg.jpg">)");
    const Result r = run(
        {QStringLiteral("show"), book, QStringLiteral("0"), QStringLiteral("--app-dir"), QStringLiteral("C:\\Reader")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, R"(<IMG SRC="C:\Reader\images/map.gif">Logo<img src="C:\Reader\images\logo.gif" )"
                     R"(alt="C:\Reader\images\logo.gif"><img src="C:\Reader\images\logo.gif">)"
                     R"(<table background="C:\Reader\images\bg.jpg">)");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(TavloBook, ShowWritesThePageAsUtf8ByteForByte)
{
    writeBook("book.tavlo", "T<<$$>>a##x~b##\x80 <img src=\"a.gif\">\r\n~c");
    // A book named relative to the working folder: its folder, absolute, is the application folder.
    const Result r = run({QStringLiteral("show"), QStringLiteral("book.tavlo"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\xe2\x82\xac <img src=\"" + dir.path().toUtf8() + "\\images\\a.gif\">\r\n");

    const Result equals = run(
        {QStringLiteral("show"), QStringLiteral("--app-dir=/r"), QStringLiteral("book.tavlo"), QStringLiteral("1")});
    EXPECT_EQ(equals.out, "\xe2\x82\xac <img src=\"/r\\images\\a.gif\">\r\n");
    EXPECT_EQ(run({QStringLiteral("show"), QStringLiteral("book.tavlo"), QStringLiteral("2")}).out, QByteArray());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
