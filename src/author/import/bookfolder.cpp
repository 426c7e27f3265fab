#include "author/bookfolder.h"

#include "author/refusal.h"
#include "author/text.h"
#include "book/bookcheck.h"
#include "book/bookfile.h"
#include "book/bookformat.h"
#include "book/record.h"
#include "platform/appfile.h"
#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace {

constexpr QStringView kContentsName = u"book.txt";

// Strict UTF-8, without a byte-order mark; nullopt when bytes are not UTF-8.
std::optional<QString> fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The first line of bytes that is not UTF-8.
int badUtf8Line(QByteArrayView bytes)
{
    int line = 1;
    for (const QByteArrayView piece : bytes.toByteArray().split('\n')) {
        if (!fromUtf8(piece))
            return line;
        ++line;
    }
    return line;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    // Written beside its place and renamed over it: a failure leaves no half-written file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Refusal({QStringLiteral("%1: can't be written: %2").arg(path, file.errorString())});
}

// ---- pack

class Packer {
public:
    explicit Packer(const QString &folder) : folder_(folder), contents_(QDir(folder).filePath(kContentsName.toString()))
    {
    }

    QByteArray pack()
    {
        if (!QFileInfo(folder_).isDir())
            throw Refusal({QStringLiteral("%1: there is no such folder").arg(folder_)});
        QFile file(contents_);
        if (!file.open(QIODevice::ReadOnly))
            throw Refusal({QStringLiteral("%1: can't be read: %2").arg(contents_, file.errorString())});
        const QByteArray bytes = file.readAll();
        const std::optional<QString> text = fromUtf8(bytes);
        if (!text)
            throw Refusal(
                {QStringLiteral("%1:%2: is not UTF-8 text").arg(contents_, QString::number(badUtf8Line(bytes)))});

        // Lines end with a line feed, or a carriage return and a line feed; the last one may lack it.
        // Empty lines at the end are what editors leave there, not pages.
        QStringList lines = text->split(u'\n');
        for (QString &line : lines) {
            if (line.endsWith(u'\r'))
                line.chop(1);
        }
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (lines.isEmpty())
            throw Refusal({QStringLiteral("%1: is empty; its first line is the book's title, then one line per "
                                          "page: the page name, a tab and the HTML file's name")
                               .arg(contents_)});

        checkTitle(lines[0]);
        book::BookWriter book(lines[0]);
        if (lines.size() == 1)
            problems_.append(QStringLiteral("%1:1: names no page: after the title, one line per page").arg(contents_));
        for (qsizetype i = 1; i < lines.size(); ++i)
            addRecord(book, lines[i], int(i + 1));
        if (!problems_.isEmpty())
            throw Refusal(problems_);
        return book.take();
    }

private:
    void refuse(int line, const QString &what)
    {
        problems_.append(QStringLiteral("%1:%2: %3").arg(contents_, QString::number(line), what));
    }

    // Title and page names stand in the book as they are, so they can't hold a separator or a line
    // break. A character that Windows-1252 lacks makes the book UTF-8 (see book::BookWriter).
    bool plainText(const QString &text, int line, const QString &what)
    {
        bool plain = true;
        for (const book::Separator &separator : book::kSeparators) {
            if (text.contains(separator.text)) {
                refuse(line, QStringLiteral("%1 holds \"%2\", which the book format uses as a separator")
                                 .arg(what, separator.text));
                plain = false;
            }
        }
        if (text.contains(u'\r')) {
            refuse(line, QStringLiteral("%1 holds a carriage return").arg(what));
            plain = false;
        }
        return plain;
    }

    void checkTitle(const QString &line)
    {
        // The title is not cut at "~" or "##": only "<<$$>>" would end it early.
        if (line.contains(book::kSectionSeparator))
            refuse(1, QStringLiteral("the title holds \"<<$$>>\", which would end it there"));
        else if (line.contains(u'\r'))
            refuse(1, QStringLiteral("the title holds a carriage return"));
    }

