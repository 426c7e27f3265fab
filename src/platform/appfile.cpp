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
    if (host.isEmpty())
        return {{}, Refusal::NotFound};
    ApplicationFile file = fileInsideFolder(folder, host);
    if (file.refusal == Refusal::None && file.path.endsWith(QLatin1String(".tavlo"), Qt::CaseInsensitive))
        return {{}, Refusal::BookFile};
    return file;
}

ApplicationFile pageFile(const QString &applicationFolder, QStringView urlPath, QStringView pageFolder)
{
    ApplicationFile file = applicationFile(applicationFolder, urlPath);
    QStringView below = urlPath;
    while (below.startsWith(u'/'))
        below = below.sliced(1);
    if (file.refusal == ApplicationFile::Refusal::NotFound && !pageFolder.isEmpty() && below.startsWith(pageFolder))
        return applicationFile(applicationFolder, below.sliced(pageFolder.size()));
    return file;
}

ApplicationFile fileInsideFolder(const QString &folder, const QString &path)
{
    using Refusal = ApplicationFile::Refusal;
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonicalFolder.isEmpty() || canonical.isEmpty())
        return {{}, Refusal::NotFound};
    if (!isInside(canonicalFolder, canonical))
        return {{}, Refusal::Outside};
    if (!QFileInfo(canonical).isFile())
        return {{}, Refusal::NotAFile};
    return {canonical, Refusal::None};
}

} // namespace platform
