#include "command.h"

#include "usageerror.h"

Arguments parseArguments(const Command &command, const QStringList &args)
{
    Arguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (optionsEnded || !arg.startsWith(u"--") || arg == u"--") {
            if (!optionsEnded && arg == u"--")
                optionsEnded = true;
            else
                parsed.positional.append(arg);
            continue;
        }
        const qsizetype equals = arg.indexOf(u'=');
        const QString name = equals < 0 ? arg : arg.first(equals);
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
    QString text = QStringLiteral("Usage: tavlo-book COMMAND BOOK [ARGUMENTS]\n"
                                  "Looks into a book file: its title, its page table and its pages.\n\n"
                                  "Commands:\n");
    for (const Command &command : commands)
        text += QStringLiteral("  %1 %2\n      %3\n").arg(command.name, command.synopsis, command.summary);
    text += QStringLiteral("\nExit status: 0 done, 1 the book can't be read or is malformed, 2 bad arguments.\n");
    return text;
}
