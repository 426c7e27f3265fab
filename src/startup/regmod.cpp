#include "regmod.h"

#include <pageview/pageview.h>
#include <platform/appfolder.h>
#include <platform/components.h>
#include <platform/failure.h>
#include <platform/filesystem.h>
#include <platform/hostpath.h>
#include <reader/form1.h>

#include <QFile>
#include <QLoggingCategory>

#include <array>
#include <iterator>
#include <memory>

Q_LOGGING_CATEGORY(lcStartup, "tavlo.startup", QtWarningMsg)

namespace regmod {
namespace {

const QString kInstallFolder = QStringLiteral("c:\\TessavaneTavlo");
const QString kInstallDestination = QStringLiteral("c:\\TessavaneTavlo\\");

// Each component file: its two sources beside the program, and the file that registration loads.
// That is the copy in the install folder, which keeps its source's name: the registration path
// "c:\TessavaneTavlo\DhtmlED.OCX" was written for a file system that ignores letter case, and
// here names the installed "dhtmled.ocx" exactly, never a file whose name differs from it in case.
struct ComponentFile {
    const char *firstSource;
    const char *secondSource;
    const char *installed;
};
constexpr ComponentFile kComponentFiles[] = {
    {"\\supportfiles\\dhtmled.ocx", "\\dhtmled.ocx", "c:\\TessavaneTavlo\\dhtmled.ocx"},
    {"\\supportfiles\\triedit.dll", "\\triedit.dll", "c:\\TessavaneTavlo\\triedit.dll"},
};
constexpr const ComponentFile &kControl = kComponentFiles[0];
constexpr const ComponentFile &kLibrary = kComponentFiles[1];

// Runs one installation step; a step that fails is skipped. A test that fails counts as passed, so
// the step it guards is attempted in turn.
template <typename Step> void skipOnFailure(Step &&step)
{
    try {
        step();
    } catch (const platform::Failure &failure) {
        qCDebug(lcStartup) << "skipped:" << failure.description();
    }
}

template <typename Test> bool passes(Test &&test)
{
    bool result = true;
    skipOnFailure([&] { result = test(); });
    return result;
}

// Copies a component file into the install folder. A damaged source that is no library at all is
// refused like a copy that fails: it would replace a working installed component with a broken one.
void copyComponent(const platform::FileSystem &fileSystem, const QString &source)
{
    if (!platform::isLibraryFile(source))
        throw platform::Failure(platform::error::PermissionDenied,
                                QStringLiteral("%1 is not a component library; it is not installed").arg(source));
    fileSystem.copyFile(source, kInstallDestination, true);
}

// The source a component file is installed from: the first of its two sources that exists, in the
// program's form, or empty when neither does.
QString sourceOf(const QString &applicationFolder, const platform::FileSystem &fileSystem, const ComponentFile &file)
{
    for (const char *source : {file.firstSource, file.secondSource}) {
        QString name = applicationFolder + QLatin1String(source);
        if (passes([&] { return fileSystem.fileExists(name); }))
            return name;
    }
    return {};
}

// True when the two files hold the same bytes. Each is opened without waiting and only as a regular
// file, so a named pipe planted in the install folder can't hold up the start.
bool sameBytes(const QString &path, const QString &otherPath)
{
    const std::unique_ptr<QFile> file = platform::openRegularFile(path);
    const std::unique_ptr<QFile> other = platform::openRegularFile(otherPath);
    if (file->size() != other->size())
        return false;
    constexpr qint64 kChunk = 1 << 16;
    while (!file->atEnd() || !other->atEnd()) {
        const QByteArray bytes = file->read(kChunk);
        if (bytes.isEmpty() || bytes != other->read(kChunk))
            return false;
    }
    return true;
}

// True when the installed copy of a file holds the very bytes of the source it is installed from, as
// it does when this run has just copied it. A program copied without its component files, or with a
// source so damaged that it is never installed, has nothing to compare with: what an earlier start
// installed is all it has, and is used as before.
bool holdsItsSource(const QString &applicationFolder, const platform::FileSystem &fileSystem, const ComponentFile &file)
{
    const QString source = sourceOf(applicationFolder, fileSystem, file);
    if (source.isEmpty() || !platform::isLibraryFile(source))
        return true;
    bool same = false;
    skipOnFailure([&] {
        same = sameBytes(platform::toHostPath(QLatin1String(file.installed), platform::LetterCase::Exact),
                         platform::toHostPath(source));
    });
    return same;
}

// Which installed copies may be registered and loaded, in the order of kComponentFiles. The install
// folder lies in the user's data folder, which others than this program may have written to; where
// the copy fails (a read-only or full folder, a write-protected file), whatever lies there would
// otherwise run. The control loads the library that lies beside it, so it is trusted only together
// with that library. Each file is compared once.
std::array<bool, std::size(kComponentFiles)> trustedCopies(const QString &applicationFolder,
                                                           const platform::FileSystem &fileSystem)
{
    const bool library = holdsItsSource(applicationFolder, fileSystem, kLibrary);
    return {holdsItsSource(applicationFolder, fileSystem, kControl) && library, library};
}

} // namespace

void installSupportFilesFrom(const QString &applicationFolder, const platform::FileSystem &fileSystem)
{
    if (!passes([&] { return fileSystem.folderExists(kInstallFolder); }))
        skipOnFailure([&] { fileSystem.createFolder(kInstallFolder); });

    for (const ComponentFile &file : kComponentFiles) {
        const QString first = applicationFolder + QLatin1String(file.firstSource);
        const QString second = applicationFolder + QLatin1String(file.secondSource);
        // The second source is looked at only when the first does not exist; a failed copy is not
        // retried from it.
        if (passes([&] { return fileSystem.fileExists(first); }))
            skipOnFailure([&] { copyComponent(fileSystem, first); });
        else if (passes([&] { return fileSystem.fileExists(second); }))
            skipOnFailure([&] { copyComponent(fileSystem, second); });
    }

    registerComponentsFrom(applicationFolder, fileSystem);
}

void registerComponentsFrom(const QString &applicationFolder, const platform::FileSystem &fileSystem)
{
    const auto trusted = trustedCopies(applicationFolder, fileSystem);
    for (std::size_t i = 0; i < std::size(kComponentFiles); ++i) {
        const ComponentFile &file = kComponentFiles[i];
        const QString source = sourceOf(applicationFolder, fileSystem, file);
        int status = -1;
        if (trusted[i]) {
            skipOnFailure([&] {
                status = platform::callDllRegisterServer(QLatin1String(file.installed), platform::LetterCase::Exact);
            });
        }
        if (status == 0)
            continue;
        // Nothing usable was installed (a data folder that is read-only or full), or what lies in the
        // install folder is not what the program would have put there: the file is registered where
        // its source lies beside the program. A damaged source is not loaded, as it is not installed.
        if (!source.isEmpty() && platform::isLibraryFile(source))
            skipOnFailure([&] { platform::callDllRegisterServer(source); });
    }
}

QStringList componentFiles(const QString &applicationFolder)
{
    // The same rule as registration: an installed control that is not its source's copy is never
    // loaded, whatever the registry says.
    QStringList files;
    if (trustedCopies(applicationFolder, platform::FileSystem())[0])
        files << platform::toHostPath(QLatin1String(kControl.installed), platform::LetterCase::Exact);
    for (const char *source : {kControl.firstSource, kControl.secondSource})
        files << platform::toHostPath(applicationFolder + QLatin1String(source));
    files.removeAll(QString());
    return files;
}

void InstallSupportFiles()
{
    installSupportFilesFrom(platform::applicationFolder(), platform::FileSystem());
}

void RegisterComponents()
{
    registerComponentsFrom(platform::applicationFolder(), platform::FileSystem());
}

void Main(book::BookLoad *bookLoad)
{
    InstallSupportFiles();
    // The window deletes itself when it is closed, and the program ends with its only window.
    const QString folder = platform::applicationFolder();
    reader::ReaderServices services = reader::ReaderServices::platformServices();
    if (bookLoad)
        services.loadBook = [bookLoad](const QString &path) { return bookLoad->take(path); };
    auto *form = new reader::Form1(
        [&](QWidget *window) { return pageview::createPageView(componentFiles(folder), window, folder); },
        std::move(services));
    form->setAttribute(Qt::WA_DeleteOnClose);
    try {
        form->showModeless();
    } catch (...) {
        delete form;
        throw;
    }
}

} // namespace regmod
