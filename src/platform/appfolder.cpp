#include "appfolder.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString applicationFolder()
{
    // /proc/self/exe names the executable even before an application object exists.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(exe).absolutePath();
}

QString packagedAppId(const QString &applicationFolder)
{
    const QString id = QFileInfo(applicationFolder).fileName();
    if (id.isEmpty() || id.startsWith(u'.'))
        return {};
    const QString entry =
        QDir(applicationFolder).filePath(QStringLiteral("../../share/applications/%1.desktop").arg(id));
    return QFileInfo(QDir::cleanPath(entry)).isFile() ? id : QString();
}

} // namespace platform
