#include "bookcommands.h"

#include "usageerror.h"

#include "author/text.h"
#include "book/bookcheck.h"
#include "book/bookfile.h"
#include "book/record.h"
#include "book/showpage.h"
#include "platform/hostpath.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

book::Book load(const QString &fileName)
{
    return book::loadBookFile(platform::hostPath(fileName));
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

Output show(const Arguments &args)
{
    const QString &fileName = args.positional[0];
    const qsizetype index = pageIndex(args.positional[1]);
    const QString folder = args.option(QStringLiteral("--app-dir"), QFileInfo(fileName).absolutePath());
    const book::Book book = load(fileName);
    if (index >= book.pages.size())
        throw UsageError(QStringLiteral("show: the book \"%1\" has no page %2; its pages are 0 to %3")
                             .arg(fileName, QString::number(index), QString::number(book.pages.size() - 1)));
    const book::PreparedPage page = book::preparePage(book.pages, index, folder);
    Output output(page.html.toUtf8());
    if (page.asWrittenBecause)
        output.notes = QStringLiteral("tavlo-book: show: the reader shows page %1 with its pictures as written: %2\n")
                           .arg(QString::number(index), *page.asWrittenBecause)
                           .toLocal8Bit();
    return output;
}

// A count as people read it, thousands grouped: "107,792".
QString number(qsizetype count)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(qlonglong(count));
}

QString plural(qsizetype count, const char *word)
{
    return number(count) + u' ' + QLatin1String(word) + (count == 1 ? QString() : QStringLiteral("s"));
}

bool isError(const book::Defect &defect)
{
    return book::severityOf(defect.kind) == book::Severity::Error;
}

// The number of warnings of each kind, the most common first.
std::vector<std::pair<QString, qsizetype>> warningKinds(const std::map<QString, qsizetype> &counts)
{
    std::vector<std::pair<QString, qsizetype>> kinds(counts.begin(), counts.end());
    std::stable_sort(kinds.begin(), kinds.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    return kinds;
}

QJsonValue jsonIndex(qsizetype value)
{
    return value < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(double(value));
}

Output check(const Arguments &args)
{
    const QString &fileName = args.positional[0];
    const QString folder = args.option(QStringLiteral("--app-dir"), QFileInfo(fileName).absolutePath());
    QString recordProblem;
    const bool json = args.flag(QStringLiteral("--json"));
    const bool all = args.flag(QStringLiteral("--all"));
    // Only the defects to list are kept, the others counted: a big manual has a hundred thousand
    // warnings, and their messages would take more memory than the book.
    std::vector<book::Defect> defects;
    qsizetype errors = 0;
    qsizetype siteLacks = 0; // errors that the imported site lacked itself, apart from the import's
    std::map<QString, qsizetype> warningCounts;
    book::checkBookFile(
        platform::hostPath(fileName), folder,
        [&](book::Defect defect) {
            if (isError(defect)) {
                ++errors;
                siteLacks += defect.siteLacks ? 1 : 0;
            } else {
                ++warningCounts[book::kindName(defect.kind)];
            }
            if (json || all || isError(defect))
                defects.push_back(std::move(defect));
        },
        &recordProblem);
    const QByteArray notes = recordProblem.isEmpty()
                                 ? QByteArray()
                                 : QStringLiteral("tavlo-book: check: %1; no defect is marked as the site's own\n")
                                       .arg(recordProblem)
                                       .toLocal8Bit();
    qsizetype warnings = 0;
    for (const auto &[kind, count] : warningCounts)
        warnings += count;
    const std::vector<std::pair<QString, qsizetype>> kinds = warningKinds(warningCounts);

    if (json) {
        QJsonArray list;
        for (const book::Defect &defect : defects) {
            QJsonObject item;
            item[u"severity"] = book::severityOf(defect.kind) == book::Severity::Error ? QStringLiteral("error")
                                                                                       : QStringLiteral("warning");
            item[u"kind"] = book::kindName(defect.kind);
            item[u"page"] = jsonIndex(defect.page);
            item[u"pageName"] = defect.page < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(defect.pageName);
            item[u"line"] = defect.line > 0 ? QJsonValue(defect.line) : QJsonValue(QJsonValue::Null);
            item[u"subject"] = defect.subject.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(defect.subject);
            item[u"message"] = defect.message;
            item[u"siteLacks"] = defect.siteLacks;
            list.append(item);
        }
        QJsonObject report;
        report[u"book"] = fileName;
        report[u"applicationFolder"] = folder;
        report[u"errors"] = double(errors);
        report[u"errorsTheSiteLacks"] = double(siteLacks);
        report[u"warnings"] = double(warnings);
        QJsonObject byKind;
        for (const auto &[kind, count] : kinds)
            byKind[kind] = double(count);
        report[u"warningsByKind"] = byKind;
        report[u"defects"] = list;
        QByteArray document = QJsonDocument(report).toJson(QJsonDocument::Indented);
        if (!document.endsWith('\n'))
            document += '\n';
        Output output(document, errors > 0);
        output.notes = notes;
        return output;
    }

    // Errors first, each on its line: on a big site thousands of warnings would bury them. The
    // warnings are summed by kind unless every one is asked for.
    QString out;
    for (const bool errorsNow : {true, false}) {
        for (const book::Defect &defect : defects) {
            if (isError(defect) == errorsNow && (errorsNow || all))
                out += defectLine(fileName, defect) + u'\n';
        }
    }
    out += fileName + QStringLiteral(": ") + plural(errors, "error") +
           (siteLacks > 0 ? QStringLiteral(" (%1 of what the site imported lacks too)").arg(number(siteLacks))
                          : QString()) +
           QStringLiteral(", ") + plural(warnings, "warning");
    if (!all && warnings > 0) {
        QStringList sums;
        for (const auto &[kind, count] : kinds)
            sums << number(count) + u' ' + kind;
        out += QStringLiteral(": ") + sums.join(QStringLiteral(", ")) + QStringLiteral(" (--all lists each)");
    }
    out += u'\n';
    Output output(out.toUtf8(), errors > 0);
    output.notes = notes;
    return output;
}

} // namespace

Command checkCommand()
{
    return {QStringLiteral("check"),
            {QStringLiteral("BOOK")},
            {QStringLiteral("--app-dir")},
            {QStringLiteral("--json"), QStringLiteral("--all")},
            QStringLiteral("BOOK [--app-dir DIR] [--all] [--json]"),
            QStringLiteral("the book's errors, one per line with its page's index and name, then its warnings\n"
                           "      counted by kind (--all: each on its line after the errors); pictures are looked\n"
                           "      for as the reader looks for them, in the images folder of DIR (default: the\n"
                           "      folder that holds BOOK). Errors that an imported site lacked itself too are\n"
                           "      marked, by import's record beside BOOK. --json: every defect as one JSON\n"
                           "      document, with the warnings counted by kind. Exit status 1 when there is an error"),
            check};
}

Command infoCommand()
{
    return {QStringLiteral("info"),
            {QStringLiteral("BOOK")},
            {},
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
            {},
            QStringLiteral("BOOK N [--app-dir DIR]"),
            QStringLiteral("page N's page HTML as the reader shows it, its pictures pointed into the images\n"
                           "      folder of DIR (default: the folder that holds BOOK), in UTF-8"),
            show};
}
