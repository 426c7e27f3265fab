#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A command's arguments after the command name: positional ones in order, options by name.
struct Arguments {
    QStringList positional;
    QMap<QString, QString> options;

    QString option(const QString &name, const QString &fallback) const { return options.value(name, fallback); }
};

// One command of tavlo-book. run() gives the bytes for standard output, so a command that fails
// writes nothing; it throws UsageError for arguments it can't use and platform::Failure for a bad book.
struct Command {
    QString name;
    QStringList operands;     // names of the positional arguments, all required
    QStringList valueOptions; // options that take a value, as "--app-dir"
    QString synopsis;         // the arguments as the usage shows them
    QString summary;
    std::function<QByteArray(const Arguments &)> run;
};

// Splits args by the command's declaration: "--name value" or "--name=value" for its options, the
// rest positional. Unknown options and a wrong number of operands throw UsageError.
Arguments parseArguments(const Command &command, const QStringList &args);

// The usage text for all commands.
QString usage(const std::vector<Command> &commands);
