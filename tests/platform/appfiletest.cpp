// Which file of the application folder a page's URL path names, and the character set of a text
// file that isn't the program's own.
#include "../qstringprinter.h"

#include "platform/appfile.h"
#include "platform/codepage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ApplicationFile, ServesRegularFilesOfTheFolderOnlyAndNeverTheBook)
{
    QTemporaryDir root;
    const QString app = root.filePath(QStringLiteral("app"));
    for (const char *name : {"images/Rose.gif", "css/style.css", "tessavanetavlo.tavlo", "../secret.txt"}) {
        const QString path = app + u'/' + QString::fromLatin1(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("secret.txt")), app + QStringLiteral("/out.css")));
    ASSERT_TRUE(QFile::link(app + QStringLiteral("/tessavanetavlo.tavlo"), app + QStringLiteral("/book.css")));
    const QString rose = QFileInfo(app + QStringLiteral("/images/Rose.gif")).canonicalFilePath();

    using R = platform::ApplicationFile::Refusal;
    const struct {
        QString urlPath;
        R refusal;
    } cases[] = {
        {QStringLiteral("/images/Rose.gif"), R::None},         // a relative URL, from the folder's root
        {QStringLiteral("images/rose.GIF"), R::None},          // letter case aside
        {app + QStringLiteral("\\images\\Rose.gif"), R::None}, // the program's own picture path
        {QStringLiteral("/../secret.txt"), R::Outside},
        {app + QStringLiteral("/../secret.txt"), R::Outside},
        {QStringLiteral("/out.css"), R::Outside}, // a link that leads out
        {QStringLiteral("/tessavanetavlo.tavlo"), R::BookFile},
        {QStringLiteral("/TESSAVANETAVLO.TAVLO"), R::BookFile},
        {QStringLiteral("/book.css"), R::BookFile},
        {QStringLiteral("/css"), R::NotAFile},
        {QStringLiteral("/css/missing.css"), R::NotFound},
    };
    for (const auto &c : cases) {
        const platform::ApplicationFile file = platform::applicationFile(app, c.urlPath);
        EXPECT_EQ(int(file.refusal), int(c.refusal)) << c.urlPath.toStdString();
        EXPECT_EQ(file.path.isEmpty(), c.refusal != R::None) << c.urlPath.toStdString();
    }
    EXPECT_EQ(platform::applicationFile(app, QStringLiteral("/images/Rose.gif")).path, rose);
}

TEST(CodePage, TheCharsetOfATextFileIsItsMarkElseItsDeclarationElseUtf8WhereItIsValidElseTheCodePage)
{
    // What a file declares wins over what its bytes look like, as in a browser.
    EXPECT_EQ(platform::charsetOf("<html><head><META Charset=\"ISO-8859-2\"></head>caf\xe9"), "iso-8859-2");
    EXPECT_EQ(platform::charsetOf("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                                  "caf\xc3\xa9"),
              "windows-1252");
    EXPECT_EQ(platform::charsetOf("<?xml version=\"1.0\" encoding=\"koi8-r\"?><p>\xc1</p>"), "koi8-r");
    EXPECT_EQ(platform::charsetOf("@charset \"iso-8859-15\";\nbody { content: '\xa4' }"), "iso-8859-15");
    // @charset counts only as a style sheet's first bytes.
    EXPECT_EQ(platform::charsetOf("body {}\n@charset \"iso-8859-15\";"), "utf-8");

    EXPECT_EQ(platform::charsetOf("\xEF\xBB\xBF"
                                  "body {}"),
              "utf-8");
    EXPECT_EQ(platform::charsetOf("\xFF\xFE"
                                  "b\0o\0"),
              "utf-16le");
    EXPECT_EQ(platform::charsetOf("\xFE\xFF"
                                  "\0b\0o"),
              "utf-16be");
    EXPECT_EQ(platform::charsetOf("content: 'caf\xc3\xa9'"), "utf-8");
    EXPECT_EQ(platform::charsetOf("content: 'caf\xe9'"), "windows-1252");
    EXPECT_EQ(platform::charsetOf(""), "utf-8");
}

} // namespace
