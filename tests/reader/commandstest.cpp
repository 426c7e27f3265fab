// The reader's commands over a fake page view: navigation, links, printing, find and exit.
#include "readerfixture.h"

#include <QGuiApplication>
#include <QProgressDialog>
#include <QSemaphore>
#include <QTest>
#include <QWindow>

#include <utility>

namespace {

using namespace Qt::StringLiterals;

QByteArray page(const QByteArray &name)
{
    return name + "##<p>" + name.trimmed() + "</p>";
}

QString shown(const QByteArray &name)
{
    return QStringLiteral("<p>") + QString::fromLatin1(name.trimmed()) + QStringLiteral("</p>");
}

using NavigationTest = ReaderFixture;

TEST_F(NavigationTest, OnePageBookTellsBothEndsAndStaysOnItsPage)
{
    writeBook("Book<<$$>>" + page("only"));
    load();

    press(form().nxt);
    press(form().previous);
    EXPECT_EQ(messages, (QStringList{QStringLiteral("this is the last page of the book"),
                                     QStringLiteral("this is the first page")}));
    EXPECT_EQ(pageView->documents, QStringList{shown("only")}) << "a page was put besides the one of the start";
    press(form().home);
    EXPECT_EQ(pageView->documents, (QStringList{shown("only"), shown("only")}));
    EXPECT_EQ(form().currentPage(), 0);
}

TEST_F(NavigationTest, NextAndPreviousWalkTheBookAndStopAtItsEnds)
{
    writeBook("Book<<$$>>" + page("a") + '~' + page("b") + '~' + page("c"));
    load();

    press(form().nxt);
    EXPECT_EQ(pageView->document, shown("b"));
    press(form().nxt);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_EQ(pageView->document, shown("c"));
    press(form().nxt);
    EXPECT_EQ(messages.last(), QStringLiteral("this is the last page of the book"));
    EXPECT_EQ(form().currentPage(), 2);

    press(form().previous);
    press(form().previous);
    EXPECT_EQ(pageView->document, shown("a"));
    press(form().previous);
    EXPECT_EQ(messages.last(), QStringLiteral("this is the first page"));
    EXPECT_EQ(form().currentPage(), 0);

    press(form().nxt);
    press(form().nxt);
    press(form().home);
    EXPECT_EQ(form().currentPage(), 0);
    EXPECT_EQ(pageView->document, shown("a"));
}

TEST_F(NavigationTest, BlankRecordsBecomeCurrentWithoutBeingShown)
{
    // A blank record in the middle and an empty last record.
    writeBook("Book<<$$>>" + page("a") + "~   ~" + page("c") + '~');
    load();

    press(form().nxt);
    EXPECT_EQ(form().currentPage(), 1);
    EXPECT_EQ(pageView->document, shown("a"));
    press(form().nxt);
    EXPECT_EQ(pageView->document, shown("c"));
    press(form().nxt);
    EXPECT_EQ(form().currentPage(), 3);
    EXPECT_EQ(pageView->document, shown("c"));
    EXPECT_TRUE(messages.isEmpty());
    press(form().nxt);
    EXPECT_EQ(messages, QStringList{QStringLiteral("this is the last page of the book")});
    press(form().previous);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_EQ(pageView->documents, (QStringList{shown("a"), shown("c"), shown("c")}));
}

TEST_F(NavigationTest, OnlySpacesMakeARecordBlank)
{
    writeBook("Book<<$$>>" + page("a") + "~\n~\t~" + page("d"));
    load();
    press(form().nxt);
    // A line break is not blank: the record is shown, and it has no page HTML.
    EXPECT_EQ(pageView->documents, (QStringList{shown("a"), QString()}));
    press(form().nxt);
    EXPECT_EQ(pageView->documents, (QStringList{shown("a"), QString(), QString()}));
}

TEST_F(NavigationTest, ReadsPastTheFirst32768Pages)
{
    QByteArray text = "Big<<$$>>";
    const int count = 32770;
    for (int i = 0; i < count; ++i)
        text += (i ? "~" : "") + page("p" + QByteArray::number(i));
    writeBook(text);
    load();
    pageView->click(QStringLiteral("p32766"));
    EXPECT_EQ(form().currentPage(), 32766);
    for (int i = 0; i < 3; ++i)
        press(form().nxt);
    EXPECT_EQ(form().currentPage(), 32769);
    EXPECT_EQ(pageView->document, shown("p32769"));
    pageView->click(QStringLiteral("p32768"));
    EXPECT_EQ(form().currentPage(), 32768);
}

class LinkFixture : public ReaderFixture {
protected:
    void SetUp() override
    {
        writeBook("Book<<$$>>" + page("start") + "~" + page(" ROSES ") + "~" + page("roses") + "~" + page("file:///x") +
                  "~~" + page("after"));
        load();
        press(form().nxt); // away from page 0, so a shown page is a visible change
        pageView->calls.clear();
        pageView->browseMode.reset();
    }
};

TEST_F(LinkFixture, APageNameInAnyCaseWithSpacesShowsTheFirstPageOfThatName)
{
    for (const char *link : {"roses", "Roses", "  roses ", "ROSES"}) {
        press(form().home);
        pageView->calls.clear();
        pageView->click(QString::fromLatin1(link));
        EXPECT_EQ(form().currentPage(), 1) << link;
        EXPECT_EQ(pageView->document, shown("ROSES")) << link;
        // Setting 26 off while the page is prepared, and on again before the view is given it.
        EXPECT_EQ(pageView->calls,
                  (QStringList{QStringLiteral("browse:false"), QStringLiteral("browse:true"), QStringLiteral("put")}))
            << link;
    }
}

TEST_F(LinkFixture, WebAndMailAddressesGoToTheUsersProgramsAndNothingElseDoes)
{
    // Links that begin with "http" stay where they are and leave setting 26 alone; only a real web
    // address is handed on.
    for (const char *link : {"http://example.org/", " HTTP://EXAMPLE.ORG/x ", "httpx://h/x", "httpfoo:bar",
                             "http:file:///etc/passwd", "http/../../etc/passwd", "http", "https://"}) {
        pageView->click(QString::fromLatin1(link));
        EXPECT_FALSE(pageView->browseMode.has_value()) << link;
        EXPECT_EQ(form().currentPage(), 1);
    }
    EXPECT_EQ(pageView->documents.size(), 2);
    pageView->click(QStringLiteral("mailto:harbour@pellomare.example"));
    EXPECT_EQ(pageView->browseMode, true);
    EXPECT_EQ(pageView->documents.size(), 2);
    EXPECT_EQ(openedLinks,
              (QList<QUrl>{QUrl(QStringLiteral("http://example.org/")), QUrl(QStringLiteral("http://example.org/x")),
                           QUrl(QStringLiteral("mailto:harbour@pellomare.example"))}));
    EXPECT_TRUE(messages.isEmpty());

    // No program takes it: the reader hears of it, by the link's name.
    linksTaken = false;
    pageView->click(QStringLiteral("https://example.org/nobody"));
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("No program on this computer opens the link https://example.org/nobody")});
}

