// tavlo-book: looks into a book file of the reader from the command line, checks it, builds it from
// a folder of HTML files and back, and makes a book a Debian package of its own.

#include "bookcommands.h"
#include "command.h"
#include "foldercommands.h"
#include "importcommand.h"
#include "packagecommand.h"
#include "usageerror.h"

#include "author/refusal.h"
#include "platform/failure.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {

// FilesLeftOut shares 2 with BadArguments: either way, not all that was asked for was done, and
// import's report says which files.
enum ExitStatus { Done = 0, BadBook = 1, BadArguments = 2, FilesLeftOut = 2 };

void write(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int run(const QStringList &args)
{
    const std::vector<Command> commands = {infoCommand(), pagesCommand(),  showCommand(),   checkCommand(),
                                           packCommand(), unpackCommand(), importCommand(), packageCommand()};
    const auto help = [&] {
        write(stdout, usage(commands).toUtf8());
        return Done;
    };
    try {
        // Options before the command are tavlo-book's own; all from the command on are the command's.
        QCommandLineParser parser;
        parser.addOption(helpOption());
        parser.addOption(QCommandLineOption(QStringLiteral("version")));
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
        if (!parser.parse(QStringList{QStringLiteral("tavlo-book")} + args))
            throw UsageError(parser.errorText());
        if (parser.isSet(QStringLiteral("help")))
            return help();
        if (parser.isSet(QStringLiteral("version"))) {
            write(stdout, "tavlo-book " TAVLO_VERSION "\n");
            return Done;
        }
        const QStringList words = parser.positionalArguments();
        if (words.isEmpty())
            throw UsageError(QStringLiteral("no command given"));
        const auto command =
            std::find_if(commands.begin(), commands.end(), [&](const Command &c) { return c.name == words.first(); });
        if (command == commands.end())
            throw UsageError(QStringLiteral("unknown command \"%1\"").arg(words.first()));
        const Arguments arguments = parseArguments(*command, words.sliced(1));
        if (arguments.help)
            return help();
        const Output output = command->run(arguments);
        write(stdout, output.text);
        write(stderr, output.notes);
        return output.failed ? BadBook : output.filesLeftOut ? FilesLeftOut : Done;
    } catch (const UsageError &error) {
        write(stderr,
              (QStringLiteral("tavlo-book: ") + error.message() + QStringLiteral("\nTry \"tavlo-book --help\".\n"))
                  .toLocal8Bit());
        return BadArguments;
    } catch (const Refusal &refusal) {
        QString text;
        for (const QString &problem : refusal.problems())
            text += QStringLiteral("tavlo-book: ") + problem + u'\n';
        write(stderr, text.toLocal8Bit());
        return BadBook;
    } catch (const platform::Failure &failure) {
        write(stderr, (QStringLiteral("tavlo-book: error ") + QString::number(failure.number()) + u": " +
                       failure.description() + u'\n')
                          .toLocal8Bit());
        return BadBook;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return run(args);
}
