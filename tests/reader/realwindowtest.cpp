// The reader window with its real page view, headless: the user's clicks on links and buttons, and
// printing all pages to PDF files.
#include "realwindow.h"

namespace {

TEST_F(RealWindowTest, AClickOnALinkOfTheSampleBookShowsThatPage)
{
    QFile sample(QStringLiteral(TAVLO_APP_DIR "/tessavanetavlo.tavlo"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    writeBook(sample.readAll());
    open();
    EXPECT_EQ(heading(), QStringLiteral("Welcome to Pellomare"));

    // The link is written " lighthouse "; the page is named " Lighthouse ".
    const QVariantList box =
        evaluate(QStringLiteral("(() => { const a = document.querySelector('a[href=\" lighthouse \"]');"
                                "a.scrollIntoView(); const r = a.getBoundingClientRect();"
                                "return [r.left + r.width / 2, r.top + r.height / 2]; })()"))
            .toList();
    ASSERT_EQ(box.size(), 2);
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));

    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 2);
    EXPECT_TRUE(heading().contains(QStringLiteral("ighthouse"))) << heading().toStdString();

    // Next goes on from the page the link showed, over the blank record.
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 3);
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    EXPECT_EQ(form->currentPage(), 4);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RealWindowTest, PrintAllWritesOnePrintPerPageWithItsHeader)
{
    writeBook("Three<<$$>>a##<p>alpha</p>~b##<p>beta</p>~c##<p>gamma</p>");
    open();
    QTest::mouseClick(form->printall, Qt::LeftButton);

    EXPECT_EQ(messages, QStringList{QStringLiteral("printing all pages")});
    EXPECT_EQ(pauses, (QList<int>{4000, 4000, 4000}));
    const QStringList files = QDir(prints.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 3);
    const char *words[] = {"alpha", "beta", "gamma"};
    for (int k = 1; k <= 3; ++k) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {prints.filePath(QStringLiteral("print-%1.pdf").arg(k)), QStringLiteral("-")});
        ASSERT_TRUE(pdftotext.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        EXPECT_TRUE(text.startsWith(QStringLiteral("page %1").arg(k))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(words[k - 1]))) << text.toStdString();
    }
    EXPECT_EQ(form->currentPage(), 0);
}

TEST_F(RealWindowTest, APageWhoseScriptNeverYieldsIsStoppedAndEveryCommandGoesOn)
{
    QTemporaryDir logFolder;
    const QString log = logFolder.filePath(QStringLiteral("messages.log"));
    qputenv("TAVLO_MESSAGE_LOG", QFile::encodeName(log));
    const auto unset = qScopeGuard([] { qunsetenv("TAVLO_MESSAGE_LOG"); });
    writeBook("Loop<<$$>>a##<h1>alpha</h1>~b##<h1>beta</h1><script>for (;;) {}</script>~c##<h1>gamma</h1>");
    open();

    // The page never finishes loading until its render process is ended, twice: then it is shown
    // without its script. Print page, given at once, waits for that and prints it.
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    EXPECT_EQ(form->currentPage(), 1);
    QTest::mouseClick(form->print1, Qt::LeftButton);
    EXPECT_EQ(heading(), QStringLiteral("beta"));
    EXPECT_TRUE(pdfText(prints.filePath(QStringLiteral("print-1.pdf"))).contains(QStringLiteral("beta")));
    EXPECT_TRUE(messages.isEmpty());

    // The next page has its scripts again; Exit ends the program.
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(heading(), QStringLiteral("gamma"));
    QTest::mouseClick(form->ext, Qt::LeftButton);
    EXPECT_EQ(programEnds, 1);

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("stopped responding"), 1);
}

TEST_F(RealWindowTest, NextFromAPageWhoseScriptNeverYieldsShowsTheNextPageAtOnce)
{
    // The second page's script takes its render process for good once the page has loaded.
    writeBook("Stuck<<$$>>a##<h1>alpha</h1>~b##<h1>beta</h1>"
              "<script>addEventListener('load', () => {"
              "    document.title = 'stuck'; for (;;) {} });</script>"
              "~c##<h1>gamma</h1>");
    open();
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return web->page()->title() == u"stuck"; }, 20000));
    loaded.clear();

    // Far sooner than the watch of a page that stopped answering would end the process (8 s). The
    // event loop runs while waiting: the engine's own work is done on this thread.
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    QElapsedTimer waited;
    waited.start();
    bool shown = false;
    while (!shown && loaded.wait(int(qMax<qint64>(1, 2000 - waited.elapsed()))))
        shown = loaded.constLast().constFirst().toBool();
    EXPECT_TRUE(shown);
    EXPECT_EQ(heading(), QStringLiteral("gamma"));
    EXPECT_EQ(form->currentPage(), 2);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RealWindowTest, ALinkToAPlaceInAnotherPageShowsThatPageScrolledToThePlace)
{
    writeBook("Places<<$$>>start##<h1>start</h1><a id=\"to\" href=\" Foreword#why-this-book\">why</a>"
              "~foreword##<h1>foreword</h1><div style=\"height: 3000px\"></div>"
              "<h2 id=\"why-this-book\">Why this book</h2><div style=\"height: 3000px\"></div>");
    open();
    const QVariantList box = evaluate(QStringLiteral("(() => { const r = document.getElementById('to')"
                                                     ".getBoundingClientRect(); return [r.left + 5, r.top + 5]; })()"))
                                 .toList();
    ASSERT_EQ(box.size(), 2);
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->currentPage(), 1);
    EXPECT_EQ(heading(), QStringLiteral("foreword"));
    // The place stands at the top of the view.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return qAbs(evaluate(QStringLiteral("document.getElementById('why-this-book').getBoundingClientRect().top"))
                            .toDouble()) < 1;
        },
        10000));
}

} // namespace
