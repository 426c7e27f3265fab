// The files a page may have served: on any URL path, what applicationFile() gives is a regular file
// inside the application folder and no book file; and what fileInsideFolder() gives for a name joined
// to the folder, as tavlo-book pack joins the names of book.txt, is a regular file inside it. The
// folder holds files and folders in mixed letter case, a book file, and symbolic links that lead out
// of it, to the book and around in a circle; beside it lies a secret file that must never be reached.
#include "fuzzcheck.h"

#include "platform/appfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString appFolder;

void write(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    appFolder = fuzz::runFolderPath(QStringLiteral("App Folder"));
    for (const char *name : {"tessavanetavlo.tavlo", "Images/Rose.GIF", "images/lily.gif", "css/Style.css",
                             "Common_Content/css/default.css", "a b/c d.js"})
        write(appFolder + u'/' + QString::fromLatin1(name));
    const QString secret = fuzz::runFolderPath(QStringLiteral("secret.txt"));
    write(secret);
    QFile::link(secret, appFolder + QStringLiteral("/out.css"));
    QFile::link(QStringLiteral(".."), appFolder + QStringLiteral("/up"));
    QFile::link(appFolder + QStringLiteral("/tessavanetavlo.tavlo"), appFolder + QStringLiteral("/book.css"));
    QFile::link(QStringLiteral("loop2"), appFolder + QStringLiteral("/loop1"));
    QFile::link(QStringLiteral("loop1"), appFolder + QStringLiteral("/loop2"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString folder = QFileInfo(appFolder).canonicalFilePath();
    // As a page's URL gives it, and as the program's own picture paths do, after the folder; and as a
    // page in the folder that the input's first line names asks for the rest, missing files coming
    // from the root.
    const QString pageFolder = path.section(u'\n', 0, 0);
    const QString urlPaths[] = {path, appFolder + u'/' + path, appFolder + u'\\' + path, path.section(u'\n', 1)};
    for (const QString &urlPath : urlPaths) {
        const platform::ApplicationFile file = &urlPath == &urlPaths[3]
                                                   ? platform::pageFile(appFolder, urlPath, pageFolder)
                                                   : platform::applicationFile(appFolder, urlPath);
        FUZZ_CHECK((file.refusal == platform::ApplicationFile::Refusal::None) == !file.path.isEmpty());
        if (file.path.isEmpty())
            continue;
        const QFileInfo info(file.path);
        FUZZ_CHECK_MSG(file.path.startsWith(folder + u'/') && info.canonicalFilePath() == file.path && info.isFile() &&
                           !file.path.endsWith(QLatin1String(".tavlo"), Qt::CaseInsensitive),
                       QStringLiteral("\"%1\" gave \"%2\"").arg(urlPath, file.path));
    }
    // The rule underneath, as a folder's own list of files names them: the name joined to the folder
    // as written, without letter case looked up. What it takes is a regular file inside the folder.
    const platform::ApplicationFile inside = platform::fileInsideFolder(appFolder, appFolder + u'/' + path);
    FUZZ_CHECK((inside.refusal == platform::ApplicationFile::Refusal::None) == !inside.path.isEmpty());
    FUZZ_CHECK(inside.refusal != platform::ApplicationFile::Refusal::BookFile);
    if (!inside.path.isEmpty()) {
        const QFileInfo info(inside.path);
        FUZZ_CHECK_MSG(inside.path.startsWith(folder + u'/') && info.canonicalFilePath() == inside.path &&
                           info.isFile(),
                       QStringLiteral("\"%1\" gave \"%2\"").arg(path, inside.path));
    }
    return 0;
}
