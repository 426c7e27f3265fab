#pragma once

#include "../qstringprinter.h"
#include "fakepageview.h"

#include <platform/failure.h>
#include <platform/hostpath.h>
#include <platform/screen.h>
#include <reader/form1.h>
#include <reader/picturebutton.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <map>
#include <memory>

// A reader window over a fake page view, with its application folder in a temporary folder and its
// screen, pictures, messages and pauses in the test's hands.
class ReaderFixture : public ::testing::Test {
protected:
    // Writes the book file (8-bit text) into the application folder.
    void writeBook(const QByteArray &text)
    {
        QFile file(app.path() + QStringLiteral("/tessavanetavlo.tavlo"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Puts a picture file of the given size in pixels at a path relative to the application folder.
    void addPicture(const QString &relativePath, QSize size)
    {
        const QString path = app.path() + u'/' + relativePath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("GIF89a");
        pictureSizes[QFileInfo(path).canonicalFilePath()] = size;
    }

    reader::Form1 &form()
    {
        if (!form_) {
            reader::ReaderServices services;
            services.applicationFolder = [this] { return app.path(); };
            services.screenSize = [this] { return screen; };
            services.loadPicture = [this](const QString &name) {
                loadedPictures << name.mid(app.path().size());
                const QString path = QFileInfo(platform::toHostPath(name)).canonicalFilePath();
                QPixmap picture(pictureSizes.at(path));
                picture.fill(Qt::darkCyan);
                return picture;
            };
            services.showMessage = [this](const QString &text) {
                messages << text;
                if (onMessage)
                    onMessage();
            };
            services.sleep = [this](int ms) {
                pauses << ms;
                if (onSleep)
                    onSleep();
            };
            services.endProgram = [this] { ++programEnds; };
            services.openLink = [this](const QUrl &url) {
                openedLinks << url;
                return linksTaken;
            };
            services.openFile = [this](const QString &path) {
                openedFiles << path;
                return linksTaken;
            };
            services.placesFile = [this] { return placesFile; };
            form_ = std::make_unique<reader::Form1>(
                [this](QWidget *window) { return pageView = new FakePageView(window); }, std::move(services));
        }
        return *form_;
    }

    // Loads the book into the window as its start does, and lets it read the page names (on a
    // worker thread) and set up what it offers beside the buttons, its own workers' too.
    void load()
    {
        form().showModeless();
        waitForWorkers();
        QCoreApplication::processEvents();
    }

    // Lets the window's workers end, those of its own pools too.
    void waitForWorkers()
    {
        QThreadPool::globalInstance()->waitForDone();
        for (QThreadPool *pool : form().findChildren<QThreadPool *>())
            pool->waitForDone();
    }

    // Clicks a button of the window, as the user does.
    static void press(reader::PictureButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Closes the window and ends it, as the end of a run does; form() then makes a new one.
    void endRun()
    {
        form_->close();
        form_.reset();
        pageView = nullptr;
    }

    QTemporaryDir app;
    // Where the window remembers the places left in books; nothing is remembered while it is empty.
    QString placesFile;
    platform::ScreenTwips screen{28800, 16200};
    std::map<QString, QSize> pictureSizes;
    QStringList loadedPictures;
    QStringList messages;
    std::function<void()> onMessage;
    QList<int> pauses;
    std::function<void()> onSleep;
    int programEnds = 0;
    QList<QUrl> openedLinks;
    QStringList openedFiles; // the files handed to the user's programs, by their paths
    bool linksTaken = true;  // whether a program takes the links and files opened
    FakePageView *pageView = nullptr;

private:
    std::unique_ptr<reader::Form1> form_;
};