    void addRecord(book::BookWriter &book, const QString &line, int lineNumber)
    {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0) {
            // A line of spaces only is a blank page, which the reader steps over.
            if (!line.isEmpty() && book::isBlank(line))
                return book.addRecord(line);
            refuse(lineNumber, line.isEmpty() ? QStringLiteral("is empty; write the page name, a tab and the HTML "
                                                               "file's name (a line of spaces is a blank page)")
                                              : QStringLiteral("has no tab between the page name and the HTML "
                                                               "file's name"));
            return;
        }
        const QString name = line.first(tab);
        const QString htmlName = line.sliced(tab + 1).trimmed();
        const QString what = QStringLiteral("the page name %1").arg(quoted(name));
        bool usable = plainText(name, lineNumber, what);
        if (usable && book::runsIntoFieldSeparator(name)) {
            refuse(lineNumber,
                   QStringLiteral("%1 ends with \"#\", which would run into the \"##\" after it").arg(what));
            usable = false;
        }
        if (htmlName.isEmpty()) {
            refuse(lineNumber, QStringLiteral("names no HTML file after the tab"));
            return;
        }
        const std::optional<QString> html = pageHtml(htmlName, lineNumber, name);
        if (usable && html)
            book.addPage(name, *html);
    }

    // The file that a line of book.txt names, if the book may take it: only a regular file inside the
    // folder, once ".." and symbolic links are resolved, so that a book never carries a file from
    // elsewhere on the machine that its author did not mean to publish.
    std::optional<QString> pageFile(const QString &htmlName, int lineNumber)
    {
        const auto refuseFile = [&](const QString &why) {
            refuse(lineNumber, QStringLiteral("the HTML file \"%1\" %2").arg(htmlName, why));
            return std::nullopt;
        };
        if (QDir::isAbsolutePath(htmlName))
            return refuseFile(
                QStringLiteral("is named by an absolute path; name it from the folder of %1").arg(kContentsName));
        const QString path = QDir(folder_).filePath(htmlName);
        using Refusal = platform::ApplicationFile::Refusal;
        const platform::ApplicationFile file = platform::fileInsideFolder(folder_, path);
        switch (file.refusal) {
        case Refusal::None:
            return file.path;
        case Refusal::NotFound:
            return refuseFile(QStringLiteral("can't be read: it does not exist"));
        case Refusal::Outside:
            return refuseFile(QStringLiteral("lies outside the folder of %1 (through \"..\" or a symbolic link); "
                                             "a book takes only the files inside it")
                                  .arg(kContentsName));
        case Refusal::NotAFile:
        case Refusal::BookFile:
            break;
        }
        return refuseFile(QStringLiteral("is %1, not a regular file").arg(platform::kindOfFile(path)));
    }

    // The page HTML of a file, if the book can hold it.
    std::optional<QString> pageHtml(const QString &htmlName, int lineNumber, const QString &pageName)
    {
        const std::optional<QString> file = pageFile(htmlName, lineNumber);
        if (!file)
            return std::nullopt;
        QByteArray bytes;
        try {
            // Opened without waiting: the file may have become a named pipe since it was looked at.
            bytes = platform::openRegularFile(*file)->readAll();
        } catch (const platform::Failure &failure) {
            refuse(lineNumber,
                   QStringLiteral("the HTML file \"%1\" can't be read: %2").arg(htmlName, failure.description()));
            return std::nullopt;
        }
        const QString path = QDir(folder_).filePath(htmlName);
        std::optional<QString> html = fromUtf8(bytes);
        if (!html) {
            problems_.append(QStringLiteral("%1:%2: is not UTF-8 text (page %3, %4 line %5)")
                                 .arg(path, QString::number(badUtf8Line(bytes)), quoted(pageName), kContentsName,
                                      QString::number(lineNumber)));
            return std::nullopt;
        }
        // Every separator of the file, so that one round of mending does.
        const std::vector<book::SeparatorAt> separators = book::separatorsIn(*html);
        qsizetype line = 1;
        qsizetype lineBegin = 0;
        qsizetype counted = 0; // where line and lineBegin have been counted to
        for (const book::SeparatorAt &found : separators) {
            for (; counted < found.offset; ++counted) {
                if (html->at(counted) == u'\n') {
                    ++line;
                    lineBegin = counted + 1;
                }
            }
            problems_.append(QStringLiteral("%1:%2:%3: the page HTML holds \"%4\", which would cut the page there "
                                            "(page %5, %6 line %7); write \"%8\" instead")
                                 .arg(path, QString::number(line), QString::number(found.offset - lineBegin + 1),
                                      found.separator->text, quoted(pageName), kContentsName,
                                      QString::number(lineNumber), found.separator->reference));
        }
        if (!separators.empty())
            return std::nullopt;
        return html;
    }

    QString folder_;
    QString contents_;
    QStringList problems_;
};

// ---- unpack

// What book.txt and the HTML files can't hold, as the check finds it: the book must be mended first.
// A blank first page, which the reader can't show, is a line of spaces in book.txt all the same, and a
// page name that looks like HTML stands on its line unless it holds a line break.
QStringList unrepresentable(const book::Book &book, const QString &fileName)
{
    QStringList problems;
    const QString hint = QStringLiteral("; mend the book first (tavlo-book check lists its defects)");
    for (const book::Defect &defect : book::formDefects(book)) {
        const QString page =
            QStringLiteral("%1: page %2 %3: ").arg(fileName, QString::number(defect.page), quoted(defect.pageName));
        switch (defect.kind) {
        case book::DefectKind::TitleLineBreak:
            problems.append(QStringLiteral("%1: the title holds a line break").arg(fileName) + hint);
            break;
        case book::DefectKind::IgnoredText:
            problems.append(QStringLiteral("%1: a second \"<<$$>>\" is followed by text that the reader never shows")
                                .arg(fileName) +
                            hint);
            break;
        case book::DefectKind::EmptyRecord:
            problems.append(page + QStringLiteral("is an empty record") + hint);
            break;
        case book::DefectKind::NoPageHtml:
            if (!book::isBlank(book.pages.recordBytes(defect.page)))
                problems.append(page + QStringLiteral("has no \"##\" between page name and page HTML") + hint);
            break;
        case book::DefectKind::SplitPageHtml:
            problems.append(page + QStringLiteral("holds \"##\" inside its page HTML") + hint);
            break;
        case book::DefectKind::HtmlName:
        case book::DefectKind::NameLineBreak:
            if (book::breaksNameLine(defect.pageName))
                problems.append(page + QStringLiteral("the page name holds a line break or a tab") + hint);
            break;
        default:
            break;
        }
    }
    return problems;
}

