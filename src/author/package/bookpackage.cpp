#include "author/bookpackage.h"

#include "author/interruption.h"
#include "author/packagefiles.h"
#include "author/packageicons.h"
#include "author/packagenames.h"
#include "author/refusal.h"
#include "author/text.h"
#include "book/bookcheck.h"
#include "book/bookfile.h"
#include "book/pagetext.h"
#include "book/record.h"
#include "platform/appfolder.h"
#include "platform/filesystem.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QLocale>
#include <QRegularExpression>
#include <QSizeF>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            return true;
    }
    return false;
}

namespace {

using namespace Qt::StringLiterals;

// The reader's own files, installed with tavlo-book by the package tavlo: the reader, its component
// files and toolbar pictures, and in package/ what a book's package takes from it: what the runtime
// depends on and its architecture (control), the reader's icon, the manual page of a book's command
// with @NAME@-style blanks, and the reader's copyright paragraph.
constexpr auto kRuntimeFromTool = "../lib/tavlo"_L1;
const QStringList kRuntimeFiles = {u"pellomare"_s,        u"supportfiles/dhtmled.ocx"_s, u"supportfiles/triedit.dll"_s,
                                   u"images"_s,           u"package/control"_s,          u"package/icon.png"_s,
                                   u"package/reader.1"_s, u"package/reader.copyright"_s};
constexpr auto kBookFile = "tessavanetavlo.tavlo"_L1;
constexpr int kSmallestIcon = 256;
const QList<int> kIconSizes = {16, 32, 48, 64, 128, 256};
constexpr qsizetype kLongestSynopsis = 79;
constexpr qsizetype kLongestParagraph = 600;

// The licences whose text Debian installs in /usr/share/common-licenses, by the names Debian's
// copyright files give them.
const QStringList kCommonLicenses = {u"Apache-2.0"_s, u"Artistic"_s, u"CC0-1.0"_s, u"GFDL-1.2"_s, u"GFDL-1.3"_s,
                                     u"GPL-1"_s,      u"GPL-2"_s,    u"GPL-3"_s,   u"LGPL-2"_s,   u"LGPL-2.1"_s,
                                     u"LGPL-3"_s,     u"MPL-1.1"_s,  u"MPL-2.0"_s};

struct Book {
    QString title;
    QString firstParagraph; // plain text, empty when the first page has none
    QString letThrough;     // the errors --allow-missing let through, as "3 dead-link, 1 missing-file"
};

// The errors --allow-missing lets through: a link or file the site's own distribution leaves out
// (a changelog page, a folder of another package) leaves the rest of the book whole.
bool isMissing(book::DefectKind kind)
{
    return kind == book::DefectKind::DeadLink || kind == book::DefectKind::MissingPicture ||
           kind == book::DefectKind::MissingFile;
}

// Everything the package says of the book, checked.
struct Package {
    QString appFolder;
    QString id;
    QString name;
    QString packageName;
    QString command;
    QString version; // Debian's, with a revision
    QString upstreamVersion;
    QString summary;
    QString license;
    QString licenseText; // the copyright file's licence paragraph, lines indented
    QString copyrightHolders;
    QString maintainer;
    QString icon;      // empty: the reader's own
    QStringList about; // the description's paragraphs after the sentence that names the book
    QString homepage;
    QString categories; // the desktop entry's, each followed by ";"
    QDateTime date;
    Book book;
};

// Whether the whole of text matches pattern: "$" alone lets a trailing line break through.
bool matchesWhole(const QRegularExpression &pattern, const QString &text)
{
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() && match.capturedStart() == 0 && match.capturedLength() == text.size();
}

QByteArray readAll(const QString &path)
{
    throwIfInterrupted();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal({u"%1: can't be read: %2"_s.arg(path, file.errorString())});
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw Refusal({u"%1: can't be written: %2"_s.arg(path, file.errorString())});
}

// Compressed as Debian wants documents: gzip -9 without the name and time stamp.
QByteArray gzip(const QString &path)
{
    return runProgram(u"gzip"_s, {u"-9"_s, u"-n"_s, u"-c"_s, path});
}

// ---- what is checked before anything is written

// A reverse-DNS id, as AppStream and the desktop take it: three parts or more, the first a top-level
// domain in lower case, each beginning with a letter or "_".
bool isReverseDnsId(const QString &id)
{
    static const QRegularExpression pattern(u"[a-z][a-z0-9]*(\\.[A-Za-z_][A-Za-z0-9_]*){2,}"_s);
    return id.size() <= 255 && matchesWhole(pattern, id);
}

// The id's domain, all but its last part, in lower case, as AppStream wants it.
QString withLowerDomain(const QString &id)
{
    const qsizetype last = id.lastIndexOf(u'.');
    return id.left(last).toLower() + id.sliced(last);
}

// A Debian version, with or without epoch and revision; empty when Debian can't take it. Without a
// revision, "-1" is added: the package is not the book's own source.
QString debianVersion(const QString &version)
{
    static const QRegularExpression pattern(u"(?:[0-9]+:)?[0-9][A-Za-z0-9.+~]*(?:-[A-Za-z0-9.+~-]*[A-Za-z0-9.+~])?"_s);
    if (!matchesWhole(pattern, version))
        return {};
    return version.contains(u'-') ? version : version + u"-1"_s;
}

QString upstreamOf(const QString &debian)
{
    QString upstream = debian.sliced(debian.indexOf(u':') + 1);
    return upstream.left(upstream.lastIndexOf(u'-'));
}

// The plain text of the first paragraph that holds text, of the first page that has HTML: its first
// <p> that holds more than pictures, or its whole text when it has none. Shortened at a word.
QString firstParagraph(const book::Book &book)
{
    static const QRegularExpression start(u"<p(?:\\s[^>]*)?>"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression end(u"</?p[\\s>]"_s, QRegularExpression::CaseInsensitiveOption);
    for (qsizetype i = 0; i < book.pages.size(); ++i) {
        const QString record = book.pages.record(i);
        if (book::isBlank(record) || !book::hasPageHtml(record))
            continue;
        const QString html = book::pageHtmlOf(record);
        QString text;
        for (QRegularExpressionMatchIterator it = start.globalMatch(html); it.hasNext() && text.isEmpty();) {
            const qsizetype from = it.next().capturedEnd();
            const QRegularExpressionMatch close = end.match(html, from);
            text = book::pageText(
                QStringView(html).sliced(from, (close.hasMatch() ? close.capturedStart() : html.size()) - from));
        }
        if (text.isEmpty())
            text = book::pageText(html);
        if (text.size() > kLongestParagraph) {
            text.truncate(text.lastIndexOf(u' ', kLongestParagraph));
            text += u" …"_s;
        }
        return text;
    }
    return {};
}

Book readBook(const QString &appFolder, bool allowMissing)
{
    const QString fileName = QDir(appFolder).filePath(kBookFile);
    if (!QFileInfo(fileName).isFile())
        throw Refusal(
            {u"%1: there is no book: the application folder holds the book as %2"_s.arg(appFolder, kBookFile)});
    // The book is checked as check checks it: a book with an error would be a broken application.
    QStringList errors;
    std::map<book::DefectKind, std::pair<qsizetype, qsizetype>> missing; // all, and those the site lacks too
    for (const book::Defect &defect : book::checkBookFile(fileName, appFolder)) {
        if (book::severityOf(defect.kind) != book::Severity::Error)
            continue;
        if (allowMissing && isMissing(defect.kind)) {
            ++missing[defect.kind].first;
            missing[defect.kind].second += defect.siteLacks ? 1 : 0;
        } else
            errors.append(defectLine(fileName, defect));
    }
    if (!errors.isEmpty()) {
        errors.append((allowMissing ? u"%1: not packaged: tavlo-book check finds %2 error(s) in it that "
                                      "--allow-missing doesn't let through"_s
                                    : u"%1: not packaged: tavlo-book check finds %2 error(s) in it"_s)
                          .arg(fileName)
                          .arg(errors.size()));
        throw Refusal(errors);
    }
    const book::Book book = book::loadBookFile(fileName);
    QStringList letThrough;
    const QLocale english(QLocale::English);
    for (const auto &[kind, count] : missing)
        letThrough << english.toString(qlonglong(count.first)) + u' ' + book::kindName(kind) +
                          (count.second > 0 ? u" (%1 that the site imported lacks too)"_s.arg(
                                                  english.toString(qlonglong(count.second)))
                                            : QString());
    return {book.title.trimmed(), firstParagraph(book), letThrough.join(u", "_s)};
}

// The UTF-8 text of a file given with option, or nothing, with the problem named: a file that is
// missing, is not UTF-8 or holds a control character other than a tab or a line's end.
std::optional<QString> readText(const QString &path, const QString &option, QStringList &problems)
{
    if (!QFileInfo(path).isFile()) {
        problems.append(u"%1: there is no such file for %2"_s.arg(path, option));
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(readAll(path));
    if (utf8.hasError()) {
        problems.append(u"%1: is not UTF-8 text, as %2 takes: convert it, for example with iconv"_s.arg(path, option));
        return std::nullopt;
    }
    static const QRegularExpression control(u"[\\x00-\\x08\\x0B-\\x0C\\x0E-\\x1F\\x7F-\\x9F\\x{2028}\\x{2029}]"_s);
    if (const QRegularExpressionMatch m = control.match(text); m.hasMatch()) {
        problems.append(u"%1: holds the control character U+%2 on line %3: %4 takes plain lines of text"_s.arg(path)
                            .arg(uint(m.captured().front().unicode()), 4, 16, QChar(u'0'))
                            .arg(text.left(m.capturedStart()).count(u'\n') + 1)
                            .arg(option));
        return std::nullopt;
    }
    return text;
}

// What the copyright file says of the book: its holders, and the licence's text. A licence that
// Debian installs is referred to; any other needs its terms from --copyright.
void readTerms(Package &package, const QString &copyrightFile, QStringList &problems)
{
    static const QRegularExpression spdx(u"[A-Za-z0-9.+-]+( (AND|OR|WITH) [A-Za-z0-9.+-]+)*"_s);
    if (!matchesWhole(spdx, package.license)) {
        problems.append(u"the licence \"%1\" is not an SPDX licence name such as CC-BY-4.0"_s.arg(package.license));
        return;
    }
    QString common = package.license;
    common.remove(QRegularExpression(u"(\\.0)?(-only|-or-later)$"_s));
    QStringList lines;
    if (!copyrightFile.isEmpty()) {
        const std::optional<QString> text = readText(copyrightFile, u"--copyright"_s, problems);
        if (!text)
            return;
        lines = text->split(u'\n');
        QStringList holders;
        static const QRegularExpression notice(u"^\\s*(?:copyright\\s*:?|\\(c\\)|©)\\s*(?:\\(c\\)|©)?\\s*(.+)$"_s,
                                               QRegularExpression::CaseInsensitiveOption);
        for (const QString &line : lines) {
            if (const QRegularExpressionMatch m = notice.match(line); m.hasMatch())
                holders.append(m.captured(1).trimmed());
        }
        package.copyrightHolders = holders.join(u"\n "_s);
    } else if (kCommonLicenses.contains(common)) {
        lines = {u"On Debian systems, the complete text of the licence is found in"_s,
                 u"/usr/share/common-licenses/%1."_s.arg(common)};
    } else if (package.license == u"LicenseRef-proprietary"_s) {
        lines = {u"All rights reserved."_s};
    } else {
        problems.append(
            u"the licence %1 needs its terms in the package: give them with --copyright FILE"_s.arg(package.license));
        return;
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    for (const QString &line : std::as_const(lines))
        package.licenseText += line.trimmed().isEmpty() ? u" .\n"_s : u" "_s + line.trimmed() + u'\n';
    if (package.licenseText.isEmpty())
        problems.append(u"%1: holds no terms"_s.arg(copyrightFile));
    if (package.copyrightHolders.isEmpty()) {
        const QString holder = package.maintainer.left(package.maintainer.indexOf(u'<')).trimmed();
        package.copyrightHolders = package.date.toString(u"yyyy"_s) + u' ' + holder;
    }
}

// The size an SVG picture gives itself: its viewBox's, else its width and height (as numbers, their
// unit aside). Empty for a file that is no SVG picture or gives no size.
QSizeF svgSize(const QByteArray &svg)
{
    QXmlStreamReader xml(svg);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (xml.name() != u"svg"_s)
        return {};
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringList box =
        attributes.value(u"viewBox"_s).toString().split(QRegularExpression(u"[\\s,]+"_s), Qt::SkipEmptyParts);
    if (box.size() == 4)
        return {box[2].toDouble(), box[3].toDouble()};
    static const QRegularExpression number(u"^\\s*([0-9.]+)"_s);
    const QSizeF size(number.match(attributes.value(u"width"_s)).captured(1).toDouble(),
                      number.match(attributes.value(u"height"_s)).captured(1).toDouble());
    return size.width() > 0 && size.height() > 0 ? size : QSizeF();
}

// Where the runtime is installed beside tavlo-book, whether or not its files are there.
QString runtimePath()
{
    return QDir::cleanPath(QDir(platform::applicationFolder()).filePath(kRuntimeFromTool));
}

// The icon module in the reader's folder, loaded once.
QLibrary &iconModule()
{
    static QLibrary module(runtimePath() + u"/tavlo-book-icons.so"_s);
    if (!module.isLoaded() && !module.load())
        throw Refusal(
            {u"%1: can't be loaded: %2; install the package tavlo"_s.arg(module.fileName(), module.errorString())});
    return module;
}

template <typename Function> Function iconFunction(const char *name)
{
    QLibrary &module = iconModule();
    const auto function = reinterpret_cast<Function>(module.resolve(name));
    if (!function)
        throw Refusal(
            {u"%1: has no %2: install the package tavlo again"_s.arg(module.fileName(), QString::fromLatin1(name))});
    return function;
}

void checkIcon(const QString &icon, QStringList &problems)
{
    if (!QFileInfo(icon).isFile()) {
        problems.append(u"%1: there is no such icon file"_s.arg(icon));
        return;
    }
    if (icon.endsWith(u".svg"_s, Qt::CaseInsensitive)) {
        const QSizeF size = svgSize(readAll(icon));
        if (size.isEmpty())
            problems.append(u"%1: is not an SVG picture with a size (a viewBox, or width and height)"_s.arg(icon));
        else if (!qFuzzyCompare(size.width(), size.height()))
            problems.append(u"%1: is %2×%3; an icon is square"_s.arg(icon).arg(size.width()).arg(size.height()));
        return;
    }
    int width = 0;
    int height = 0;
    if (!iconFunction<IconSizeFunction>(kIconSizeFunction)(icon, &width, &height))
        problems.append(u"%1: is neither a PNG picture nor an SVG one (named .svg)"_s.arg(icon));
    else if (width != height)
        problems.append(u"%1: is %2×%3 pixels; an icon is square"_s.arg(icon).arg(width).arg(height));
    else if (width < kSmallestIcon)
        problems.append(u"%1: is %2×%2 pixels; give one of %3×%3 or more, or an SVG picture"_s.arg(icon).arg(width).arg(
            kSmallestIcon));
}

QDateTime packageDate()
{
    // SOURCE_DATE_EPOCH, where a build sets it, makes the same package from the same book.
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    return ok ? QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC) : QDateTime::currentDateTimeUtc();
}

// The package name and the command, from the id unless given: names of the author's, that nothing
// else on this machine or in Debian's base system answers to.
void checkNames(Package &package, const PackageRequest &request, QStringList &problems)
{
    package.packageName = request.packageName.value_or(packagenames::packageOfId(package.id));
    package.command = request.command.value_or(packagenames::commandOfId(package.id));
    const auto check = [&](const QString &what, const QString &name, const QString &option, const QString &clash) {
        if (!packagenames::isDebianName(name))
            problems.append(
                u"the %1 \"%2\" is not a name Debian takes: two or more lower-case Latin letters, digits "
                "and \"+.-\", beginning with a letter or digit; give another with %3 NAME"_s.arg(what, name, option));
        else if (!clash.isEmpty())
            problems.append(clash);
    };
    check(u"package name"_s, package.packageName, u"--package"_s,
          packagenames::isDebianName(package.packageName) ? packagenames::packageClash(package.packageName, package.id)
                                                          : QString());
    check(u"command"_s, package.command, u"--command"_s,
          packagenames::isDebianName(package.command) ? packagenames::commandClash(package.command, package.id)
                                                      : QString());
}

// What the description, the homepage and the menu's categories say of the book: the paragraphs of
// --description FILE (else the first paragraph of the book, once read), an http(s) address, and the
// desktop's category names.
void checkAbout(Package &package, const PackageRequest &request, QStringList &problems)
{
    if (const QString &file = request.description; !file.isEmpty()) {
        if (const std::optional<QString> text = readText(file, u"--description"_s, problems)) {
            for (const QString &paragraph : text->split(QRegularExpression(u"\\n\\s*\\n"_s), Qt::SkipEmptyParts)) {
                if (const QString simple = paragraph.simplified(); !simple.isEmpty())
                    package.about.append(simple);
            }
            if (package.about.isEmpty())
                problems.append(u"%1: holds no text for --description"_s.arg(file));
        }
    }
    package.homepage = request.homepage;
    static const QRegularExpression address(u"https?://[^\\s<>\"]+"_s);
    if (!package.homepage.isEmpty() && !matchesWhole(address, package.homepage))
        problems.append(u"the homepage \"%1\" is not an http or https address"_s.arg(package.homepage));
    QStringList categories = request.categories.value_or(u"Education;Literature"_s).split(u';', Qt::SkipEmptyParts);
    static const QRegularExpression category(u"[A-Za-z][A-Za-z0-9-]*"_s);
    for (const QString &name : std::as_const(categories)) {
        if (!matchesWhole(category, name))
            problems.append(u"the category \"%1\" is not a desktop category name such as Education"_s.arg(name));
    }
    if (categories.isEmpty())
        problems.append(u"--categories names no category: give them as \"Education;Literature\""_s);
    package.categories = categories.join(u';') + u';';
}

Package checkedPackage(const PackageRequest &request)
{
    Package package;
    package.appFolder = request.appFolder;
    package.id = request.id;
    package.name = request.name;
    package.date = packageDate();

    QStringList problems;
    if (!QFileInfo(package.appFolder).isDir())
        throw Refusal({u"%1: there is no such folder"_s.arg(package.appFolder)});
    if (!isReverseDnsId(package.id))
        problems.append(u"the id \"%1\" is not a reverse-DNS id such as org.example.MyBook: three parts or more, "
                        "the first in lower case, each of letters, digits and \"_\""_s.arg(package.id));
    else if (withLowerDomain(package.id) != package.id)
        problems.append(u"the id \"%1\" has capitals in its domain, which AppStream refuses: give --id %2"_s.arg(
            package.id, withLowerDomain(package.id)));
    else
        checkNames(package, request, problems);

    const QString version = request.version.value_or(u"1.0"_s);
    package.version = debianVersion(version);
    if (package.version.isEmpty())
        problems.append(u"the version \"%1\" is not one Debian takes: a digit first, then letters, digits and "
                        "\".+~\" (and \"-\" before a revision, \":\" after an epoch)"_s.arg(version));
    else
        package.upstreamVersion = upstreamOf(package.version);

    package.maintainer = request.maintainer;
    if (package.maintainer.isEmpty() && qEnvironmentVariableIsSet("DEBEMAIL"))
        package.maintainer = qEnvironmentVariable("DEBFULLNAME") + u" <"_s + qEnvironmentVariable("DEBEMAIL") + u'>';
    static const QRegularExpression mailbox(u"[^<>\\s][^<>]*\\s<[^<>@\\s]+@[^<>@\\s]+>"_s);
    if (!matchesWhole(mailbox, package.maintainer))
        problems.append(package.maintainer.isEmpty()
                            ? u"the package needs a maintainer: give --maintainer \"Name <mail>\""_s
                            : u"the maintainer \"%1\" is not \"Name <mail>\""_s.arg(package.maintainer));

    package.icon = request.icon;
    if (!package.icon.isEmpty())
        checkIcon(package.icon, problems);

    package.license = request.license.value_or(u"LicenseRef-proprietary"_s);
    readTerms(package, request.copyright, problems);

    // The summary is one line of the package's description, and a sentence without its full stop.
    QString summary = request.summary.value_or(u"Read the book %1"_s.arg(package.name)).trimmed();
    while (summary.endsWith(u'.') && !summary.endsWith(u"..."_s))
        summary.chop(1);
    if (!summary.isEmpty())
        summary[0] = summary[0].toUpper();
    package.summary = summary;
    if (summary.isEmpty() || hasControlCharacter(summary))
        problems.append(u"the summary is empty or holds a line break"_s);
    else if (summary.size() > kLongestSynopsis)
        problems.append(
            u"the summary is %1 characters long; Debian takes %2 at most"_s.arg(summary.size()).arg(kLongestSynopsis));

    checkAbout(package, request, problems);

    if (!problems.isEmpty())
        throw Refusal(problems);
    package.book = readBook(package.appFolder, request.allowMissing);
    if (package.about.isEmpty() && !package.book.firstParagraph.isEmpty())
        package.about = {package.book.firstParagraph};
    return package;
}

// ---- the files of the package

// The reader's folder installed beside tavlo-book, with everything a book's package takes from it.
QString runtimeFolder()
{
    QString folder = runtimePath();
    QStringList missing;
    for (const QString &file : kRuntimeFiles) {
        if (!QFileInfo::exists(QDir(folder).filePath(file)))
            missing.append(file);
    }
    if (!missing.isEmpty())
        throw Refusal({u"%1: the reader's files are not installed beside tavlo-book (it lacks %2): install the "
                       "package tavlo"_s.arg(folder, missing.join(u", "_s))});
    return folder;
}

// The fields of the runtime's package/control, as "Version" and "Depends".
QString runtimeField(const QString &runtime, const QString &field)
{
    const QString control = QString::fromUtf8(readAll(runtime + u"/package/control"_s));
    const QRegularExpression line(u"^%1:\\s*(.*)$"_s.arg(QRegularExpression::escape(field)),
                                  QRegularExpression::MultilineOption);
    QString value = line.match(control).captured(1).trimmed();
    if (value.isEmpty())
        throw Refusal({u"%1/package/control: says no %2"_s.arg(runtime, field)});
    return value;
}

// Every file of folder, relative to it, but hidden ones and those of hidden folders.
QStringList filesOf(const QString &folder)
{
    QStringList files;
    const QDir base(QFileInfo(folder).absoluteFilePath());
    QDirIterator it(base.path(), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = base.relativeFilePath(it.next());
        if (!relative.startsWith(u'.') && !relative.contains(u"/."_s))
            files.append(relative);
    }
    files.sort();
    return files;
}

QString wrapped(const QString &text, qsizetype width, const QString &indent)
{
    QString out;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            out += indent + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : u" "_s) + word;
    }
    if (!line.isEmpty())
        out += indent + line + u'\n';
    return out;
}

QString titleSentence(const Package &package)
{
    return u"%1 is the book \u201C%2\u201D as an application of its own: it shows the book one page at a time, "
           "with buttons for the previous, first and next page, printing and finding."_s.arg(package.name,
                                                                                             package.book.title);
}

// A value of a desktop entry: a backslash begins an escape there.
QString desktopValue(QString text)
{
    return text.replace(u'\\', u"\\\\"_s);
}

QByteArray desktopEntry(const Package &package)
{
    return (u"[Desktop Entry]\n"
            "Type=Application\n"
            "Name=%1\n"
            "Comment=%2\n"
            "Keywords=book;reader;\n"
            "Exec=%3\n"
            "Icon=%4\n"
            "Terminal=false\n"
            "Categories=%5\n"
            "StartupWMClass=%4\n"_s.arg(desktopValue(package.name), desktopValue(package.summary), package.command,
                                        package.id, package.categories))
        .toUtf8();
}

QByteArray metainfo(const Package &package)
{
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(u"component"_s);
    w.writeAttribute(u"type"_s, u"desktop-application"_s);
    w.writeTextElement(u"id"_s, package.id);
    w.writeTextElement(u"metadata_license"_s, u"FSFAP"_s);
    w.writeTextElement(u"project_license"_s, package.license);
    w.writeTextElement(u"name"_s, package.name);
    w.writeTextElement(u"summary"_s, package.summary);
    w.writeTextElement(u"developer_name"_s, package.maintainer.left(package.maintainer.indexOf(u'<')).trimmed());
    w.writeStartElement(u"description"_s);
    w.writeTextElement(u"p"_s, titleSentence(package));
    for (const QString &paragraph : package.about)
        w.writeTextElement(u"p"_s, paragraph);
    w.writeEndElement();
    if (!package.homepage.isEmpty()) {
        w.writeStartElement(u"url"_s);
        w.writeAttribute(u"type"_s, u"homepage"_s);
        w.writeCharacters(package.homepage);
        w.writeEndElement();
    }
    w.writeStartElement(u"launchable"_s);
    w.writeAttribute(u"type"_s, u"desktop-id"_s);
    w.writeCharacters(package.id + u".desktop"_s);
    w.writeEndElement();
    w.writeStartElement(u"provides"_s);
    w.writeTextElement(u"binary"_s, package.command);
    w.writeEndElement();
    w.writeEmptyElement(u"content_rating"_s);
    w.writeAttribute(u"type"_s, u"oars-1.1"_s);
    w.writeStartElement(u"releases"_s);
    w.writeEmptyElement(u"release"_s);
    w.writeAttribute(u"version"_s, package.upstreamVersion);
    w.writeAttribute(u"date"_s, package.date.toString(u"yyyy-MM-dd"_s));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

// Text for a manual page: nothing in it is read as a request or an escape.
QString roffText(QString text)
{
    text.replace(u'\\', u"\\e"_s).replace(u'-', u"\\-"_s).replace(u'"', u"\\(dq"_s);
    if (text.startsWith(u'.') || text.startsWith(u'\''))
        text.prepend(u"\\&"_s);
    return text;
}

QByteArray manualPage(const Package &package, const QString &runtime)
{
    QString page = QString::fromUtf8(readAll(runtime + u"/package/reader.1"_s));
    page.replace(u"@COMMAND@"_s, roffText(package.command))
        .replace(u"@UPPERCOMMAND@"_s, roffText(package.command.toUpper()))
        .replace(u"@NAME@"_s, roffText(package.name))
        .replace(u"@TITLE@"_s, roffText(package.book.title))
        .replace(u"@SUMMARY@"_s, roffText(package.summary))
        .replace(u"@ID@"_s, roffText(package.id))
        .replace(u"@VERSION@"_s, roffText(package.upstreamVersion))
        .replace(u"@YEAR@"_s, package.date.toString(u"yyyy"_s));
    return page.toUtf8();
}

QByteArray copyright(const Package &package, const QString &runtime)
{
    QString text =
        u"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        "Upstream-Name: %1\n"
        "Upstream-Contact: %2\n"
        "\n"
        "Files: *\n"
        "Copyright: %3\n"
        "License: %4\n"_s.arg(package.packageName, package.maintainer, package.copyrightHolders, package.license) +
        package.licenseText;
    // The reader that shows the book comes with its own terms.
    text += u'\n' + QString::fromUtf8(readAll(runtime + u"/package/reader.copyright"_s)).trimmed() + u'\n';
    return text.toUtf8();
}

QByteArray changelog(const Package &package)
{
    return (u"%1 (%2) unstable; urgency=medium\n\n"
            "  * Packaged with tavlo-book.\n\n"
            " -- %3  %4\n"_s.arg(package.packageName, package.version, package.maintainer,
                                 QLocale::c().toString(package.date, u"ddd, dd MMM yyyy HH:mm:ss +0000"_s)))
        .toUtf8();
}

QByteArray lintianOverrides(const Package &package, const QList<ShippedFile> &files)
{
    QString text = u"# The book file is Windows-1252 text, as the reader reads it.\n"
                   "%1: national-encoding [usr/lib/%2/%3]\n"
                   "# A book's own package, never uploaded to Debian: no bug for its first entry to close.\n"
                   "%1: initial-upload-closes-no-bugs [usr/share/doc/%1/changelog.Debian.gz:1]\n"_s.arg(
                       package.packageName, package.id, kBookFile);
    // A manual's scripts and fonts (a Sphinx manual's jQuery, underscore.js and doctools.js) may be
    // ones that Debian packages too; the reader can't use those.
    const auto ships = [&](const QRegularExpression &pattern) {
        return std::any_of(files.begin(), files.end(),
                           [&](const ShippedFile &file) { return pattern.match(file.name).hasMatch(); });
    };
    static const QRegularExpression script(u"\\.js$"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression font(u"\\.(ttf|otf|woff2?|eot)$"_s, QRegularExpression::CaseInsensitiveOption);
    const QString because = u"# The reader gives a page only the files of the book's own folder, never those of\n"
                            "# /usr/share, so the book carries the %1 its pages load, as its author shipped them.\n"_s;
    if (ships(script))
        text += because.arg(u"scripts"_s) +
                u"%1: embedded-javascript-library * [usr/lib/%2/*]\n"_s.arg(package.packageName, package.id);
    if (ships(font))
        text += because.arg(u"fonts"_s) +
                u"%1: duplicate-font-file * [usr/lib/%2/*]\n"_s.arg(package.packageName, package.id);
    return text.toUtf8();
}

void writeIcons(const Package &package, const QString &runtime, const QString &share)
{
    const QString icon = package.icon.isEmpty() ? runtime + u"/package/icon.png"_s : package.icon;
    if (icon.endsWith(u".svg"_s, Qt::CaseInsensitive)) {
        copyStream(icon, share + u"/icons/hicolor/scalable/apps/%1.svg"_s.arg(package.id));
        return;
    }
    const auto writeIcon = iconFunction<WriteIconFunction>(kWriteIconFunction);
    for (const int size : kIconSizes) {
        const QString path = share + u"/icons/hicolor/%1x%1/apps/%2.png"_s.arg(size).arg(package.id);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!writeIcon(icon, size, path))
            throw Refusal({u"%1: can't be written"_s.arg(path)});
    }
}

// Modes as Debian wants them whatever the umask: folders 0755, files 0644. The size of the files in
// KiB, as Installed-Size counts it.
qint64 settleModes(const QString &root)
{
    constexpr auto file = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    constexpr auto executable = file | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    qint64 kib = 0;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            continue;
        QFile::setPermissions(info.filePath(), info.isDir() ? executable : file);
        kib += info.isDir() ? 1 : (info.size() + 1023) / 1024;
    }
    QFile::setPermissions(root, executable);
    return kib;
}

QByteArray md5sums(const QString &root)
{
    QStringList lines;
    QDirIterator it(root + u"/usr"_s, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            continue;
        QFile file(info.filePath());
        QCryptographicHash sum(QCryptographicHash::Md5);
        if (!file.open(QIODevice::ReadOnly) || !sum.addData(&file))
            throw Refusal({u"%1: can't be read: %2"_s.arg(info.filePath(), file.errorString())});
        lines.append(QString::fromLatin1(sum.result().toHex()) + u"  "_s +
                     QDir(root).relativeFilePath(info.filePath()));
    }
    lines.sort();
    return (lines.join(u'\n') + u'\n').toUtf8();
}

// The summary as the first line of a Debian description, which begins with no article.
QString synopsis(const QString &summary)
{
    static const QRegularExpression article(u"^(a|an|the)\\s+"_s, QRegularExpression::CaseInsensitiveOption);
    QString text = summary;
    text.remove(article);
    text[0] = text[0].toUpper();
    return text;
}

QByteArray control(const Package &package, const QString &runtime, qint64 installedSize)
{
    QString description = wrapped(titleSentence(package), 72, u" "_s);
    for (const QString &paragraph : package.about)
        description += u" .\n"_s + wrapped(paragraph, 72, u" "_s);
    const QString homepage = package.homepage.isEmpty() ? QString() : u"Homepage: "_s + package.homepage + u'\n';
    return (u"Package: %1\n"
            "Version: %2\n"
            "Architecture: all\n"
            "Maintainer: %3\n"
            "Installed-Size: %4\n"
            "Depends: tavlo (>= %5)\n"
            "Section: text\n"
            "Priority: optional\n"_s.arg(package.packageName, package.version, package.maintainer,
                                         QString::number(installedSize), runtimeField(runtime, u"Version"_s)) +
            homepage + u"Description: "_s + synopsis(package.summary) + u'\n' + description)
        .toUtf8();
}

void link(const QString &target, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFile::link(target, path))
        throw Refusal({u"%1: can't be written"_s.arg(path)});
}

