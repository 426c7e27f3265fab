#include "components.h"

#include "failure.h"
#include "hostpath.h"
#include "logging.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QSettings>
#include <QStandardPaths>
#include <QVariantMap>

#include <algorithm>

namespace platform {
namespace {

QString registryFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder + QStringLiteral("/tavlo/components.ini");
}

QSettings registry() { return QSettings(registryFile(), QSettings::IniFormat); }

QString registryKey(const QString &className) { return QStringLiteral("classes/") + className; }

QString quoted(const QString &s) { return u'"' + s + u'"'; }

// What this run registered, kept on the application object: the program and each component file
// carry a copy of this code of their own, but share that object. Empty without one. Entries are
// by registry file and class.
constexpr char kRunRegistry[] = "tavlo.components";

QVariantMap runRegistry()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app ? app->property(kRunRegistry).toMap() : QVariantMap();
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

void *createComponent(const QString &className, const QStringList &trustedFiles)
{
    const QString file = registeredComponentFile(className);
    auto fail = [&](const QString &why) -> Failure {
        return Failure(error::CannotCreateComponent,
                       QStringLiteral("ActiveX component can't create object: class %1 %2")
                           .arg(quoted(className), why));
    };
    if (file.isEmpty())
        throw fail(QStringLiteral("is not registered"));
    if (!QFileInfo(file).isFile())
        throw fail(QStringLiteral("is registered to %1, which is gone").arg(quoted(file)));
    const QString canonical = QFileInfo(file).canonicalFilePath();
    const bool trusted = std::any_of(trustedFiles.begin(), trustedFiles.end(), [&](const QString &t) {
        return QFileInfo(t).canonicalFilePath() == canonical;
    });
    if (!trusted)
        throw fail(QStringLiteral("is registered to %1, which is not one of the program's own component files")
                       .arg(quoted(file)));

    // The library stays loaded for the life of the program: its objects live as long.
    QLibrary library(file);
    if (!library.load())
        throw fail(QStringLiteral("is registered to %1, which won't load: %2").arg(quoted(file), library.errorString()));
    using GetClassObject = void *(*)(const char *);
    const auto get = reinterpret_cast<GetClassObject>(library.resolve("DllGetClassObject"));
    if (!get)
        throw fail(QStringLiteral("is registered to %1, which has no DllGetClassObject").arg(quoted(file)));
    void *object = get(className.toUtf8().constData());
    if (!object)
        throw fail(QStringLiteral("is registered to %1, which does not provide it").arg(quoted(file)));
    return object;
}

bool isLibraryFile(const QString &name)
{
    QFile file(toHostPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // An ELF file whose type (the 16-bit field at offset 16) is ET_DYN, a shared object.
    const QByteArray header = file.read(18);
    if (header.size() < 18 || !header.startsWith("\x7f" "ELF"))
        return false;
    const bool littleEndian = header[5] == 1;
    const int type = littleEndian ? uchar(header[16]) | uchar(header[17]) << 8 : uchar(header[17]) | uchar(header[16]) << 8;
    return type == 3;
}

int callDllRegisterServer(const QString &libraryName, LetterCase letterCase)
{
    const QString path = toHostPath(libraryName, letterCase);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw Failure(error::FileNotFound, QStringLiteral("File not found: %1").arg(quoted(libraryName)));
    QLibrary library(path);
    if (!library.load())
        throw Failure(error::DllLoadFailed, QStringLiteral("Error in loading DLL %1: %2").arg(quoted(path), library.errorString()));
    using RegisterServer = int (*)();
    const auto entry = reinterpret_cast<RegisterServer>(library.resolve("DllRegisterServer"));
    if (!entry)
        throw Failure(error::DllEntryPointMissing, QStringLiteral("Can't find DLL entry point DllRegisterServer in %1").arg(quoted(path)));
    return entry();
}

} // namespace platform
