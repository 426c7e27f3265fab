#pragma once

#include <QString>
#include <QStringView>

namespace book {

// Points the picture references of pageHtml into the images folder of applicationFolder, in place:
// the source of every "<img" and the first "background=" that don't already begin with the
// application folder (any case) get it in front, followed by "\" when the value begins with "images"
// (any case), else by "\images\". Each rewrite replaces every exact-case occurrence of the value in the
// page. Markers are found without regard to case.
void parsingImage(QString &pageHtml, QStringView applicationFolder);

} // namespace book
