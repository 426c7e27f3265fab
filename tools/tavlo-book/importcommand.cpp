#include "importcommand.h"

#include "usageerror.h"

#include "author/siteimport.h"
#include "author/text.h"
#include "book/bookformat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using namespace Qt::StringLiterals;

constexpr qsizetype kLackedExamples = 5;

QString changesLine(const ImportReport &report)
{
    const TextChanges &t = report.totals.text;
    return QStringLiteral("%1 links pointed at pages, %2 at copied files; %3 pictures copied into images/, %4 "
                          "other files copied (%11 that no page names); %5 \"~\", %6 \"##\" and %7 \"<<$$>>\" written "
                          "as references; %8 "
                          "characters outside Windows-1252 written as references; %9 scripts and %10 style "
                          "sheets moved into files")
        .arg(QString::number(report.totals.pageLinks), QString::number(report.totals.fileLinks),
             QString::number(report.totals.pictures), QString::number(report.totals.files), QString::number(t.tildes),
             QString::number(t.doubleHashes), QString::number(t.sectionMarks), QString::number(t.outsideCodePage),
             QString::number(t.scriptsMoved))
        .arg(QString::number(t.stylesMoved), QString::number(report.totals.unnamedFiles));
}

QByteArray textReport(const ImportReport &report)
{
    QString out;
    // First, as it is what the book lacks that the site had.
    const qsizetype leftOut = qsizetype(report.leftOut.size());
    const QString files = leftOut == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(leftOut);
    if (!report.leftOut.empty() && report.followLinks)
        out += QStringLiteral("left out: %1 outside the site that symbolic links lead to, which --follow-links "
                              "does not copy: those of /proc, /sys and /dev, and those others can't read\n")
                   .arg(files);
    else if (!report.leftOut.empty())
        out += QStringLiteral("left out: %1 outside the site that symbolic links lead to; give --follow-links to "
                              "copy them\n")
                   .arg(files);
    for (const auto &[file, left] : report.leftOut) {
        if (left.count == 0)
            out += QStringLiteral("left out: %1 -> %2 (no page names it)\n").arg(quoted(file), left.target);
        else
            out += QStringLiteral("left out: %1:%2: %3 -> %4 (%5 references)\n")
                       .arg(left.firstFile, QString::number(left.firstLine), quoted(file), left.target,
                            QString::number(left.count));
    }
    for (size_t i = 0; i < report.pages.size(); ++i) {
        const ImportReport::Page &page = report.pages[i];
        out += QString::number(i) + u'\t' + quoted(page.name) + u'\t' + page.path + u'\n';
    }
    out += QStringLiteral("changed: ") + changesLine(report) + u'\n';
    for (const auto &[file, message] : report.notes)
        out += QStringLiteral("changed: %1: %2\n").arg(file, message);
    // What the site lacks itself is summed, with its first few: a big site names thousands.
    qsizetype lacked = 0;
    qsizetype lackedReferences = 0;
    for (const LeftReference &left : report.left) {
        lacked += left.siteLacks ? 1 : 0;
        lackedReferences += left.siteLacks ? left.count : 0;
    }
    if (lacked > kLackedExamples)
        out += QStringLiteral("left: the site lacks %1 files that %2 references name; the first %3 of them:\n")
                   .arg(QString::number(lacked), QString::number(lackedReferences), QString::number(kLackedExamples));
    qsizetype examples = 0;
    for (const LeftReference &left : report.left) {
        if (left.siteLacks && examples++ >= kLackedExamples)
            continue;
        out += QStringLiteral("left: %1:%2: %3: %4 (%5 references)\n")
                   .arg(left.firstFile, QString::number(left.firstLine), quoted(left.target), left.problem,
                        QString::number(left.count));
    }
    for (const auto &[file, source] : report.fromOutside)
        out += QStringLiteral("from outside: %1 <- %2\n").arg(file, source);
    if (!report.notTaken.isEmpty())
        out += QStringLiteral("not taken: %1 of the site that no start page leads to; give --all, or --start "
                              "for each, to take them\n")
                   .arg(report.notTaken.size() == 1 ? QStringLiteral("1 HTML file")
                                                    : QStringLiteral("%1 HTML files").arg(report.notTaken.size()));
    for (const QString &file : report.notTaken)
        out += QStringLiteral("not taken: %1\n").arg(file);
    out += QStringLiteral("%1: %2 pages, %3 pictures, %4 other files, %5 files of page text; %6 references left "
                          "as written; %7 HTML files not taken; %8 files left out; the book is %9 bytes\n")
               .arg(report.bookFile, QString::number(report.pages.size()), QString::number(report.totals.pictures),
                    QString::number(report.totals.files), QString::number(report.totals.asideFiles),
                    QString::number(report.leftCount()), QString::number(report.notTaken.size()),
                    QString::number(leftOut), QString::number(report.bookBytes));
    return out.toUtf8();
}

