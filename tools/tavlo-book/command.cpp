#include "command.h"

#include "usageerror.h"

#include <QCommandLineParser>

namespace {

// A command's option as QCommandLineParser names it: "app-dir" for "--app-dir", "o" for "-o".
QString optionName(const QString &option)
{
    return option.startsWith(u"--") ? option.sliced(2) : option.sliced(1);
}

} // namespace

QCommandLineOption helpOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
}

Arguments parseArguments(const Command &command, const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption(helpOption());
    for (const QString &option : command.valueOptions)
        parser.addOption(QCommandLineOption(optionName(option), QString(), QStringLiteral("value")));
    for (const QString &option : command.flagOptions)
        parser.addOption(QCommandLineOption(optionName(option)));
    // parse() takes the program's name first.
    if (!parser.parse(QStringList{command.name} + args))
        throw UsageError(QStringLiteral("%1: %2").arg(command.name, parser.errorText()));

    Arguments parsed;
    parsed.help = parser.isSet(QStringLiteral("help"));
    parsed.positional = parser.positionalArguments();
    for (const QString &option : command.valueOptions)
        if (parser.isSet(optionName(option))) {
            parsed.options.insert(option, parser.value(optionName(option)));
            parsed.repeated.insert(option, parser.values(optionName(option)));
        }
    for (const QString &option : command.flagOptions)
        if (parser.isSet(optionName(option)))
            parsed.flags.append(option);
    if (!parsed.help && parsed.positional.size() != command.operands.size())
        throw UsageError(
            QStringLiteral("%1 takes %2, got %3 arguments")
                .arg(command.name, command.operands.join(u' '), QString::number(parsed.positional.size())));
    return parsed;
}

QString usage(const std::vector<Command> &commands)
{
    QString text =
        QStringLiteral("Usage: tavlo-book COMMAND ARGUMENTS...\n"
                       "       tavlo-book --help | --version\n"
                       "Looks into a book file, checks it, builds it from a folder of HTML files, and packages it.\n\n"
                       "Commands:\n");
    for (const Command &command : commands)
        text += QStringLiteral("  %1 %2\n      %3\n").arg(command.name, command.synopsis, command.summary);
    text += QStringLiteral(
        "\nWhat check calls an error: an empty record (\"~~\" or a \"~\" at the end); a record without\n"
        "\"##\", and a blank first page; page HTML holding \"##\"; a page name that looks like HTML (a \"~\"\n"
        "or \"##\" split a page) or holds a line break or a tab; a link that names no page, no file of the\n"
        "application folder and is no web (\"http\", \"HTTP\"), mail (\"mailto:\"), in-page (\"#\") or\n"
        "script (\"javascript:\") link, or a web link that is no address; a picture that is not there; a\n"
        "style sheet, script, or font or picture of a style, named by relative URL, that the application\n"
        "folder lacks; a page whose pictures the reader shows as written; a title with a line break;\n"
        "text after a second \"<<$$>>\"; a book that can't be read. An empty link shows the page itself\n"
        "and is fine.\n"
        "What it calls a warning: a blank record after the first (Next and Previous step over it); a page\n"
        "without a name; a page name used before (letter case and outer spaces aside); a link \"#PLACE\"\n"
        "where the page has no element of that id or name; a link of another scheme (\"ftp:\", \"tel:\"),\n"
        "which the reader leaves to other programs.\n"
        "\nExit status: 0 done (check: no error), 1 the book can't be read, has an error, or is refused,\n"
        "2 bad arguments, or (import) the book written with files left out.\n");
    return text;
}