// Lays the package's tree out in root: the book's files, and links to the reader that the runtime
// installs, so that upgrading the runtime upgrades the reader of every book. The reader takes the
// folder of the link it was started through as its application folder, and everything beside the
// program (the component files, the toolbar's pictures) is found there as in the runtime's folder.
void layOut(const Package &package, const QList<ShippedFile> &files, const QString &runtime, const QString &root)
{
    const QString app = root + u"/usr/lib/"_s + package.id;
    for (const ShippedFile &file : files)
        copyStream(file.source, app + u'/' + file.name);
    link(u"../tavlo/pellomare"_s, app + u"/pellomare"_s);
    link(u"../tavlo/supportfiles"_s, app + u"/supportfiles"_s);
    // The book's own pictures of the toolbar's names replace the toolbar's.
    for (const QString &picture : filesOf(runtime + u"/images"_s)) {
        if (!QFileInfo::exists(app + u"/images/"_s + picture))
            link(u"../../tavlo/images/"_s + picture, app + u"/images/"_s + picture);
    }
    link(u"../lib/%1/pellomare"_s.arg(package.id), root + u"/usr/bin/"_s + package.command);

    const QString share = root + u"/usr/share"_s;
    writeFile(share + u"/applications/%1.desktop"_s.arg(package.id), desktopEntry(package));
    writeFile(share + u"/metainfo/%1.metainfo.xml"_s.arg(package.id), metainfo(package));
    writeIcons(package, runtime, share);

    const QString doc = share + u"/doc/"_s + package.packageName;
    writeFile(doc + u"/copyright"_s, copyright(package, runtime));
    writeFile(root + u"/changelog"_s, changelog(package));
    writeFile(doc + u"/changelog.Debian.gz"_s, gzip(root + u"/changelog"_s));
    QFile::remove(root + u"/changelog"_s);
    writeFile(root + u"/manual"_s, manualPage(package, runtime));
    writeFile(share + u"/man/man1/%1.1.gz"_s.arg(package.command), gzip(root + u"/manual"_s));
    QFile::remove(root + u"/manual"_s);
    writeFile(share + u"/lintian/overrides/"_s + package.packageName, lintianOverrides(package, files));

    writeFile(root + u"/DEBIAN/md5sums"_s, md5sums(root));
    const qint64 size = settleModes(root);
    writeFile(root + u"/DEBIAN/control"_s, control(package, runtime, size));
    settleModes(root);
}

} // namespace

