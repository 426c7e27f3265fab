// tavlo-book check as authors run it: the report, its JSON form and the exit status.
#include "tavlobook.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

TEST_F(TavloBook, CheckFindsNoErrorInTheSampleBook)
{
    const QString sample = QStringLiteral(TAVLO_SAMPLE_BOOK);
    const Result r = run({QStringLiteral("check"), sample});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(r.out, sample.toUtf8() + ": 0 errors, 1 warning: 1 blank-record (--all lists each)\n");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(TavloBook, CheckReportsErrorsFirstAndSumsWarningsByKind)
{
    writeFile(QStringLiteral("images/here.gif"), "GIF89a");
    const QString book =
        writeBook("book.tavlo", "T<<$$>>start##<img src=\"here.gif\"><a href=\"Roses\">r</a>\n"
                                "<a href=\"lilies\">l</a>~roses##x~ ROSES ##x~last##<img src=\"gone.gif\">");
    const QByteArray errors = "book.tavlo: page 0 \"start\": error: the link \"lilies\" at line 2 names no page\n"
                              "book.tavlo: page 3 \"last\": error: the picture \"images\\gone.gif\" at line 1 does "
                              "not exist: the reader looks for " +
                              dir.filePath(QStringLiteral("images/gone.gif")).toUtf8() + "\n";
    const Result r = run({QStringLiteral("check"), QStringLiteral("book.tavlo")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, errors + "book.tavlo: 2 errors, 1 warning: 1 duplicate-name (--all lists each)\n");
    // --all lists each warning after the errors, though its page comes before.
    const Result all = run({QStringLiteral("check"), QStringLiteral("book.tavlo"), QStringLiteral("--all")});
    EXPECT_EQ(all.out, errors +
                           "book.tavlo: page 2 \" ROSES \": warning: page 1 has the same name (letter case and outer "
                           "spaces aside): links reach page 1 only\n"
                           "book.tavlo: 2 errors, 1 warning\n");

    // Pictures are looked for in the folder given, as the reader would from there.
    const Result elsewhere =
        run({QStringLiteral("check"), book, QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("none"))});
    EXPECT_TRUE(elsewhere.out.endsWith("3 errors, 1 warning: 1 duplicate-name (--all lists each)\n"))
        << elsewhere.out.toStdString();

    // Warnings alone don't fail; their kinds come the most common first, counts grouped by thousands.
    writeBook("warned.tavlo", "T<<$$>>a##x~A##y" + QByteArray(1000, '~').replace("~", "~ "));
    const Result warned = run({QStringLiteral("check"), QStringLiteral("warned.tavlo")});
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_EQ(warned.out, "warned.tavlo: 0 errors, 1,001 warnings: 1,000 blank-record, 1 duplicate-name "
                          "(--all lists each)\n");
}

TEST_F(TavloBook, CheckLooksForFilesWhereThePageViewLoadsThem)
{
    // A single-quoted picture, which the reader doesn't rewrite and the page view loads from the
    // application folder; a picture inside a script string, which is no picture; a style sheet whose
    // picture is missing; a missing script; a place that no element has.
    writeFile(QStringLiteral("app/images/x.gif"), "GIF89a");
    writeFile(QStringLiteral("app/css/site.css"), "/* url(old.png) */ body { background: url(../pics/gone.png) }");
    writeBook("app/book.tavlo", "T<<$$>>start##<img src='images/x.gif'>\n"
                                "<link rel=stylesheet href=css/site.css>\n"
                                "<script>var s = \"<img src='nothere.gif'>\";</script>\n"
                                "<script src=\"js/gone.js\"></script> <a href=\"#nowhere\">n</a>");
    const Result r = run({QStringLiteral("check"), QStringLiteral("app/book.tavlo"), QStringLiteral("--json")});
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(report[u"errors"].toInt(), 2);
    EXPECT_EQ(report[u"warnings"].toInt(), 1);
    EXPECT_EQ(report[u"warningsByKind"].toObject(), QJsonObject({{QStringLiteral("missing-place"), 1}}));
    QStringList found;
    for (const QJsonValue &defect : report[u"defects"].toArray())
        found.append(defect[u"kind"].toString() + u' ' + defect[u"subject"].toString() + u" line " +
                     QString::number(defect[u"line"].toInt()));
    EXPECT_EQ(found, QStringList({QStringLiteral("missing-place #nowhere line 4"),
                                  QStringLiteral("missing-file pics/gone.png line 2"),
                                  QStringLiteral("missing-file js/gone.js line 4")}));
}

TEST_F(TavloBook, CheckJsonIsOneDocumentOfTheSameReport)
{
    writeBook("book.tavlo", "T\r\n<<$$>>a##<a href=\"b\nc\">x</a>~a##y");
    const Result r = run({QStringLiteral("check"), QStringLiteral("--json"), QStringLiteral("book.tavlo")});
    EXPECT_EQ(r.exitCode, 1);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(r.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonObject report = json.object();
    EXPECT_EQ(report[u"book"].toString(), u"book.tavlo");
    EXPECT_EQ(report[u"applicationFolder"].toString(), dir.path());
    EXPECT_EQ(report[u"errors"].toInt(), 2);
    EXPECT_EQ(report[u"warnings"].toInt(), 1);
    const QJsonArray defects = report[u"defects"].toArray();
    ASSERT_EQ(defects.size(), 3);

    const QJsonObject title = defects[0].toObject();
    EXPECT_EQ(title[u"severity"].toString(), u"error");
    EXPECT_EQ(title[u"kind"].toString(), u"title-line-break");
    EXPECT_TRUE(title[u"page"].isNull());
    EXPECT_TRUE(title[u"pageName"].isNull());

    const QJsonObject link = defects[1].toObject();
    EXPECT_EQ(link[u"kind"].toString(), u"dead-link");
    EXPECT_EQ(link[u"page"].toInt(), 0);
    EXPECT_EQ(link[u"pageName"].toString(), u"a");
    EXPECT_EQ(link[u"line"].toInt(), 1);
    EXPECT_EQ(link[u"subject"].toString(), u"b\nc");

    const QJsonObject duplicate = defects[2].toObject();
    EXPECT_EQ(duplicate[u"severity"].toString(), u"warning");
    EXPECT_EQ(duplicate[u"kind"].toString(), u"duplicate-name");
    EXPECT_EQ(duplicate[u"subject"].toString(), u"0");
    EXPECT_TRUE(duplicate[u"line"].isNull());

    // The text report keeps to one line per defect, whatever the link holds.
    const Result text = run({QStringLiteral("check"), QStringLiteral("book.tavlo"), QStringLiteral("--all")});
    EXPECT_EQ(text.out.count('\n'), 4) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("the link \"b\\nc\" at line 1 names no page")) << text.out.toStdString();
}

TEST_F(TavloBook, CheckReportsABookThatCantBeReadAsAnError)
{
    const QString untitled = writeBook("untitled.tavlo", "Garden Notes");
    const Result r = run({QStringLiteral("check"), untitled});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, untitled.toUtf8() + ": error: error 9: the book file \"" + untitled.toUtf8() +
                         "\" has no page section: no \"<<$$>>\" after the title\n" + untitled.toUtf8() +
                         ": 1 error, 0 warnings\n");

    const Result json = run({QStringLiteral("check"), QStringLiteral("none.tavlo"), QStringLiteral("--json")});
    EXPECT_EQ(json.exitCode, 1);
    const QJsonObject report = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(report[u"errors"].toInt(), 1);
    EXPECT_EQ(report[u"defects"].toArray()[0].toObject()[u"kind"].toString(), u"unreadable");
}

} // namespace
