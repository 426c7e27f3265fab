#pragma once

// The book format in one place: the three separators, how a book file's text is cut into title,
// page section, records and fields, and how the text of a book is written. Loading, the check, the
// search and tavlo-book's pack, unpack and import all cut and write through this.

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <vector>

namespace book {

// Each separator is found by exact comparison, at every occurrence from left to right, without
// overlapping; there is no escape. No two of them share a character, so no two occurrences overlap.
inline constexpr QLatin1StringView kSectionSeparator("<<$$>>"); // after the title, and after the pages
inline constexpr QLatin1StringView kRecordSeparator("~");       // between page records
inline constexpr QLatin1StringView kFieldSeparator("##");       // between page name and page HTML

// A separator, and the character references that page HTML writes for it instead.
struct Separator {
    QLatin1StringView text;
    QLatin1StringView reference;
};
inline constexpr Separator kSeparators[] = {
    {kRecordSeparator, QLatin1StringView("&#126;")},
    {kFieldSeparator, QLatin1StringView("&#35;&#35;")},
    {kSectionSeparator, QLatin1StringView("&lt;&lt;$$&gt;&gt;")},
};

// ---- The two forms of a book's text

// A book file is text in the code page, Windows-1252, unless it begins with the UTF-8 byte order mark:
// then title, page names and pages are UTF-8. No book of the code page begins with those three bytes
// ("ï»¿"), so old books read as ever. The separators are ASCII, and no byte of theirs
// occurs inside a UTF-8 sequence, so both forms are cut alike.
enum class TextForm { CodePage, Utf8 };
inline constexpr QByteArrayView kUtf8Mark("\xEF\xBB\xBF");
TextForm textFormOf(QByteArrayView text);
QString decodeText(QByteArrayView bytes, TextForm form);

// ---- Cutting

// A piece of a text: where it begins and how long it is.
struct TextSpan {
    qsizetype offset = 0;
    qsizetype length = 0;
};

// The first "##" that begins at or after from, or -1. Page HTML holds few "#", so memchr finds them
// and only its hits are compared.
qsizetype findFieldSeparator(QByteArrayView text, qsizetype from);

// The top level of a book file's text, cut at the first two "<<$$>>".
struct BookSections {
    qsizetype titleBegin = 0;   // after the UTF-8 mark, if the text begins with it
    qsizetype titleEnd = -1;    // where the first "<<$$>>" begins; -1 when there is none
    qsizetype sectionBegin = 0; // the page section, after the first "<<$$>>"
    qsizetype sectionEnd = 0;   // up to the second "<<$$>>" or the end of the text
    bool hasPageSection() const { return titleEnd >= 0; }
};
BookSections cutSections(QByteArrayView text);

// The records of text[begin, end), a page section: cut at every "~".
std::vector<TextSpan> cutRecords(QByteArrayView text, qsizetype begin, qsizetype end);

// Field index of a record cut at every "##" (0 the page name, 1 the page HTML); an empty view when
// the record has no such field.
QStringView recordField(QStringView record, int index);
QByteArrayView recordField(QByteArrayView record, int index);

// ---- What a book can hold

// Whether the book's code page, Windows-1252, holds the character. In a book of the code page, title
// and page names hold only such characters, and page HTML writes the others as numeric character
// references.
bool inCodePage(char32_t c);

// The separator that text begins with, or null.
const Separator *separatorAt(QStringView text);

// Every separator of text, in the order the reader would cut at them.
struct SeparatorAt {
    qsizetype offset;
    const Separator *separator;
};
std::vector<SeparatorAt> separatorsIn(QStringView text);
bool holdsSeparator(QStringView text);

// A page name that ends with "#" runs into the "##" after it: "#" and "##" read as "##" and "#", and
// the name loses its last "#".
bool runsIntoFieldSeparator(QStringView pageName);

// ---- Writing

// Encodes the text of a book piece by piece, in a form chosen beforehand: the title, "<<$$>>", then
// the records separated by "~". In the code page, the page HTML has each character the code page
// lacks as a numeric character reference; in UTF-8 the text begins with its mark and is as it is. A
// book too big to hold whole is written as it comes this way. Callers refuse or replace the
// separators first.
class BookEncoder {
public:
    explicit BookEncoder(TextForm form) : form_(form) {}

    // The form a book needs: the code page while its title and every page name fit in it.
    static bool fitsCodePage(QStringView plainText);

    TextForm form() const { return form_; }
    // The book's first bytes: the mark of UTF-8, the title and "<<$$>>".
    QByteArray title(QStringView title) const;
    // A page: its name, "##" and its HTML; a "~" before it but for the first record.
    QByteArray page(QStringView name, QStringView html);
    // The same in two parts, for a big page to be written without being copied behind its name:
    // what comes before the HTML, then the HTML.
    QByteArray pageHead(QStringView name);
    // *unheld: the characters written as references, which only the code page lacks.
    QByteArray pageText(QStringView html, qsizetype *unheld = nullptr) const;
    // A record of its own, as a blank one of spaces.
    QByteArray record(QStringView record);

private:
    QByteArray plain(QStringView text) const;
    QByteArray separatorBefore();

    TextForm form_;
    bool first_ = true;
};

// A page's HTML encoded as BookEncoder::pageText() encodes it, as it comes in pieces: a page is
// written piece by piece, and each piece encoded at once needs no copy of the whole page's text.
// The pieces between two cuts give what pageText() gives for their text joined.
class PageTextStream {
public:
    explicit PageTextStream(TextForm form) : form_(form) {}

    void reserve(qsizetype bytes) { bytes_.reserve(bytes); }
    void append(QStringView text);
    void append(QLatin1StringView text);
    // Ends the text so far, as if it were the whole page: gives where the bytes stand after it.
    qsizetype cut();
    // The bytes so far, cut; *unheld: the characters written as references.
    QByteArray take(qsizetype *unheld);

private:
    void encode(QStringView text);

    TextForm form_;
    QByteArray bytes_;
    qsizetype unheld_ = 0;
    char16_t heldHigh_ = 0; // a high surrogate that ended a piece, until the next tells whether it pairs
};

// Writes the text of a book whose form is known only once every name is: it holds the book until
// take(), then encodes it as BookEncoder does.
class BookWriter {
public:
    explicit BookWriter(QStringView title) : title_(title.toString()), needsUtf8_(!BookEncoder::fitsCodePage(title)) {}

    // A page: its name, "##" and its HTML.
    void addPage(QStringView name, QStringView html);
    // A record of its own, as a blank one of spaces.
    void addRecord(QStringView record);

    TextForm form() const { return needsUtf8_ ? TextForm::Utf8 : TextForm::CodePage; }
    QByteArray take();

private:
    struct Record {
        QString name; // or the whole record
        QString html;
        bool page;
    };
    QString title_;
    std::vector<Record> records_;
    bool needsUtf8_;
};

} // namespace book