// The page HTML with each numeric reference that pack writes for a character Windows-1252 lacks
// ("&#257;", in decimal without leading zeros) turned back into that character, so that the HTML file
// reads as its author wrote it and pack gives the same bytes again. Other references stay as written.
QString withCharactersOutsideCodePage(const QString &html)
{
    if (!html.contains(u"&#"))
        return html;
    static const QRegularExpression reference(QStringLiteral("&#([1-9][0-9]{0,6});"));
    QString out;
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = reference.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const uint code = match.captured(1).toUInt();
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            continue;
        const char32_t c = code;
        if (book::inCodePage(c))
            continue; // pack would write the character itself
        if (c == U'\uFEFF')
            continue; // at the start of the file, pack would read it as a byte-order mark
        out += QStringView(html).sliced(at, match.capturedStart() - at);
        out += QString::fromUcs4(&c, 1);
        at = match.capturedEnd();
    }
    out += QStringView(html).sliced(at);
    return out;
}

// A file name for page i of count: its index, for the book's order, and its name in plain letters.
QString htmlFileName(qsizetype i, qsizetype count, QStringView name)
{
    QString slug;
    for (const QChar c : name) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            slug += c;
        else if (c >= u'A' && c <= u'Z')
            slug += c.toLower();
        else if (!slug.isEmpty() && !slug.endsWith(u'-'))
            slug += u'-';
    }
    slug.truncate(40);
    while (slug.endsWith(u'-'))
        slug.chop(1);
    const int width = std::max(2, int(QString::number(count - 1).size()));
    return QStringLiteral("%1%2.html")
        .arg(i, width, 10, QLatin1Char('0'))
        .arg(slug.isEmpty() ? QString() : QString(u'-' + slug));
}

} // namespace

Packed packFolder(const QString &folder, const QString &bookFile, bool replace)
{
    const QFileInfo target(bookFile);
    if (target.isDir())
        throw Refusal({QStringLiteral("%1: is a folder, not a book file").arg(bookFile)});
    if (target.exists() && !replace)
        throw Refusal({QStringLiteral("%1: exists already; give --force to replace it").arg(bookFile)});

    const QByteArray book = Packer(folder).pack();
    // What the reader will make of it: every line of book.txt is one page.
    const qsizetype pages = book::parseBook(book, bookFile).pages.size();
    writeFile(bookFile, book);
    return {pages, book.size()};
}

Unpacked unpackBook(const QString &fileName, const QString &folder, bool writeIntoNonEmpty)
{
    const book::Book book = book::loadBookFile(fileName);
    const QStringList problems = unrepresentable(book, fileName);
    if (!problems.isEmpty())
        throw Refusal(problems);

    const QDir dir(folder);
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        throw Refusal({QStringLiteral("%1: is a file, not a folder").arg(folder)});
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) &&
        !writeIntoNonEmpty)
        throw Refusal({QStringLiteral("%1: is not empty; give --force to write into it").arg(folder)});
    if (!QDir().mkpath(folder))
        throw Refusal({QStringLiteral("%1: can't be created").arg(folder)});

    QByteArray contents = book.title.toUtf8() + '\n';
    qsizetype files = 0;
    for (qsizetype i = 0; i < book.pages.size(); ++i) {
        const QString record = book.pages.record(i);
        if (book::isBlank(record)) {
            contents += record.toUtf8() + '\n';
            continue;
        }
        const QString name = book::pageName(record);
        const QString htmlName = htmlFileName(i, book.pages.size(), book::trimSpaces(name));
        // A UTF-8 book holds its HTML as written; the code page's references are pack's own.
        const QString html = book::pageHtmlOf(record);
        writeFile(dir.filePath(htmlName),
                  (book.pages.form() == book::TextForm::Utf8 ? html : withCharactersOutsideCodePage(html)).toUtf8());
        ++files;
        contents += name.toUtf8() + '\t' + htmlName.toUtf8() + '\n';
    }
    const QString contentsPath = dir.filePath(kContentsName.toString());
    writeFile(contentsPath, contents);
    return {contentsPath, book.pages.size(), files};
}