TEST_F(LinkFixture, FilesThatAreNoPageAreShownOrOnTheReadersClickHandedToTheirProgram)
{
    QTemporaryDir outside;
    for (const QString &name : {u"docs/manual.pdf"_s, u"notes.txt.gz"_s, u"notes.txt"_s, u"tool.jar"_s})
        ASSERT_TRUE(QDir(app.path()).mkpath(QFileInfo(name).path()) &&
                    QFile(app.filePath(name)).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile(outside.filePath(u"secret.pdf"_s)).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(outside.filePath(u"secret.pdf"_s), app.filePath(u"out.pdf"_s)));
    const auto outcome = [&](const QString &link) -> QString {
        openedFiles.clear();
        messages.clear();
        pageView->calls.clear();
        pageView->click(link);
        return (openedFiles.replaceInStrings(QFileInfo(app.path()).canonicalFilePath(), u"handed "_s) +
                pageView->calls.filter(u"file:"_s) + messages)
            .join(u"; "_s);
    };
    // Never a file out of the folder, nor the book file.
    for (const auto &[link, result] : std::initializer_list<std::pair<QString, QString>>{
             {u"docs/manual.pdf"_s, u"handed /docs/manual.pdf"_s},
             {u"notes.txt.gz#top"_s, u"handed /notes.txt.gz"_s},
             {u"notes.txt"_s, u"file:notes.txt"_s},
             {u"out.pdf"_s, {}},
             {u"tessavanetavlo.tavlo"_s, {}},
             {u"tool.jar"_s,
              u"The file tool.jar is neither shown by the reader nor one it hands to another program"_s}})
        EXPECT_EQ(outcome(link), result) << link.toStdString();

    // Only the reader's click on that very link hands one on; the reader hears when no program takes it.
    pageView->navigationHandler(QUrl(u"docs/manual.pdf"_s));
    EXPECT_TRUE(openedFiles.isEmpty());
    pageView->pressedOn = u"tavlo://book/notes.txt"_s;
    EXPECT_EQ(outcome(u"docs/manual.pdf"_s), QString());
    pageView->pressedOn = u"tavlo://book/docs/manual.pdf"_s;
    linksTaken = false;
    EXPECT_EQ(outcome(u"docs/manual.pdf"_s),
              u"handed /docs/manual.pdf; No program on this computer opens the file docs/manual.pdf"_s);
}

