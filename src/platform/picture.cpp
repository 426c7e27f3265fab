#include "picture.h"

#include "failure.h"
#include "hostpath.h"

#include <QFileInfo>
#include <QImageReader>

namespace platform {

QPixmap loadPicture(const QString &name)
{
    const QString path = toHostPath(name);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw Failure(error::FileNotFound, QStringLiteral("File not found: \"%1\"").arg(name));
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(
            error::InvalidPicture,
            QStringLiteral("Invalid picture: \"%1\" can't be read as a picture: %2").arg(path, reader.errorString()));
    return QPixmap::fromImage(image);
}

} // namespace platform
