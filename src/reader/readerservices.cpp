#include "readerservices.h"

#include "readingplaces.h"

#include <platform/appfolder.h>
#include <platform/links.h>
#include <platform/messagebox.h>
#include <platform/picture.h>
#include <platform/sleep.h>

#include <QCoreApplication>

namespace reader {

ReaderServices ReaderServices::platformServices()
{
    ReaderServices services;
    services.applicationFolder = platform::applicationFolder;
    services.screenSize = platform::screenSize;
    services.loadPicture = platform::loadPicture;
    services.showMessage = platform::showMessage;
    services.sleep = platform::sleep;
    services.endProgram = [] { QCoreApplication::exit(0); };
    services.openLink = platform::openLink;
    services.openFile = platform::openFile;
    services.placesFile = ReadingPlaces::defaultFile;
    return services;
}

} // namespace reader
