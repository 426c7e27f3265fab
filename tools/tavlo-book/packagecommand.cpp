#include "packagecommand.h"

#include "usageerror.h"

#include "author/bookpackage.h"
#include "author/interruption.h"
#include "author/refusal.h"

namespace {

using namespace Qt::StringLiterals;

PackageRequest requestOf(const Arguments &args)
{
    PackageRequest request;
    request.appFolder = args.positional[0];
    request.id = args.option(u"--id"_s, {});
    request.name = args.option(u"--name"_s, {}).trimmed();
    if (request.id.isEmpty() || request.name.isEmpty())
        throw UsageError(u"package needs --id ID and --name NAME"_s);
    request.outDir = args.option(u"-o"_s, {});
    if (request.outDir.isEmpty())
        throw UsageError(u"package needs -o and the folder to write the package in"_s);

    // Every value goes into a line of some file of the package: none may begin another line.
    QStringList problems;
    for (auto it = args.options.cbegin(); it != args.options.cend(); ++it) {
        if (hasControlCharacter(it.value()))
            problems.append(u"%1 holds a line break or another control character"_s.arg(it.key()));
    }
    for (const char *variable : {"DEBFULLNAME", "DEBEMAIL"}) {
        if (!args.options.contains(u"--maintainer"_s) && hasControlCharacter(qEnvironmentVariable(variable)))
            problems.append(u"$%1 holds a line break or another control character"_s.arg(QLatin1String(variable)));
    }
    if (!problems.isEmpty())
        throw Refusal(problems);

    const auto given = [&](const QString &option) -> std::optional<QString> {
        if (!args.options.contains(option))
            return std::nullopt;
        return args.options.value(option);
    };
    request.packageName = given(u"--package"_s);
    request.command = given(u"--command"_s);
    request.version = given(u"--version"_s);
    request.summary = given(u"--summary"_s);
    request.icon = args.option(u"--icon"_s, {});
    request.license = given(u"--license"_s);
    request.copyright = args.option(u"--copyright"_s, {});
    request.maintainer = args.option(u"--maintainer"_s, {});
    request.description = args.option(u"--description"_s, {});
    request.homepage = args.option(u"--homepage"_s, {});
    request.categories = given(u"--categories"_s);
    request.allowMissing = args.flag(u"--allow-missing"_s);
    return request;
}

Output package(const Arguments &args)
{
    const InterruptGuard guard;
    try {
        const BuiltPackage built = buildPackage(requestOf(args));
        Output output((built.debFile + u'\n').toUtf8());
        if (!built.letThrough.isEmpty())
            output.notes += u"tavlo-book: %1: packaged with the errors --allow-missing lets through: %2\n"_s
                                .arg(built.bookFile, built.letThrough)
                                .toUtf8();
        for (const QString &line : built.leftOut)
            output.notes += (u"tavlo-book: "_s + line + u'\n').toUtf8();
        return output;
    } catch (const Interrupted &interrupted) {
        // The temporary files are gone with the stack; the signal ends tavlo-book as it came.
        InterruptGuard::endBy(interrupted.signal);
    }
}

} // namespace

Command packageCommand()
{
    return {u"package"_s,
            {u"APPFOLDER"_s},
            {u"-o"_s, u"--id"_s, u"--name"_s, u"--package"_s, u"--command"_s, u"--version"_s, u"--summary"_s,
             u"--icon"_s, u"--license"_s, u"--copyright"_s, u"--maintainer"_s, u"--description"_s, u"--homepage"_s,
             u"--categories"_s},
            {u"--allow-missing"_s},
            u"APPFOLDER -o OUTDIR --id ID --name NAME [--package P] [--command C] [--version V]\n"
            "          [--summary TEXT] [--icon PNG-or-SVG] [--license SPDX] [--copyright FILE]\n"
            "          [--maintainer \"Name <mail>\"] [--description FILE] [--homepage URL]\n"
            "          [--categories \"A;B\"] [--allow-missing]"_s,
            u"writes OUTDIR/P_VERSION_all.deb, the book of APPFOLDER (tessavanetavlo.tavlo, images/ and\n"
            "      every other regular file inside it) as an application of its own, which the runtime's\n"
            "      reader shows: in /usr/lib/ID, started by the command C, with its desktop entry, icon\n"
            "      and AppStream metadata. P is the id in lower case (\"_\" as \"-\"), C its last part;\n"
            "      a name that this machine or Debian's base system gives to something else is refused.\n"
            "      V defaults to 1.0 (Debian version 1.0-1); the icon is a square PNG of 256 pixels or\n"
            "      more, or a square SVG (default: the reader's); --copyright names a UTF-8 file of the\n"
            "      book's copyright lines and licence terms, --description one of the description's\n"
            "      paragraphs (else the first of the book's first page); the categories of the menu\n"
            "      default to \"Education;Literature\"; the maintainer to $DEBFULLNAME <$DEBEMAIL>.\n"
            "      Names each file it leaves out; refuses a link out of APPFOLDER, a book that check\n"
            "      finds an error in, a control character in any value, and an id, name, version, icon\n"
            "      or licence that would make a broken package. --allow-missing lets the errors\n"
            "      dead-link, missing-picture and missing-file through, and counts them by kind"_s,
            package};
}
