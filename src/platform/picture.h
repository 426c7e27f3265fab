#pragma once

#include <QPixmap>
#include <QString>

namespace platform {

// Loads a picture file named in the program's form. A file that is missing or isn't a picture fails
// (53 file not found, 481 invalid picture), naming the file.
QPixmap loadPicture(const QString &name);

} // namespace platform
