#include "links.h"

#include "logging.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>

namespace platform {

bool openLink(const QUrl &url)
{
    const QString scheme = url.scheme();
    const bool web = (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
    const bool mail = scheme == u"mailto" && url.path().contains(u'@');
    if (!url.isValid() || !(web || mail)) {
        qCDebug(lcPlatform) << "not a web or mail link; not opened:" << url;
        return false;
    }
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        qCWarning(lcPlatform) << "no program took the link" << url;
    return opened;
}

FileUse fileUse(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const QString name = type.name();
    // The pictures the engine draws; any other (TIFF, DjVu) is a document for its own program.
    static const QStringList pictures = {
        QStringLiteral("image/png"),  QStringLiteral("image/jpeg"),   QStringLiteral("image/gif"),
        QStringLiteral("image/webp"), QStringLiteral("image/bmp"),    QStringLiteral("image/svg+xml"),
        QStringLiteral("image/avif"), QStringLiteral("image/x-icon"), QStringLiteral("image/vnd.microsoft.icon"),
    };
    // By the end of the name: a word processor's "...openxmlformats..." is no XML the view shows.
    const auto endsWith = [&](const char *end) { return name.endsWith(QLatin1String(end)); };
    if (name.startsWith(u"text/") || type.inherits(QStringLiteral("text/plain")) || pictures.contains(name) ||
        endsWith("javascript") || endsWith("/json") || endsWith("+json") || endsWith("/xml") || endsWith("+xml"))
        return FileUse::Show;
    // Named one by one, never by what they inherit: a Java archive is a zip file, and its program
    // would run it.
    static const QStringList documents = {
        QStringLiteral("application/pdf"),
        QStringLiteral("application/epub+zip"),
        QStringLiteral("application/gzip"),
        QStringLiteral("application/x-bzip"),
        QStringLiteral("application/x-bzip2"),
        QStringLiteral("application/x-xz"),
        QStringLiteral("application/zstd"),
        QStringLiteral("application/zip"),
        QStringLiteral("application/x-tar"),
        QStringLiteral("application/x-compressed-tar"),
        QStringLiteral("application/x-bzip-compressed-tar"),
        QStringLiteral("application/x-xz-compressed-tar"),
    };
    if (documents.contains(name) || name.startsWith(u"image/") || name.startsWith(u"audio/") ||
        name.startsWith(u"video/"))
        return FileUse::HandOn;
    return FileUse::Refuse;
}

bool openFile(const QString &path)
{
    if (fileUse(path) != FileUse::HandOn || !QFileInfo(path).isFile()) {
        qCWarning(lcPlatform) << "not a document to hand on; not opened:" << path;
        return false;
    }
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!opened)
        qCWarning(lcPlatform) << "no program took the file" << path;
    return opened;
}

} // namespace platform
