#include "appfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <limits.h>
#include <unistd.h>

namespace platform {
namespace {

// The id whose folders hold each user's files, empty for the program's own: kept by the application
// object, which the component files, with their own copy of this code, share with the program.
constexpr char kUserFoldersProperty[] = "tavloUserFolders";

QString ownUserFolders()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application ? application->property(kUserFoldersProperty).toString() : QString();
}

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

QString packagedAppName(const QString &applicationFolder, const QString &id)
{
    QFile entry(QDir(applicationFolder).filePath(QStringLiteral("../../share/applications/%1.desktop").arg(id)));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // The entry's own group comes first, as tavlo-book writes it; a backslash is doubled there.
    while (!entry.atEnd()) {
        QString line = QString::fromUtf8(entry.readLine());
        if (line.endsWith(u'\n'))
            line.chop(1);
        if (line.startsWith(u'[') && line != QLatin1String("[Desktop Entry]"))
            break;
        if (line.startsWith(QLatin1String("Name=")))
            return line.sliced(5).replace(QLatin1String("\\\\"), QLatin1String("\\"));
    }
    return {};
}

void setOwnUserFolders(const QString &id)
{
    QCoreApplication::instance()->setProperty(kUserFoldersProperty, id);
}

QString userDataFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return ownUserFolders().isEmpty() ? data : data + u'/' + ownUserFolders();
}

QString userConfigFolder()
{
    const QString id = ownUserFolders();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           (id.isEmpty() ? QStringLiteral("tavlo") : id);
}

} // namespace platform
