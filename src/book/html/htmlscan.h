#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace book {

// An attribute of a start tag as the HTML parser reads it: double-quoted, single-quoted or unquoted.
struct HtmlAttribute {
    QStringView name;          // as written
    QStringView rawValue;      // between the quotes, or the unquoted value; empty when there is none
    qsizetype begin = 0;       // where the attribute's name begins in the text
    qsizetype end = 0;         // just after its value (and closing quote), or after its name
    qsizetype valueBegin = -1; // where rawValue begins; -1 for an attribute without "="
    QChar quote;               // '"', '\'' or null for an unquoted value or none

    // The value as the document holds it, character references decoded.
    QString value() const;
};

// A piece of an HTML text, in document order. Pieces cover the text without gaps.
// Whether two names are one in any case, as Qt compares them, at the cost of a few instructions a
// letter: the import and the check compare every attribute's name with several. Lengths first, as
// equal names in any case have equal lengths; ASCII letters here, the rest of Unicode by Qt.
inline bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            return a.compare(b, Qt::CaseInsensitive) == 0;
        x = x >= u'A' && x <= u'Z' ? char16_t(x + 32) : x;
        y = y >= u'A' && y <= u'Z' ? char16_t(y + 32) : y;
        if (x != y)
            return false;
    }
    return true;
}

struct HtmlToken {
    enum Kind {
        Text,        // character data, "<" that begins no tag included
        StartTag,    // "<name ...>"
        EndTag,      // "</name ...>"
        Comment,     // "<!-- ... -->"
        Declaration, // "<!...>", "<?...>", "</>" and the like, as the doctype and the XML declaration
        RawText,     // the content of an element that holds no markup: <script>, <style>, <title>,
                     // <textarea> and the like (see html::holdsNoMarkup)
    };
    Kind kind = Text;
    qsizetype begin = 0;
    qsizetype end = 0;
    QStringView name; // of a start tag, as written
    std::vector<HtmlAttribute> attributes;

    // The first attribute of this name (any case), as the parser keeps the first of two; null if none.
    const HtmlAttribute *attribute(QStringView attributeName) const;
    bool is(QStringView tagName) const { return sameName(name, tagName); }
};

// Reads an HTML text piece by piece, by the rules that the reading of a page's text and links follows
// (htmlreading.h): comments and the content of elements that hold no markup hold no elements. A tag
// that is not closed runs to the end of the text. It never fails; any text gives pieces.
class HtmlScanner final {
public:
    explicit HtmlScanner(QStringView html) : html_(html) {}

    // The next piece; false at the end of the text.
    bool next(HtmlToken &token);

private:
    QStringView html_;
    qsizetype at_ = 0;
    qsizetype rawTextEnd_ = -1; // after a start tag of an element that holds no markup: where its content ends
};

// A reference of a style sheet: the URL of a url() or of an @import "...".
struct CssReference {
    qsizetype begin = 0; // the URL as written, its quotes included
    qsizetype end = 0;
    QString url; // without its quotes; CSS escapes are left as written
    QChar quote; // '"', '\'' or null for a url() without quotes
};

// The references of a style sheet in order, comments and other strings passed over.
std::vector<CssReference> cssReferences(QStringView css);

// A reference of a page or a style sheet to a file, read as a browser reads it against the folder
// that holds the page or sheet, within the application folder.
struct UrlReference {
    enum Kind {
        Relative, // resolved into path
        Absolute, // begins with "/": the root of a web server, not a folder of the book
        External, // has a scheme ("http:", "mailto:", "data:") or a host ("//host")
        Document, // "#place", "?query" or nothing: the page itself
    };
    Kind kind = Relative;
    QString path;               // Relative: "/"-separated, percent-decoded, without "." and ".."; empty for the
                                // root folder. Absolute: percent-decoded, as written.
    QString query;              // with its "?", or empty
    QString fragment;           // without its "#"; null when there is none
    bool endsWithSlash = false; // names a folder ("chapter/")
    bool climbsOut = false;     // a ".." went above the root, where a browser stops it
};
UrlReference readUrl(QStringView url, QStringView folder);

} // namespace book
