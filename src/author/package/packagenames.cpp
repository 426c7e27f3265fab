#include "author/packagenames.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace packagenames {
namespace {

using namespace Qt::StringLiterals;

// Debian 12's packages of priority required and the essential ones, which every Debian system has
// (or may install at any time) whatever this machine holds, and the reader's own packages.
const QStringList kBaseSystem =
    u"apt base-files base-passwd bash bsdutils coreutils dash debconf debian-archive-keyring "
    "debianutils diffutils dmsetup dpkg e2fsprogs findutils gcc-12-base gpgv grep gzip hostname "
    "init-system-helpers libc-bin libc6 libgcc-s1 liblocale-gettext-perl libpam-modules "
    "libpam-modules-bin libpam-runtime libstdc++6 logsave login mawk mount ncurses-base "
    "ncurses-bin passwd perl-base sed sensible-utils sysvinit-utils tar tzdata util-linux zlib1g "
    "tavlo tavlo-book"_s.split(u' ');

// A program's standard output when it runs and exits with 0; empty when it is missing or fails, as
// dpkg and apt are on a machine that is not Debian.
QString outputOf(const QString &program, const QStringList &args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return {};
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The packages that dpkg says hold path, as "bash" or "a, b".
QString ownersOf(const QString &path)
{
    const QString line = outputOf(u"dpkg-query"_s, {u"-S"_s, path});
    return line.left(line.lastIndexOf(u": "_s));
}

// The installed package that holds the application folder of id: the book itself, packaged before.
QString installedBook(const QString &id)
{
    return ownersOf(u"/usr/lib/"_s + id);
}

// How this machine knows name as a package, in words; empty when it does not.
QString knownPackage(const QString &name)
{
    if (kBaseSystem.contains(name))
        return u"a package of every Debian system"_s;
    if (!outputOf(u"dpkg-query"_s, {u"-W"_s, name}).isEmpty())
        return u"a package this machine's dpkg knows"_s;
    if (!outputOf(u"apt-cache"_s, {u"showpkg"_s, name}).isEmpty())
        return u"a package this machine's apt knows"_s;
    return {};
}

QString lastPart(const QString &id)
{
    return id.sliced(id.lastIndexOf(u'.') + 1);
}

} // namespace

QString packageOfId(const QString &id)
{
    return id.toLower().replace(u'_', u'-');
}

QString commandOfId(const QString &id)
{
    QString command = packageOfId(lastPart(id));
    while (command.startsWith(u'-'))
        command.remove(0, 1);
    return command;
}

bool isDebianName(const QString &name)
{
    static const QRegularExpression pattern(u"\\A[a-z0-9][a-z0-9+.-]+\\z"_s);
    return pattern.match(name).hasMatch();
}

QString packageClash(const QString &package, const QString &id)
{
    const QString known = knownPackage(package);
    if (known.isEmpty() || (!kBaseSystem.contains(package) && installedBook(id) == package))
        return {};
    return u"the package name \"%1\" is %2: give the book's package another name with --package NAME"_s.arg(package,
                                                                                                            known);
}

QString commandClash(const QString &command, const QString &id)
{
    const auto clash = [&](const QString &what) {
        return u"the command \"%1\" is taken: %2; give the book another command with --command NAME"_s.arg(command,
                                                                                                           what);
    };
    const QString book = installedBook(id);
    if (const QString known = knownPackage(command);
        !known.isEmpty() && (book != command || kBaseSystem.contains(command)))
        return clash(u"it is the name of "_s + known);
    for (const QString &path :
         QStringList{u"/usr/bin/"_s + command, u"/bin/"_s + command, u"/usr/share/man/man1/%1.1.gz"_s.arg(command)}) {
        const QString owners = ownersOf(path);
        if (!owners.isEmpty() && owners != book)
            return clash(u"%1 belongs to the package %2"_s.arg(path, owners));
    }
    const QString onPath = QStandardPaths::findExecutable(command);
    // The book's own command, installed before, leads into its own application folder.
    if (!onPath.isEmpty() && QFileInfo(onPath).symLinkTarget() != u"/usr/lib/%1/pellomare"_s.arg(id))
        return clash(onPath + u" is on PATH"_s);
    return {};
}

} // namespace packagenames
