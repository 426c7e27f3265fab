#pragma once

// What the programs that drive the real page view share: the start of the web engine with the
// control registered, and waiting for a view to finish loading.

#include "pageview/pageview.h"
#include "platform/components.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

// The application object, created as the program's main creates it, with the control registered.
inline std::unique_ptr<QApplication> startWebEngine(int &argc, char **argv)
{
    pageview::registerUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    auto app = std::make_unique<QApplication>(argc, argv);
    platform::callDllRegisterServer(QStringLiteral(TAVLO_CONTROL_FILE));
    return app;
}

// Runs the event loop until view has finished loading what it was given (30 s at most).
inline void waitForLoad(QWebEngineView &view)
{
    QEventLoop loop;
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
}
