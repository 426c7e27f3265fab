// Mapping the program's file names to paths of this machine, on any name. Drive "c:" is a
// temporary data folder and relative names resolve in a temporary working folder; both hold a few
// entries in mixed letter case, so the case-insensitive fallback has something to find, and a few
// whose names end with blanks, so that folders and files named so are found as written.
#include "fuzzcheck.h"

#include "platform/codepage.h"
#include "platform/hostpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString dataFolder;
QString workFolder;

void makeEntries(const QString &root)
{
    QDir(root).mkpath(QStringLiteral("Images/Sub Dir"));
    QDir(root).mkpath(QStringLiteral("TessavaneTavlo"));
    QDir(root).mkpath(QStringLiteral("My Book /images "));
    for (const char *name :
         {"Images/Pre.GIF", "Images/next.gif", "Images/NEXT.gif", "TessavaneTavlo/DhtmlEd.ocx", "tessavanetavlo.tavlo",
          "A.b", "a.B", "Images/pre.gif ", "My Book /Note  ", "My Book /tessavanetavlo.tavlo"}) {
        QFile file(root + u'/' + QString::fromLatin1(name));
        file.open(QIODevice::WriteOnly);
    }
}

bool isOtherDrive(const QString &name)
{
    return name.size() >= 2 && name[1] == u':' && name[0].isLetter() && name[0].toLower() != u'c';
}

bool isDriveC(const QString &name)
{
    return name.size() >= 2 && name[1] == u':' && name[0].toLower() == u'c';
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString withoutTrailingBlanks(QString name)
{
    while (name.endsWith(u' '))
        name.chop(1);
    return name;
}

// Checks path's parts, after what stands for the drive or the root, against the parts written in
// the name, rest, after its drive: each folder as written, blanks and all, in any letter case; the
// file name, after the last separator, without its trailing blanks, unless an entry of exactly that
// name exists in the folder; empty parts count for nothing.
void checkParts(const QString &rest, const QString &path, const QString &pathParts, const QString &detail)
{
    QStringList folders = rest.split(QRegularExpression(QStringLiteral("[\\\\/]")));
    const QString fileName = folders.takeLast();
    folders.removeAll(QString());
    const QStringList got = pathParts.split(u'/', Qt::SkipEmptyParts);
    const bool hasFileName = got.size() == folders.size() + 1;
    FUZZ_CHECK_MSG(hasFileName || got.size() == folders.size(), detail);
    for (qsizetype i = 0; i < folders.size(); ++i)
        FUZZ_CHECK_MSG(sameName(got[i], folders[i]), detail);

    // The folder that holds the file name, with its separator.
    QString folder = path.isEmpty() ? QString() : path + u'/';
    if (hasFileName)
        folder = path.first(path.size() - got.last().size());
    const bool existsAsWritten = fileName.endsWith(u' ') && QFileInfo::exists(folder + fileName);
    const QString expected = existsAsWritten ? fileName : withoutTrailingBlanks(fileName);
    FUZZ_CHECK_MSG(hasFileName == !expected.isEmpty(), detail);
    if (!hasFileName)
        return;
    if (existsAsWritten)
        FUZZ_CHECK_MSG(got.last() == fileName, detail);
    else
        FUZZ_CHECK_MSG(sameName(got.last(), expected), detail);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dataFolder = fuzz::runFolderPath(QStringLiteral("data"));
    workFolder = fuzz::runFolderPath(QStringLiteral("work"));
    makeEntries(dataFolder);
    makeEntries(workFolder);
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataFolder));
    if (!QDir::setCurrent(workFolder) || platform::driveCFolder() != dataFolder)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    // The first byte says how the rest is read: as a name of the book's code page, as UTF-8 (names
    // that reach the program from the page view), or inside the working folder by its full path.
    QString name;
    switch (data[0] % 3) {
    case 0:
        name = platform::decodeCodePage(rest);
        break;
    case 1:
        name = QString::fromUtf8(rest);
        break;
    default:
        name = workFolder + u'\\' + platform::decodeCodePage(rest);
        break;
    }

    QString path;
    try {
        path = platform::toHostPath(name);
    } catch (...) {
        FUZZ_CHECK_MSG(false, QStringLiteral("toHostPath threw on \"%1\"").arg(name));
    }

    const auto detail = [&] { return QStringLiteral("\"%1\" gave \"%2\"").arg(name, path); };
    FUZZ_CHECK_MSG(!path.contains(u'\\'), detail());
    FUZZ_CHECK_MSG(!path.contains(QStringLiteral("//")), detail());
    if (isOtherDrive(name)) {
        FUZZ_CHECK_MSG(path.isEmpty(), detail());
    } else if (isDriveC(name)) {
        FUZZ_CHECK_MSG(path == dataFolder || path.startsWith(dataFolder + u'/'), detail());
        checkParts(name.mid(2), path, path.mid(dataFolder.size()), detail());
    } else if (name.startsWith(u'\\') || name.startsWith(u'/')) {
        FUZZ_CHECK_MSG(path.startsWith(u'/'), detail());
        checkParts(name, path, path, detail());
    } else {
        FUZZ_CHECK_MSG(!path.startsWith(u'/'), detail());
        checkParts(name, path, path, detail());
    }
    return 0;
}
