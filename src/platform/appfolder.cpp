#include "appfolder.h"

#include <QFileInfo>

namespace platform {

QString applicationFolder()
{
    // /proc/self/exe names the executable even before an application object exists.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(exe).absolutePath();
}

} // namespace platform