BuiltPackage buildPackage(const PackageRequest &request)
{
    const Package package = checkedPackage(request);
    const QString runtime = runtimeFolder();
    const QString &outDir = request.outDir;
    ShippedFiles shipped = shippedFiles(package.appFolder, outDir);
    // The reader's own names in the application folder are the runtime's.
    shipped.files.removeIf([&](const ShippedFile &file) {
        if (file.name != u"pellomare"_s && !file.name.startsWith(u"supportfiles/"_s))
            return false;
        shipped.leftOut.append(QDir(package.appFolder).filePath(file.name) +
                               u": left out: the reader's own file, which the runtime installs"_s);
        return true;
    });

    QTemporaryDir staging;
    if (!staging.isValid())
        throw Refusal({u"no temporary folder can be made: %1"_s.arg(staging.errorString())});
    Watchdog watchdog(staging.path());
    const QString root = staging.filePath(u"root"_s);
    layOut(package, shipped.files, runtime, root);

    // Built in the staging folder, so that even a tavlo-book killed outright leaves nothing in OUTDIR;
    // then copied beside its place and renamed over it: OUTDIR never holds half a package.
    const QString built = staging.filePath(u"package.deb"_s);
    runProgram(u"dpkg-deb"_s, {u"--root-owner-group"_s, u"-Zxz"_s, u"--build"_s, root, built});
    if (!QDir().mkpath(outDir))
        throw Refusal({u"%1: can't be made"_s.arg(outDir)});
    QString version = package.version;
    version = version.sliced(version.indexOf(u':') + 1);
    const QString debName = u"%1_%2_all.deb"_s.arg(package.packageName, version);
    const QString target = QDir(outDir).filePath(debName);
    QTemporaryFile temporary(QDir(outDir).filePath(u".%1.XXXXXX"_s.arg(debName)));
    if (!temporary.open())
        throw Refusal({u"%1: can't be written: %2"_s.arg(outDir, temporary.errorString())});
    temporary.close();
    copyStream(built, temporary.fileName());
    QFile::setPermissions(temporary.fileName(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    throwIfInterrupted();
    std::error_code error;
    std::filesystem::rename(temporary.fileName().toStdString(), target.toStdString(), error);
    if (error)
        throw Refusal({u"%1: can't be written: %2"_s.arg(target, QString::fromStdString(error.message()))});
    temporary.setAutoRemove(false);
    return {target, QDir(package.appFolder).filePath(kBookFile), package.book.letThrough, shipped.leftOut};
}
