#include "foldercommands.h"

#include "usageerror.h"

#include "author/bookfolder.h"
#include "platform/hostpath.h"

#include <QString>

namespace {

QString outputOption(const Arguments &args, const QString &command)
{
    QString output = args.option(QStringLiteral("-o"), QString());
    if (output.isEmpty())
        throw UsageError(QStringLiteral("%1 needs -o and where to write").arg(command));
    return output;
}

Output pack(const Arguments &args)
{
    const QString output = outputOption(args, QStringLiteral("pack"));
    const Packed packed = packFolder(args.positional[0], output, args.flag(QStringLiteral("--force")));
    return QStringLiteral("%1: %2 pages, %3 bytes\n")
        .arg(output, QString::number(packed.pages), QString::number(packed.bytes))
        .toUtf8();
}

Output unpack(const Arguments &args)
{
    const QString &fileName = args.positional[0];
    const QString folder = outputOption(args, QStringLiteral("unpack"));
    const Unpacked unpacked = unpackBook(platform::hostPath(fileName), folder, args.flag(QStringLiteral("--force")));
    return QStringLiteral("%1: %2 pages, %3 HTML files\n")
        .arg(unpacked.contentsPath, QString::number(unpacked.pages), QString::number(unpacked.htmlFiles))
        .toUtf8();
}

} // namespace

Command packCommand()
{
    return {QStringLiteral("pack"),
            {QStringLiteral("DIR")},
            {QStringLiteral("-o")},
            {QStringLiteral("--force")},
            QStringLiteral("DIR -o BOOK [--force]"),
            QStringLiteral("builds BOOK from the folder DIR: DIR/book.txt holds the title on its first line,\n"
                           "      then one line per page in book order: the page name, a tab and the name of\n"
                           "      the page's HTML file (UTF-8) in DIR; a line of spaces only is a blank page.\n"
                           "      Takes only regular files inside DIR, \"..\" and symbolic links resolved.\n"
                           "      Writes Windows-1252, each character that it can't hold as \"&#N;\", unless\n"
                           "      the title or a page name needs more: then UTF-8 after its byte order mark.\n"
                           "      Refuses page HTML holding \"~\", \"##\" or \"<<$$>>\" and page names holding\n"
                           "      them; never replaces an existing BOOK without --force"),
            pack};
}

Command unpackCommand()
{
    return {QStringLiteral("unpack"),
            {QStringLiteral("BOOK")},
            {QStringLiteral("-o")},
            {QStringLiteral("--force")},
            QStringLiteral("BOOK -o DIR [--force]"),
            QStringLiteral("the reverse of pack: writes DIR/book.txt and one UTF-8 HTML file per page;\n"
                           "      packing DIR gives back BOOK byte for byte. Refuses a book whose pages\n"
                           "      book.txt can't hold, and a DIR that is not empty without --force"),
            unpack};
}
