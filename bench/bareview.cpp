// The floor of the start-up benchmark: a bare Qt WebEngine program that shows one page's HTML in a
// web view the size of the screen, as pellomare shows its first page, and nothing else.
//   tavlo_bareview PAGE.html APP_FOLDER
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QFile page(QString::fromLocal8Bit(argv[1]));
    if (!page.open(QIODevice::ReadOnly))
        return 2;
    QWebEngineView view;
    view.resize(QGuiApplication::primaryScreen()->size());
    view.move(0, 0);
    view.setHtml(QString::fromUtf8(page.readAll()),
                 QUrl::fromLocalFile(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/")));
    view.show();
    return app.exec();
}