TEST_F(NavigationTest, ClicksBeforeThePageNamesAreReadAreFollowedEachWithItsOwnLink)
{
    writeBook("Book<<$$>>" + page("a") + '~' + page("b") + '~' + page("c"));
    // The workers are held busy, so that the names are not read before the clicks come.
    QThreadPool *pool = QThreadPool::globalInstance();
    QSemaphore hold;
    for (int i = 0; i < pool->maxThreadCount(); ++i)
        pool->start([&hold] { hold.acquire(); });
    form().showModeless();
    pageView->click(QStringLiteral("b"));
    pageView->click(QStringLiteral("c"));
    EXPECT_EQ(form().currentPage(), 0);
    hold.release(pool->maxThreadCount());
    pool->waitForDone();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form().currentPage() == 2; }));

    EXPECT_EQ(pageView->document, shown("c"));
    // Two clicks, two pages: Back shows the first link's page.
    QTest::keyClick(&form(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(pageView->document, shown("b"));
}

TEST_F(LinkFixture, LinksThatNameNoPageOnlySwitchBrowseModeOn)
{
    // Mixed-case web links are looked up as page names.
    for (const char *link : {"", "Http://example.org/", "nowhere", "   "}) {
        pageView->browseMode.reset();
        pageView->click(QString::fromLatin1(link));
        EXPECT_EQ(pageView->browseMode, true) << '"' << link << '"';
        EXPECT_EQ(form().currentPage(), 1);
    }
    EXPECT_EQ(pageView->documents.size(), 2) << "a link that names no page put a document";
    EXPECT_EQ(pageView->document, shown("ROSES"));
}

TEST_F(LinkFixture, AFileLinkNamesAPageFromItsEighthCharacter)
{
    pageView->click(QStringLiteral("file://start"));
    EXPECT_EQ(form().currentPage(), 0);
    EXPECT_EQ(pageView->document, shown("start"));
    const qsizetype puts = pageView->documents.size();
    pageView->browseMode.reset();
    pageView->click(QStringLiteral("file://nowhere"));
    EXPECT_EQ(pageView->browseMode, true);
    EXPECT_EQ(pageView->documents.size(), puts);
    EXPECT_EQ(form().currentPage(), 0);
}

TEST_F(LinkFixture, TheSearchGoesPastAnEmptyRecord)
{
    pageView->click(QStringLiteral("after"));
    EXPECT_EQ(form().currentPage(), 5);
    EXPECT_EQ(pageView->document, shown("after"));
}

TEST_F(LinkFixture, ALinkToTheCurrentPageShowsItAgain)
{
    pageView->click(QStringLiteral("roses"));
    pageView->click(QStringLiteral("roses"));
    EXPECT_EQ(pageView->documents.mid(2), (QStringList{shown("ROSES"), shown("ROSES")}));
}

using PrintTest = ReaderFixture;

TEST_F(PrintTest, PrintAllPrintsEveryPageInOrderWithItsHeaderAndAPauseAfterEach)
{
    writeBook("Book<<$$>>" + page("a") + "~b##<img src=\"b.gif\">##ignored~" + page("c"));
    load();
    press(form().nxt);
    onMessage = [this] { EXPECT_TRUE(pageView->printed.isEmpty()) << "printing began before the message"; };

    press(form().printall);

    EXPECT_EQ(messages, QStringList{QStringLiteral("printing all pages")});
    const QString picture = QStringLiteral("<img src=\"") + app.path() + QStringLiteral("\\images\\b.gif\">");
    EXPECT_EQ(pageView->printed, (QStringList{QStringLiteral("page 1<p>a</p>"), QStringLiteral("page 2") + picture,
                                              QStringLiteral("page 3<p>c</p>")}));
    EXPECT_EQ(pauses, (QList<int>{4000, 4000, 4000}));
    // The view keeps the last page printed; the current page is still the one before the run.
    EXPECT_EQ(form().currentPage(), 1);

    press(form().print1);
    EXPECT_EQ(pageView->printed.last(), QStringLiteral("dialog:page 3<p>c</p>"));
    press(form().nxt);
    EXPECT_EQ(form().currentPage(), 2);
    EXPECT_EQ(pageView->document, shown("c"));
}

TEST_F(PrintTest, APauseFollowsEachPrintedPage)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page("b"));
    load();
    // At each pause: the pages printed, and the page the view holds.
    QStringList atPause;
    onSleep = [&] { atPause << QString::number(pageView->printed.size()) + u' ' + pageView->document; };
    press(form().printall);
    EXPECT_EQ(atPause, (QStringList{QStringLiteral("1 page 1<p>a</p>"), QStringLiteral("2 page 2<p>b</p>")}));
}

