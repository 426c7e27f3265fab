#include "bookcommands.h"

#include "usageerror.h"

#include "book/bookfile.h"
#include "book/record.h"
#include "book/showpage.h"
#include "platform/filesystem.h"

#include <QFileInfo>

namespace {

book::Book load(const QString &fileName)
{
    platform::FileSystem fileSystem;
    return book::loadBookFile(fileSystem, fileName);
}

// Text in double quotes, with the characters that would break the line or the quoting escaped:
// page names may begin with a line break.
QString quoted(QStringView text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

// A page index as given: decimal digits only.
qsizetype pageIndex(const QString &text)
{
    bool ok = !text.isEmpty();
    for (const QChar c : text)
        ok = ok && c >= u'0' && c <= u'9';
    const qlonglong index = ok ? text.toLongLong(&ok) : -1;
    if (!ok)
        throw UsageError(QStringLiteral("show: the page number \"%1\" is not a number from 0 up").arg(text));
    return qsizetype(index);
}

QByteArray info(const Arguments &args)
{
    const book::Book book = load(args.positional[0]);
    return (QStringLiteral("title: ") + quoted(book.title) + QStringLiteral("\npages: ") +
            QString::number(book.pages.size()) + u'\n')
        .toUtf8();
}

QByteArray pages(const Arguments &args)
{
    const book::Book book = load(args.positional[0]);
    QString out;
    for (qsizetype i = 0; i < book.pages.size(); ++i) {
        const QString record = book.pages.record(i);
        out += QString::number(i) + u'\t' + quoted(book::pageName(record));
        if (book::isBlank(record))
            out += QStringLiteral("\tblank");
        else if (!book::hasPageHtml(record))
            out += QStringLiteral("\tno page HTML");
        out += u'\n';
    }
    return out.toUtf8();
}

QByteArray show(const Arguments &args)
{
    const QString &fileName = args.positional[0];
    const qsizetype index = pageIndex(args.positional[1]);
    const QString folder = args.option(QStringLiteral("--app-dir"), QFileInfo(fileName).absolutePath());
    const book::Book book = load(fileName);
    if (index >= book.pages.size())
        throw UsageError(QStringLiteral("show: the book \"%1\" has no page %2; its pages are 0 to %3")
                             .arg(fileName, QString::number(index), QString::number(book.pages.size() - 1)));
    return book::preparePage(book.pages, index, folder).toUtf8();
}

} // namespace

Command infoCommand()
{
    return {QStringLiteral("info"),
            {QStringLiteral("BOOK")},
            {},
            QStringLiteral("BOOK"),
            QStringLiteral("the book's title and its number of pages"),
            info};
}

Command pagesCommand()
{
    return {QStringLiteral("pages"),
            {QStringLiteral("BOOK")},
            {},
            QStringLiteral("BOOK"),
            QStringLiteral("one line per page: its index, its page name, and \"blank\" or \"no page HTML\""),
            pages};
}

Command showCommand()
{
    return {QStringLiteral("show"),
            {QStringLiteral("BOOK"), QStringLiteral("N")},
            {QStringLiteral("--app-dir")},
            QStringLiteral("BOOK N [--app-dir DIR]"),
            QStringLiteral("page N's page HTML as the reader shows it, its pictures pointed into the images\n"
                           "      folder of DIR (default: the folder that holds BOOK), in UTF-8"),
            show};
}
