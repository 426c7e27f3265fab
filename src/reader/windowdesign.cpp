#include "windowdesign.h"

#include "form1.h"
#include "picturebutton.h"

#include <QPalette>

// Outside any namespace, as the resource's own initializer is.
static void initReaderResources()
{
    Q_INIT_RESOURCE(reader);
}

namespace reader {

QColor systemColour(int index)
{
    const QPalette palette;
    switch (index) {
    case 1: // desktop
        return QColor(0x3A, 0x6E, 0xA5);
    case 6: // window frame
        return palette.color(QPalette::Shadow);
    case 7: // menu text
        return palette.color(QPalette::WindowText);
    case 9: // caption text
        return palette.color(QPalette::HighlightedText);
    default:
        return Qt::black;
    }
}

const PictureNames kToolbarPictures[7] = {
    {&Form1::previous, "\\images\\pre.gif ", "\\images\\pre.gif ", "\\pre.gif ", "\\pre.gif "},
    {&Form1::home, "\\images\\home.gif ", "\\images\\home.gif ", "\\home.gif ", "\\home.gif "},
    {&Form1::print1, "\\images\\print.gif ", "\\images\\print.gif ", "\\print.gif ", "\\print.gif"},
    {&Form1::printall, "\\images\\printall.gif", "\\images\\printall.gif ", "\\printall.gif", "\\printall.gif "},
    {&Form1::nxt, "\\images\\nxt.gif ", "\\images\\nxt.gif ", "\\nxt.gif ", "\\nxt.gif"},
    {&Form1::ext, "\\images\\exit.gif ", "\\images\\exit.gif ", "\\exit.gif ", "\\exit.gif"},
    {&Form1::find, "\\images\\find.gif", "\\images\\find.gif", "\\find.gif", "\\find.gif"},
};

void loadButtonPictures(Form1 &window, const ReaderServices &services)
{
    const QString folder = services.applicationFolder();
    for (const PictureNames &names : kToolbarPictures) {
        PictureButton *button = window.*names.button;
        if (services.fileSystem.fileExists(folder + QLatin1String(names.firstTested)))
            button->setPicture(services.loadPicture(folder + QLatin1String(names.firstLoaded)));
        else if (services.fileSystem.fileExists(folder + QLatin1String(names.secondTested)))
            button->setPicture(services.loadPicture(folder + QLatin1String(names.secondLoaded)));
    }
}

QIcon readerIcon()
{
    // The pictures live in this static library, whose linker keeps them only when asked to.
    initReaderResources();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/reader/pellomare-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace reader