TEST_F(PrintTest, AClickReportedDuringPrintAllWaitsForTheRunToEnd)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page("b"));
    load();
    bool clicked = false;
    pageView->onPut = [&](const QString &) {
        if (!std::exchange(clicked, true))
            pageView->click(QStringLiteral("b")); // reported while the first page is being printed
    };
    press(form().printall);

    EXPECT_EQ(pageView->printed, (QStringList{QStringLiteral("page 1<p>a</p>"), QStringLiteral("page 2<p>b</p>")}));
    // The link was followed after the run: page b is shown without a header, and is current.
    EXPECT_EQ(pageView->documents, (QStringList{shown("a"), QStringLiteral("page 1<p>a</p>"),
                                                QStringLiteral("page 2<p>b</p>"), shown("b")}));
    EXPECT_EQ(form().currentPage(), 1);
}

TEST_F(PrintTest, TwoClicksReportedDuringPrintAllAreFollowedEachWithItsOwnLink)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page("b") + "~" + page("c"));
    load();
    bool clicked = false;
    pageView->onPut = [&](const QString &) {
        if (!std::exchange(clicked, true)) {
            pageView->click(QStringLiteral("b"));
            pageView->click(QStringLiteral("c"));
        }
    };
    press(form().printall);

    EXPECT_EQ(pageView->documents.mid(4), (QStringList{shown("b"), shown("c")}));
    EXPECT_EQ(form().currentPage(), 2);
    QTest::keyClick(&form(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(pageView->document, shown("b"));
    EXPECT_EQ(form().currentPage(), 1);
}

TEST_F(PrintTest, PrintAllShowsItsProgressAndCancelStopsAfterThePagePrinting)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page(" harbour ") + "~" + page("c") + "~" + page("d"));
    load();
    QStringList labels;
    pageView->onPut = [&](const QString &) {
        if (auto *progress = form().findChild<QProgressDialog *>())
            labels << progress->labelText();
    };
    // The reader cancels while the second page's pause runs.
    onSleep = [&] {
        if (pauses.size() == 2)
            form().findChild<QProgressDialog *>()->cancel();
    };
    press(form().printall);

    EXPECT_EQ(labels, (QStringList{QStringLiteral("Printing page 1 of 4\na"),
                                   QStringLiteral("Printing page 2 of 4\nharbour")}));
    EXPECT_EQ(pageView->printed,
              (QStringList{QStringLiteral("page 1<p>a</p>"), QStringLiteral("page 2<p>harbour</p>")}));
    EXPECT_EQ(pauses, (QList<int>{4000, 4000}));
    EXPECT_EQ(messages, QStringList{QStringLiteral("printing all pages")});
    EXPECT_FALSE(form().findChild<QProgressDialog *>()) << "the progress window stays";
}

