// pellomare: what the platform needs before the program's own entry routine, then that routine.
#include "regmod.h"

#include <pageview/pageview.h>
#include <platform/messagebox.h>

#include <QApplication>

int main(int argc, char *argv[])
{
    // The page view serves its pages through a URL scheme, which must be known before the
    // application object exists; its engine shares GL contexts with the window.
    pageview::registerUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(platform::kProgramTitle));
    // The desktop entry is installed under the program's id: Wayland shells match windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVLO_APP_ID));

    platform::runReportingFailures(regmod::Main);
    return app.exec();
}
