#include "command.h"

#include "usageerror.h"

Arguments parseArguments(const Command &command, const QStringList &args)
{
    Arguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool declaredShort = arg.size() == 2 && arg.startsWith(u'-') &&
                                   (command.valueOptions.contains(arg) || command.flagOptions.contains(arg));
        if (optionsEnded || ((!arg.startsWith(u"--") || arg == u"--") && !declaredShort)) {
            if (!optionsEnded && arg == u"--")
                optionsEnded = true;
            else
                parsed.positional.append(arg);
            continue;
        }
        const qsizetype equals = declaredShort ? -1 : arg.indexOf(u'=');
        const QString name = equals < 0 ? arg : arg.first(equals);
        if (command.flagOptions.contains(name)) {
            if (equals >= 0)
                throw UsageError(QStringLiteral("%1: option %2 takes no value").arg(command.name, name));
            parsed.flags.append(name);
            continue;
        }
        if (!command.valueOptions.contains(name))
            throw UsageError(QStringLiteral("%1: unknown option %2").arg(command.name, name));
        if (equals >= 0) {
            parsed.options.insert(name, arg.sliced(equals + 1));
        } else {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("%1: option %2 needs a value").arg(command.name, name));
            parsed.options.insert(name, args[++i]);
        }
    }
    if (parsed.positional.size() != command.operands.size())
        throw UsageError(
            QStringLiteral("%1 takes %2, got %3 arguments")
                .arg(command.name, command.operands.join(u' '), QString::number(parsed.positional.size())));
    return parsed;
}

QString usage(const std::vector<Command> &commands)
{
    QString text = QStringLiteral("Usage: tavlo-book COMMAND ARGUMENTS...\n"
                                  "Looks into a book file, checks it, and builds it from a folder of HTML files.\n\n"
                                  "Commands:\n");
    for (const Command &command : commands)
        text += QStringLiteral("  %1 %2\n      %3\n").arg(command.name, command.synopsis, command.summary);
    text += QStringLiteral(
        "\nWhat check calls an error: an empty record (\"~~\" or a \"~\" at the end); a record without\n"
        "\"##\", and a blank first page; page HTML holding \"##\"; a page name that looks like HTML (a \"~\"\n"
        "or \"##\" split a page) or holds a line break or a tab; a link that is no web (\"http\", \"HTTP\"),\n"
        "mail (\"mailto:\") or in-page (\"#\") link and names no page; a picture that is not there; a style\n"
        "sheet, script, or font or picture of a style, named by relative URL, that the application folder\n"
        "lacks; a page that the reader fails to show; a title with a line break; text after a second\n"
        "\"<<$$>>\"; a book that can't be read.\n"
        "What it calls a warning: a blank record after the first (Next and Previous step over it); a page\n"
        "without a name; a page name used before (letter case and outer spaces aside); a link \"#PLACE\"\n"
        "where the page has no element of that id or name.\n"
        "\nExit status: 0 done (check: no error), 1 the book can't be read, has an error, or is refused,\n"
        "2 bad arguments.\n");
    return text;
}