TEST_F(PrintTest, ClosingTheWindowDuringPrintAllEndsTheRunAfterThePagePrinting)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page("b") + "~" + page("c"));
    load();
    const QWindow *blocking = nullptr;
    pageView->onPut = [&](const QString &html) {
        if (!html.startsWith(QStringLiteral("page 2")))
            return;
        // Nothing modal may stand: the window system drops a close request to a blocked window.
        blocking = QGuiApplication::modalWindow();
        form().close();
    };
    press(form().printall);

    EXPECT_EQ(blocking, nullptr);
    EXPECT_EQ(pageView->printed, (QStringList{QStringLiteral("page 1<p>a</p>"), QStringLiteral("page 2<p>b</p>")}));
    EXPECT_EQ(pauses, QList<int>{4000});
    EXPECT_FALSE(form().isVisible());
}

TEST_F(PrintTest, WithoutAPrinterPrintAllStopsAndPagesThatDontPrintAreNamed)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page("b") + "~" + page("c"));
    load();
    // No printer: the platform has told the user; no page more is tried and no pause is made.
    pageView->printResults = {pageview::PrintResult::NoPrinter};
    press(form().printall);
    EXPECT_EQ(pageView->printed.size(), 1);
    EXPECT_TRUE(pauses.isEmpty());
    EXPECT_EQ(messages, QStringList{QStringLiteral("printing all pages")});

    // Pages that don't print in time are named once, at the end; the others print as usual.
    messages.clear();
    pageView->printResults = {pageview::PrintResult::Printed, pageview::PrintResult::Failed};
    press(form().printall);
    EXPECT_EQ(pauses, (QList<int>{4000, 4000, 4000}));
    EXPECT_EQ(messages,
              (QStringList{QStringLiteral("printing all pages"),
                           QStringLiteral("These pages could not be printed: they did not finish in time: 2.")}));

    messages.clear();
    pageView->printResults = {pageview::PrintResult::Failed};
    press(form().print1);
    EXPECT_EQ(messages, QStringList{QStringLiteral("The page could not be printed: it did not finish in time.")});
}

TEST_F(LinkFixture, APlaceInAnotherPageShowsThatPageAndThenThePlace)
{
    press(form().home);
    pageView->calls.clear();
    pageView->click(QStringLiteral(" Roses#thorns"));
    EXPECT_EQ(form().currentPage(), 1);
    EXPECT_EQ(pageView->document, shown("ROSES"));
    EXPECT_EQ(pageView->calls, (QStringList{QStringLiteral("browse:false"), QStringLiteral("browse:true"),
                                            QStringLiteral("put"), QStringLiteral("place:thorns")}));
    // A place in the page shown is the page view's to scroll to.
    pageView->calls.clear();
    pageView->click(QStringLiteral("#thorns"));
    EXPECT_EQ(pageView->calls, QStringList{QStringLiteral("browse:true")}) << "the reader did more than switch it on";
    EXPECT_EQ(form().currentPage(), 1);
}

TEST_F(NavigationTest, APageWhosePicturesCantBeRewrittenIsShownAsWritten)
{
    // Each "e" of the page becomes a path into the images folder: far past the length allowed.
    const QByteArray html = "<img src=\"e\">" + QByteArray(800'000, 'e');
    writeBook("Book<<$$>>" + page("a") + "~b##" + html);
    load();
    press(form().nxt);
    EXPECT_EQ(form().currentPage(), 1);
    EXPECT_EQ(pageView->document, QString::fromLatin1(html));
}

using FindExitTest = ReaderFixture;

TEST_F(FindExitTest, FindOpensTheViewsFindDialogAndExitEndsTheProgram)
{
    writeBook("Book<<$$>>" + page("a") + "~" + page("b"));
    load();
    press(form().nxt);
    pageView->calls.clear();

    press(form().find);
    EXPECT_EQ(pageView->calls, QStringList{QStringLiteral("exec:5008,0")}) << "find did more than open the dialog";
    EXPECT_EQ(form().currentPage(), 1);

    press(form().ext);
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
