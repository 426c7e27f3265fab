#include "appfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits.h>
#include <unistd.h>

namespace platform {
namespace {

// The path the program was started by, absolute: its argv[0], looked up on PATH when it names no
// folder, as the shell and the desktop found it. Read once, before anyone changes the working folder;
// empty when it can't be known.
QString startedPath()
{
    static const QString path = [] {
        QFile cmdline(QStringLiteral("/proc/self/cmdline"));
        if (!cmdline.open(QIODevice::ReadOnly))
            return QString();
        const QString argv0 = QFile::decodeName(cmdline.readAll().split('\0').value(0));
        if (argv0.isEmpty())
            return QString();
        if (argv0.contains(u'/'))
            return QFileInfo(argv0).absoluteFilePath();
        for (const QByteArray &folder : qgetenv("PATH").split(':')) {
            const QFileInfo candidate(QDir(QFile::decodeName(folder)).filePath(argv0));
            if (!folder.isEmpty() && candidate.isFile() && candidate.isExecutable())
                return candidate.absoluteFilePath();
        }
        return QString();
    }();
    return path;
}

// Where the symbolic link at path leads, one step, as an absolute path.
QString linkTarget(const QString &path)
{
    char target[PATH_MAX];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    if (size <= 0 || size_t(size) >= sizeof target)
        return {};
    return QDir::cleanPath(QFileInfo(path).dir().filePath(QFile::decodeName(QByteArray(target, size))));
}

} // namespace

QString applicationFolder()
{
    // /proc/self/exe names the executable even before an application object exists.
    const QFileInfo exe(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    QString folder = exe.absolutePath();
    // A book's package starts the runtime's reader through a link of the program's name in the book's
    // own folder: the last such link on the way from the started path to the program names the folder.
    const QString started = startedPath();
    if (started.isEmpty() || QFileInfo(started).canonicalFilePath() != exe.filePath())
        return folder;
    QString path = started;
    for (int step = 0; step < 40 && QFileInfo(path).isSymLink(); ++step) {
        if (QFileInfo(path).fileName() == exe.fileName())
            folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
        path = linkTarget(path);
    }
    return folder;
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
