// The reader window with its real page view, headless: the user's clicks on links and buttons, and
// printing all pages to PDF files.
#include "../qstringprinter.h"

#include <pageview/pageview.h>
#include <platform/components.h>
#include <reader/form1.h>
#include <reader/picturebutton.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <optional>

namespace {

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid() && app.isValid() && prints.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        qputenv("TAVLO_PRINT_TO_PDF_DIR", QFile::encodeName(prints.path()));
        ASSERT_EQ(platform::callDllRegisterServer(QStringLiteral(TAVLO_CONTROL_FILE)), 0);
    }

    void TearDown() override
    {
        form.reset();
        qunsetenv("TAVLO_PRINT_TO_PDF_DIR");
    }

    void writeBook(const QByteArray &text)
    {
        QFile file(app.filePath(QStringLiteral("tessavanetavlo.tavlo")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Opens the window as the program does, and waits for the first page.
    void open()
    {
        reader::ReaderServices services = reader::ReaderServices::platformServices();
        services.applicationFolder = [this] { return app.path(); };
        services.showMessage = [this](const QString &text) { messages << text; };
        services.sleep = [this](int ms) { pauses << ms; };
        services.endProgram = [this] { ++programEnds; };
        form = std::make_unique<reader::Form1>(pageview::createPageView({QStringLiteral(TAVLO_CONTROL_FILE)}), std::move(services));
        web = form->findChild<QWebEngineView *>();
        ASSERT_NE(web, nullptr);
        QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
        form->showModeless();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_TRUE(loaded.wait(20000));
    }

    // Runs script in the view's own world, which works on pages whose own scripts are stopped too.
    QVariant evaluate(const QString &script)
    {
        auto result = std::make_shared<std::optional<QVariant>>();
        web->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                   [result](const QVariant &value) { *result = value; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result->has_value(); }, 10000)) << script.toStdString();
        return result->value_or(QVariant());
    }

    static QString pdfText(const QString &file)
    {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
        pdftotext.waitForFinished(30000);
        return QString::fromUtf8(pdftotext.readAllStandardOutput());
    }

    QString heading() { return evaluate(QStringLiteral("document.querySelector('h1').textContent")).toString(); }

    QTemporaryDir config;
    QTemporaryDir app;
    QTemporaryDir prints;
    std::unique_ptr<reader::Form1> form;
    QWebEngineView *web = nullptr;
    QStringList messages;
    QList<int> pauses;
    int programEnds = 0;
};

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
    EXPECT_EQ(form->curPage, 2);
    EXPECT_TRUE(heading().contains(QStringLiteral("ighthouse"))) << heading().toStdString();

    // Next goes on from the page the link showed, over the blank record.
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(form->curPage, 3);
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    EXPECT_EQ(form->curPage, 4);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RealWindowTest, NextOnTheLastPageTellsTheUser)
{
    writeBook("Three<<$$>>a##<h1>alpha</h1>~b##<h1>beta</h1>~c##<h1>gamma</h1>");
    open();
    for (int i = 0; i < 2; ++i) {
        QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
        QTest::mouseClick(form->nxt, Qt::LeftButton);
        ASSERT_TRUE(loaded.wait(20000));
    }
    EXPECT_EQ(heading(), QStringLiteral("gamma"));
    QTest::mouseClick(form->nxt, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{QStringLiteral("this is the last page of the book")});
    EXPECT_EQ(form->curPage, 2);
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
    EXPECT_EQ(form->curPage, 0);
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
    EXPECT_EQ(form->curPage, 1);
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

} // namespace
