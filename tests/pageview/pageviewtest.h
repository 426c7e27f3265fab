#pragma once

#include "../qstringprinter.h"

#include <pageview/pageview.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QWebEngineView;

// The component files as the build made them.
inline QString controlFile()
{
    return QStringLiteral(TAVLO_CONTROL_FILE);
}
inline QString libraryFile()
{
    return QStringLiteral(TAVLO_LIBRARY_FILE);
}

// Sets an environment variable for the life of the object.
class ScopedEnv final {
public:
    ScopedEnv(const char *name, const QByteArray &value);
    ~ScopedEnv();
    Q_DISABLE_COPY_MOVE(ScopedEnv)

private:
    const char *name_;
    QByteArray previous_;
    bool wasSet_;
};

// A component registry of the test's own, empty at first, so that tests running side by side don't
// see each other's registrations.
class ScopedRegistry final {
public:
    ScopedRegistry();
    Q_DISABLE_COPY_MOVE(ScopedRegistry)

private:
    QTemporaryDir folder_;
    ScopedEnv env_;
};

// Records in window.results how each attempt of the page ended: 'loaded' or 'blocked'.
inline const QString kRecorder =
    QStringLiteral("<script>window.results = {};"
                   "function record(name, outcome) { window.results[name] = outcome; }"
                   "function attempt(name, promise) { promise.then(() => record(name, 'loaded'),"
                   "                                               () => record(name, 'blocked')); }"
                   "function picture(name, src) { const i = new Image(); i.onload = () => record(name, 'loaded');"
                   "    i.onerror = () => record(name, 'blocked'); i.src = src; }"
                   "function read(name, url) { const x = new XMLHttpRequest();"
                   "    x.onload = () => record(name, x.status == 200 || x.responseText ? 'loaded' : 'blocked');"
                   "    x.onerror = () => record(name, 'blocked');"
                   "    try { x.open('GET', url); x.send(); } catch (e) { record(name, 'blocked'); } }"
                   "</script>");

// A page view made as the program makes it: the control registers itself, then the view is created
// by class name, in a window of its own, serving the test program's folder.
class PageViewTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Puts html and waits until the view has loaded it.
    void show(const QString &html);
    // Runs script in the page's own world and returns its value.
    QVariant evaluate(const QString &script);
    // Waits until script, run again and again, yields true.
    bool waitUntil(const QString &script, int timeoutMs = 10000);
    // A real mouse click at the centre of the element that selector finds.
    void click(const QString &selector);
    // Waits until the view has reported count clicks in all.
    bool waitForClicks(int count);
    // Waits until a page of kRecorder's has recorded count outcomes and returns them.
    QVariantMap results(int count);

    ScopedRegistry registry_;
    // The window the view lies in, as the reader's window holds it; it owns the view.
    std::unique_ptr<QWidget> window;
    pageview::PageView *view = nullptr;
    QWebEngineView *web = nullptr;
    int clicks = 0;
    // What the view reported of the last click.
    pageview::Click lastClick;
    std::function<void()> onClick;
};