QByteArray jsonReport(const ImportReport &report)
{
    QJsonArray pages;
    for (size_t i = 0; i < report.pages.size(); ++i) {
        const ImportReport::Page &page = report.pages[i];
        pages.append(QJsonObject{{u"index"_s, double(i)}, {u"name"_s, page.name}, {u"file"_s, page.path}});
    }
    const TextChanges &t = report.totals.text;
    QJsonArray notes;
    for (const auto &[file, message] : report.notes)
        notes.append(QJsonObject{{u"file"_s, file}, {u"message"_s, message}});
    QJsonArray left;
    for (const LeftReference &item : report.left)
        left.append(QJsonObject{{u"reference"_s, item.target},
                                {u"problem"_s, item.problem},
                                {u"file"_s, item.firstFile},
                                {u"line"_s, item.firstLine},
                                {u"count"_s, double(item.count)},
                                {u"siteLacks"_s, item.siteLacks}});
    const QJsonObject changed{{u"pageLinks"_s, double(report.totals.pageLinks)},
                              {u"fileLinks"_s, double(report.totals.fileLinks)},
                              {u"pictures"_s, double(report.totals.pictures)},
                              {u"files"_s, double(report.totals.files)},
                              {u"filesNoPageNames"_s, double(report.totals.unnamedFiles)},
                              {u"tildes"_s, double(t.tildes)},
                              {u"doubleHashes"_s, double(t.doubleHashes)},
                              {u"sectionMarks"_s, double(t.sectionMarks)},
                              {u"outsideWindows1252"_s, double(t.outsideCodePage)},
                              {u"scriptsMoved"_s, double(t.scriptsMoved)},
                              {u"styleSheetsMoved"_s, double(t.stylesMoved)},
                              {u"notes"_s, notes}};
    QJsonArray leftOut;
    for (const auto &[file, item] : report.leftOut)
        leftOut.append(QJsonObject{{u"file"_s, file},
                                   {u"target"_s, item.target},
                                   {u"firstFile"_s, item.firstFile},
                                   {u"line"_s, item.firstLine},
                                   {u"count"_s, double(item.count)}});
    QJsonArray fromOutside;
    for (const auto &[file, source] : report.fromOutside)
        fromOutside.append(QJsonObject{{u"file"_s, file}, {u"source"_s, source}});
    const QJsonObject json{{u"book"_s, report.bookFile},
                           {u"title"_s, report.title},
                           {u"pages"_s, pages},
                           {u"changed"_s, changed},
                           {u"left"_s, left},
                           {u"leftOut"_s, leftOut},
                           {u"fromOutside"_s, fromOutside},
                           {u"notTaken"_s, QJsonArray::fromStringList(report.notTaken)},
                           {u"totals"_s, QJsonObject{{u"pages"_s, double(report.pages.size())},
                                                     {u"pictures"_s, double(report.totals.pictures)},
                                                     {u"files"_s, double(report.totals.files)},
                                                     {u"pageTextFiles"_s, double(report.totals.asideFiles)},
                                                     {u"left"_s, double(report.leftCount())},
                                                     {u"notTaken"_s, double(report.notTaken.size())},
                                                     {u"leftOut"_s, double(report.leftOut.size())},
                                                     {u"bookBytes"_s, double(report.bookBytes)}}}};
    return QJsonDocument(json).toJson(QJsonDocument::Indented);
}

// A title given on the command line stands in the book as it is.
void checkTitle(const QString &title)
{
    if (title.contains(u'\n') || title.contains(u'\r'))
        throw UsageError(QStringLiteral("import: the title holds a line break"));
    if (title.contains(book::kSectionSeparator))
        throw UsageError(QStringLiteral("import: the title holds \"<<$$>>\", which would end it there"));
}

Output runImport(const Arguments &args)
{
    const QString out = args.option(QStringLiteral("-o"), QString());
    if (out.isEmpty())
        throw UsageError(QStringLiteral("import needs -o and the folder to write"));
    const bool titleGiven = args.options.contains(QStringLiteral("--title"));
    const QString title = args.option(QStringLiteral("--title"), QString());
    if (titleGiven)
        checkTitle(title);
    const ImportReport report =
        importSite({args.positional[0], out, args.values(QStringLiteral("--start")), title, titleGiven,
                    args.flag(QStringLiteral("--force")), args.flag(QStringLiteral("--all")),
                    args.flag(QStringLiteral("--follow-links"))});
    Output output = args.flag(QStringLiteral("--json")) ? jsonReport(report) : textReport(report);
    // Files outside the site that symbolic links lead to, without --follow-links.
    output.filesLeftOut = !report.leftOut.empty();
    return output;
}

} // namespace

Command importCommand()
{
    return {QStringLiteral("import"),
            {QStringLiteral("SITE")},
            {QStringLiteral("-o"), QStringLiteral("--start"), QStringLiteral("--title")},
            {QStringLiteral("--all"), QStringLiteral("--follow-links"), QStringLiteral("--force"),
             QStringLiteral("--json")},
            QStringLiteral("SITE -o OUT [--start FILE]... [--all] [--follow-links] [--title TEXT] [--force] [--json]"),
            QStringLiteral("makes OUT an application folder's content from the folder of linked HTML pages\n"
                           "      SITE: OUT/tessavanetavlo.tavlo with every page reachable from each FILE\n"
                           "      (default index.html), named by its path in SITE, in reading order; with --all,\n"
                           "      every HTML file of SITE, the rest after them in path order. The pictures go in\n"
                           "      OUT/images/ and every other file of SITE in its place; files outside SITE\n"
                           "      that symbolic links lead to, or that pages name from / or above SITE, only with\n"
                           "      --follow-links (else exit status 2 for links), never those of /proc, /sys or\n"
                           "      /dev or those others can't read. Reports each page, what it changed, what it\n"
                           "      left (what SITE lacks itself summed, and recorded for check), each file from\n"
                           "      outside SITE with its source, and the HTML files not taken.\n"
                           "      Never replaces OUT without --force"),
            runImport};
}
