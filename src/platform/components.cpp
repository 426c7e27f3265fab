#include "components.h"

#include "appfolder.h"
#include "failure.h"
#include "hostpath.h"
#include "logging.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QSettings>
#include <QVariantMap>

#include <algorithm>
#include <cstring>
#include <vector>

#include <link.h>

// The ELF header of the program or library that this code is linked into, placed by the linker: a
// component file must be made for the same machine.
extern "C" __attribute__((visibility("hidden"))) const ElfW(Ehdr) __ehdr_start; // NOLINT(bugprone-reserved-identifier)

namespace platform {
namespace {

QString registryFile()
{
    return userConfigFolder() + QStringLiteral("/components.ini");
}

QSettings registry()
{
    return QSettings(registryFile(), QSettings::IniFormat);
}

QString registryKey(const QString &className)
{
    return QStringLiteral("classes/") + className;
}

QString quoted(const QString &s)
{
    return u'"' + s + u'"';
}

// What this run registered, kept on the application object: the program and each component file
// carry a copy of this code of their own, but share that object. Empty without one. Entries are
// by registry file and class.
constexpr char kRunRegistry[] = "tavlo.components";

QVariantMap runRegistry()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app ? app->property(kRunRegistry).toMap() : QVariantMap();
}

// Reads count entries of a header table that starts at offset; false when the file ends first.
template <typename Entry> bool readTable(QFile &file, quint64 offset, quint64 count, std::vector<Entry> &entries)
{
    if (count > quint64(file.size()) / sizeof(Entry) || offset > quint64(file.size()) ||
        count * sizeof(Entry) > quint64(file.size()) - offset || !file.seek(qint64(offset)))
        return false;
    entries.resize(count);
    const qint64 length = qint64(count * sizeof(Entry));
    return file.read(reinterpret_cast<char *>(entries.data()), length) == length;
}

// What makes the open file no shared library of this machine, or empty when it is one. Every table
// and every part of the file that its headers name must lie within the file: a file cut short, as a
// download or a copy that broke off, is refused even though its header is whole.
QString libraryDefect(QFile &file)
{
    const quint64 size = quint64(file.size());
    ElfW(Ehdr) header;
    if (file.read(reinterpret_cast<char *>(&header), sizeof header) != qint64(sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return QStringLiteral("not an ELF file");
    if (header.e_ident[EI_CLASS] != __ehdr_start.e_ident[EI_CLASS] ||
        header.e_ident[EI_DATA] != __ehdr_start.e_ident[EI_DATA] || header.e_machine != __ehdr_start.e_machine)
        return QStringLiteral("made for another machine");
    if (header.e_type != ET_DYN)
        return QStringLiteral("not a shared object");

    const auto within = [size](quint64 offset, quint64 length) { return offset <= size && length <= size - offset; };
    std::vector<ElfW(Phdr)> segments;
    if (header.e_phentsize != sizeof(ElfW(Phdr)) || !readTable(file, header.e_phoff, header.e_phnum, segments))
        return QStringLiteral("its program header table is cut off");
    bool loads = false;
    bool dynamic = false;
    for (const ElfW(Phdr) & segment : segments) {
        if (!within(segment.p_offset, segment.p_filesz))
            return QStringLiteral("a segment is cut off");
        loads = loads || segment.p_type == PT_LOAD;
        dynamic = dynamic || segment.p_type == PT_DYNAMIC;
    }
    if (!loads || !dynamic)
        return QStringLiteral("it has nothing to load or no dynamic section");

    // The loader needs no section header table, but where there is one it usually ends the file, so
    // it shows a file cut by even a byte.
    if (header.e_shoff == 0)
        return {};
    std::vector<ElfW(Shdr)> sections;
    if (header.e_shentsize != sizeof(ElfW(Shdr)) || !readTable(file, header.e_shoff, 1, sections))
        return QStringLiteral("its section header table is cut off");
    // With more sections than the header can count, the first entry holds their number.
    const quint64 count = header.e_shnum != 0 ? header.e_shnum : sections.front().sh_size;
    if (!readTable(file, header.e_shoff, count, sections))
        return QStringLiteral("its section header table is cut off");
    for (const ElfW(Shdr) & section : sections) {
        if (section.sh_type != SHT_NOBITS && !within(section.sh_offset, section.sh_size))
            return QStringLiteral("a section is cut off");
    }
    return {};
}

} // namespace

void registerComponent(const QString &className, const QString &filePath)
{
    if (QCoreApplication *app = QCoreApplication::instance()) {
        QVariantMap registered = runRegistry();
        registered.insert(registryFile() + u'|' + className, filePath);
        app->setProperty(kRunRegistry, registered);
    }
    QSettings settings = registry();
    settings.setValue(registryKey(className), filePath);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qCDebug(lcPlatform) << "the registry" << registryFile() << "can't be written;" << className
                            << "is registered for this run only";
}

QString registeredComponentFile(const QString &className)
{
    const QVariant thisRun = runRegistry().value(registryFile() + u'|' + className);
    return thisRun.isValid() ? thisRun.toString() : registry().value(registryKey(className)).toString();
}

QObject *createComponent(const QString &className, const QStringList &trustedFiles, QObject *parent)
{
    const QString file = registeredComponentFile(className);
    auto fail = [&](const QString &why) -> Failure {
        return Failure(
            error::CannotCreateComponent,
            QStringLiteral("ActiveX component can't create object: class %1 %2").arg(quoted(className), why));
    };
    if (file.isEmpty())
        throw fail(QStringLiteral("is not registered"));
    if (!QFileInfo(file).isFile())
        throw fail(QStringLiteral("is registered to %1, which is gone").arg(quoted(file)));
    const QString canonical = QFileInfo(file).canonicalFilePath();
    const bool trusted = std::any_of(trustedFiles.begin(), trustedFiles.end(),
                                     [&](const QString &t) { return QFileInfo(t).canonicalFilePath() == canonical; });
    if (!trusted)
        throw fail(QStringLiteral("is registered to %1, which is not one of the program's own component files")
                       .arg(quoted(file)));

    // The library stays loaded for the life of the program: its objects live as long.
    QLibrary library(file);
    if (!library.load())
        throw fail(
            QStringLiteral("is registered to %1, which won't load: %2").arg(quoted(file), library.errorString()));
    using GetClassObject = QObject *(*)(const char *, QObject *);
    const auto get = reinterpret_cast<GetClassObject>(library.resolve("DllGetClassObject"));
    if (!get)
        throw fail(QStringLiteral("is registered to %1, which has no DllGetClassObject").arg(quoted(file)));
    QObject *object = get(className.toUtf8().constData(), parent);
    if (!object)
        throw fail(QStringLiteral("is registered to %1, which does not provide it").arg(quoted(file)));
    return object;
}

bool isLibraryFile(const QString &name)
{
    QFile file(toHostPath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcPlatform) << name << "can't be read:" << file.errorString();
        return false;
    }
    const QString defect = libraryDefect(file);
    if (!defect.isEmpty())
        qCDebug(lcPlatform).noquote() << name << "is no library:" << defect;
    return defect.isEmpty();
}

int callDllRegisterServer(const QString &libraryName, LetterCase letterCase)
{
    const QString path = toHostPath(libraryName, letterCase);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw Failure(error::FileNotFound, QStringLiteral("File not found: %1").arg(quoted(libraryName)));
    QLibrary library(path);
    if (!library.load())
        throw Failure(error::DllLoadFailed,
                      QStringLiteral("Error in loading DLL %1: %2").arg(quoted(path), library.errorString()));
    using RegisterServer = int (*)();
    const auto entry = reinterpret_cast<RegisterServer>(library.resolve("DllRegisterServer"));
    if (!entry)
        throw Failure(error::DllEntryPointMissing,
                      QStringLiteral("Can't find DLL entry point DllRegisterServer in %1").arg(quoted(path)));
    return entry();
}

} // namespace platform
