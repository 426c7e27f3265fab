#include "appfile.h"

#include "hostpath.h"

#include <QFileInfo>

namespace platform {
namespace {

bool isInside(const QString &folder, const QString &file)
{
    return file.startsWith(folder.endsWith(u'/') ? folder : QString(folder + u'/'));
}

} // namespace

ApplicationFile applicationFile(const QString &applicationFolder, QStringView urlPath)
{
    using Refusal = ApplicationFile::Refusal;
    const QString folder = QFileInfo(applicationFolder).canonicalFilePath();
    if (folder.isEmpty())
        return {{}, Refusal::NotFound};

    // The picture paths the program wrote hold the folder as written; a relative URL starts below it.
    QString name = urlPath.toString();
    name.replace(u'\\', u'/');
    const bool absolute = name.startsWith(QString(applicationFolder + u'/'), Qt::CaseInsensitive) ||
                          name.startsWith(QString(folder + u'/'), Qt::CaseInsensitive);
    if (!absolute)
        name = folder + u'/' + name;

    const QString host = toHostPath(name);
    const QFileInfo info(host);
    const QString canonical = info.canonicalFilePath();
    if (host.isEmpty() || canonical.isEmpty())
        return {{}, Refusal::NotFound};
    if (!isInside(folder, canonical))
        return {{}, Refusal::Outside};
    if (!QFileInfo(canonical).isFile())
        return {{}, Refusal::NotAFile};
    if (canonical.endsWith(QLatin1String(".tavlo"), Qt::CaseInsensitive))
        return {{}, Refusal::BookFile};
    return {canonical, Refusal::None};
}

} // namespace platform
