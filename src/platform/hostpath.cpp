#include "hostpath.h"

#include "appfolder.h"
#include "failure.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace platform {
namespace {

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QStringView dropTrailingBlanks(QStringView part)
{
    qsizetype end = part.size();
    while (end > 0 && part[end - 1] == u' ')
        --end;
    return part.first(end);
}

// The file name that folder's entry name stands for: blanks at its end are not part of it, except
// where an entry exists with exactly that name, blanks and all.
QString fileNamePart(const QString &folder, QStringView name)
{
    const QStringView dropped = dropTrailingBlanks(name);
    if (dropped.size() == name.size())
        return name.toString();
    const QString written = name.toString();
    return QFileInfo::exists(folder.isEmpty() ? written : joined(folder, written)) ? written : dropped.toString();
}

// The entry of folder whose name is part, or failing that one that differs only in letter case
// (the first in name order, so the choice does not depend on the order of the directory).
QString findEntry(const QString &folder, const QString &part)
{
    QString exact = joined(folder, part);
    if (part == u"." || part == u".." || QFileInfo::exists(exact))
        return exact;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(part, Qt::CaseInsensitive) == 0)
            return joined(folder, entry);
    }
    return exact;
}

} // namespace

QString driveCFolder()
{
    // The root of a drive always exists; so does the folder that stands for it.
    QString folder = userDataFolder();
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    return folder;
}

QString toHostPath(const QString &name, LetterCase letterCase)
{
    QStringView rest(name);
    QString path;
    if (rest.size() >= 2 && rest[1] == u':' && rest[0].isLetter()) {
        if (rest[0].toLower() != u'c')
            return {};
        path = driveCFolder();
        rest = rest.sliced(2);
    } else if (!rest.isEmpty() && isSeparator(rest[0])) {
        path = QStringLiteral("/");
    }

    // Where the case of a name doesn't matter, an existing entry is looked for; else names are
    // joined as written.
    bool folderExists = letterCase == LetterCase::Ignored && (path.isEmpty() || QFileInfo(path).isDir());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSeparator(rest[i]))
            continue;
        // Folders are taken as written; only the last part, the file name, may lose blanks.
        const QStringView written = rest.sliced(start, i - start);
        const QString part = i == rest.size() ? fileNamePart(path, written) : written.toString();
        start = i + 1;
        if (part.isEmpty())
            continue;
        if (path.isEmpty()) {
            path = folderExists ? findEntry(QStringLiteral("."), part).mid(2) : part;
        } else if (folderExists) {
            path = findEntry(path, part);
        } else {
            path = joined(path, part);
        }
        folderExists = folderExists && QFileInfo(path).isDir();
    }
    return path;
}

QString hostPath(const QString &name)
{
    QString path = toHostPath(name);
    if (path.isEmpty())
        throw Failure(error::PathNotFound,
                      QStringLiteral("Path not found: \"%1\" names no place on this machine").arg(name));
    return path;
}

} // namespace platform
