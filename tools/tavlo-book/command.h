#pragma once

#include <QByteArray>
#include <QCommandLineOption>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

// A command's arguments after the command name: positional ones in order, options by name.
struct Arguments {
    QStringList positional;
    QMap<QString, QString> options;      // the last value of each option given
    QMap<QString, QStringList> repeated; // every value of each option given, in order
    QStringList flags;
    bool help = false; // -h or --help: the usage is asked for, and nothing else is done

    QString option(const QString &name, const QString &fallback) const { return options.value(name, fallback); }
    QStringList values(const QString &name) const { return repeated.value(name); }
    bool flag(const QString &name) const { return flags.contains(name); }
};

// What a command gives: the bytes for standard output, whether what it looked at failed its test
// (as a book with errors for "check"), which makes the exit status 1, and whether it wrote its
// output with files left out (as "import" without --follow-links), which makes it 2.
struct Output {
    Output(QByteArray bytes = {}, bool failedItsTest = false) : text(std::move(bytes)), failed(failedItsTest) {}
    QByteArray text;
    bool failed;
    bool filesLeftOut = false;
    // What the user should know beside the output, for standard error.
    QByteArray notes;
};

// One command of tavlo-book. run() gives the bytes for standard output, so a command that fails
// writes nothing; it throws UsageError for arguments it can't use, platform::Failure for a bad book
// and Refusal for input it won't turn into files.
struct Command {
    QString name;
    QStringList operands;     // names of the positional arguments, all required
    QStringList valueOptions; // options that take a value, as "--app-dir" or "-o"
    QStringList flagOptions;  // options that stand alone, as "--force"
    QString synopsis;         // the arguments as the usage shows them
    QString summary;
    std::function<Output(const Arguments &)> run;
};

// Reads args by the command's declaration through QCommandLineParser: "--name value" or
// "--name=value" for its long options, "-o value" for a short one, "--" before operands that begin
// with "-", the rest positional. Unknown options, options without their value, and a wrong number of
// operands throw UsageError.
Arguments parseArguments(const Command &command, const QStringList &args);

// -h and --help, which every command takes as well as tavlo-book itself.
QCommandLineOption helpOption();

// The usage text for all commands.
QString usage(const std::vector<Command> &commands);
