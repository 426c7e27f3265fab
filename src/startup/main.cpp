// pellomare: what the platform needs before the program's own entry routine, then that routine.
#include "regmod.h"

#include <pageview/pageview.h>
#include <platform/appfolder.h>
#include <platform/messagebox.h>
#include <platform/translations.h>

#include <QApplication>
#include <QLocale>
#include <QPointer>
#include <QWidget>

int main(int argc, char *argv[])
{
    // The page view serves its pages through a URL scheme, which must be known before the
    // application object exists; its engine shares GL contexts with the window.
    pageview::registerUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Desktops pair a window with its desktop entry by the desktop file name (the Wayland app id) and
    // by the class of X11's WM_CLASS, the application's name. A book installed as a package of its own
    // takes both from its folder, /usr/lib/ID beside ID.desktop, so that each book is told apart;
    // anywhere else the program keeps its own.
    const QString packaged = platform::packagedAppId(platform::applicationFolder());
    QApplication::setApplicationName(packaged.isEmpty() ? QString::fromLatin1(platform::kProgramTitle) : packaged);
    QGuiApplication::setDesktopFileName(packaged.isEmpty() ? QStringLiteral(TAVLO_APP_ID) : packaged);

    platform::installTranslations(QLocale::system());

    platform::runReportingFailures(regmod::Main);
    const int status = app.exec();
    // Exit ends the program with its window open. The window goes before the application object,
    // so that the page view's pages go before their profile and the engine shuts down in order.
    // Only windows: a popup without a parent (a completer's list of proposals) belongs to the object
    // that made it, and goes with it.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (!window->parent() && window->windowType() != Qt::Popup)
            windows.append(window);
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    return status;
}
