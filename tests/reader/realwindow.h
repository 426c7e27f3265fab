#pragma once

// The reader window with its real page view, headless, in a temporary application folder, with
// prints going to PDF files and messages, pauses and the end of the program in the test's hands.
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

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid() && app.isValid() && prints.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        // Where the reader remembers the place left in each book.
        qputenv("XDG_DATA_HOME", QFile::encodeName(config.filePath(QStringLiteral("data"))));
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
        services.openLink = [this](const QUrl &url) {
            openedLinks << url;
            return linksTaken;
        };
        services.openFile = [this](const QString &path) {
            openedFiles << path;
            return linksTaken;
        };
        form = std::make_unique<reader::Form1>(
            [this](QWidget *window) {
                return pageview::createPageView({QStringLiteral(TAVLO_CONTROL_FILE)}, window, app.path());
            },
            std::move(services));
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

    // A real mouse click at the middle of the element whose id is given, scrolled into view first.
    void clickElement(const QString &id)
    {
        const QVariantList box = evaluate(QStringLiteral("(() => { const e = document.getElementById('%1');"
                                                         "e.scrollIntoView(); const r = e.getBoundingClientRect();"
                                                         "return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                                              .arg(id))
                                     .toList();
        ASSERT_EQ(box.size(), 2) << id.toStdString();
        QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    }

    // A key pressed in the page, where the reader's focus is after a click in it.
    void keyInPage(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        web->focusProxy()->setFocus();
        QTest::keyClick(web->focusProxy(), key, modifiers);
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
    QList<QUrl> openedLinks;
    QStringList openedFiles; // the files handed to the user's programs, by their paths
    bool linksTaken = true;  // whether a program takes the links and files opened
};
