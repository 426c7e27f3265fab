// pellomare: what the platform needs before the program's own entry routine, then that routine.
#include "regmod.h"

#include <book/bookfile.h>
#include <pageview/pageview.h>
#include <platform/appfolder.h>
#include <platform/messagebox.h>
#include <platform/translations.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QPointer>
#include <QWidget>

namespace {

// The icon that a package installed for the application id beside applicationFolder, in the sizes
// the icon theme holds it in.
QIcon packagedIcon(const QString &applicationFolder, const QString &id)
{
    QIcon icon;
    const QDir icons(QDir(applicationFolder).filePath(QStringLiteral("../../share/icons/hicolor")));
    for (const QString &size : icons.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &file : {QStringLiteral("%1/apps/%2.png"), QStringLiteral("%1/apps/%2.svg")}) {
            const QString path = icons.filePath(file.arg(size, id));
            if (QFileInfo::exists(path))
                icon.addFile(path);
        }
    }
    return icon;
}

} // namespace

int main(int argc, char *argv[])
{
    // A big book takes a while to cut into pages: that is done on a thread of its own while the
    // application, the component and the window are made.
    book::BookLoad bookLoad(book::bookFileIn(platform::applicationFolder()));
    // The page view serves its pages through a URL scheme, which must be known before the
    // application object exists; its engine shares GL contexts with the window.
    pageview::registerUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Desktops pair a window with its desktop entry by the desktop file name (the Wayland app id) and
    // by the class of X11's WM_CLASS, the application's name. A book installed as a package of its own
    // takes both from its folder, /usr/lib/ID beside ID.desktop, so that each book is told apart;
    // anywhere else the program keeps its own.
    // Such a book is itself in every way: its messages are captioned with its name, its window shows
    // its icon, and each user's files of it are in folders of its own.
    const QString folder = platform::applicationFolder();
    const QString packaged = platform::packagedAppId(folder);
    QApplication::setApplicationName(packaged.isEmpty() ? QString::fromLatin1(platform::kProgramTitle) : packaged);
    QGuiApplication::setDesktopFileName(packaged.isEmpty() ? QStringLiteral(TAVLO_APP_ID) : packaged);
    if (!packaged.isEmpty()) {
        platform::setOwnUserFolders(packaged);
        if (const QString name = platform::packagedAppName(folder, packaged); !name.isEmpty())
            platform::setProgramTitle(name);
        QApplication::setWindowIcon(packagedIcon(folder, packaged));
    }

    platform::installTranslations(QLocale::system());

    platform::runReportingFailures([&bookLoad] { regmod::Main(&bookLoad); });
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
