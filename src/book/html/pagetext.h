#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <string>
#include <vector>

namespace book {

// The text of a page as the reader sees it: the page HTML without its markup, comments, scripts,
// style sheets and title, with its character references decoded. White space collapses as a browser
// lays the page out: every run of blanks, tabs and line breaks, and every boundary of a block, a line
// break, a picture or a form control, is one space between words and nothing at either end. Inline
// elements join what they split: "gar<b>den</b>" reads "garden". Preformatted text collapses too, so
// that words are found however the page lays them out. Takes time linear in the length of the HTML,
// whatever it holds.
QString pageText(QStringView pageHtml);
// The same for page HTML in the book's code page, as the page table keeps it.
QString pageText(QByteArrayView pageHtml);
// The page's main content so laid out: its text without that of the nav, header, footer and aside
// elements and elements of role "navigation", where a site repeats its menus on every page.
QString pageMainText(QStringView pageHtml);
QString pageMainText(QByteArrayView pageHtml);

// A text to find in the text of pages (see pageText). Letter case counts only with Qt::CaseSensitive;
// otherwise both sides are compared by simple Unicode case folding. A no-break space finds a space
// and is found by one. The query's white space is taken as the page's: a run of it is one space, and
// at either end it counts for nothing.
class PageFinder {
public:
    PageFinder(QStringView query, Qt::CaseSensitivity cs);

    // The query as it is looked for; empty when it holds nothing but white space, and then it finds
    // nothing.
    const QString &query() const { return query_; }
    bool isEmpty() const { return query_.isEmpty(); }
    Qt::CaseSensitivity caseSensitivity() const { return cs_; }

    // The page's text around its first hit: up to kExcerptLength characters, with as many before the
    // hit as after it where the page has them. The text is the main content's (see pageMainText) when
    // that holds the query, else the whole page's.
    struct Excerpt {
        QString text;             // empty when the page has no hit
        qsizetype hitOffset = -1; // where the hit begins in text; it is query().size() long
        bool cutBefore = false;   // the page's text goes on before text
        bool cutAfter = false;    // and after it
    };
    // The excerpt without the parts of words that it cuts at either end, the hit kept whole.
    Excerpt atWordBoundaries(Excerpt excerpt) const;
    static constexpr qsizetype kExcerptLength = 80;
    Excerpt excerpt(QByteArrayView pageHtml) const;
    Excerpt excerpt(QStringView pageHtml) const;

    // How often the query occurs in the text of the page HTML, counting from the start, occurrences
    // not overlapping, and the excerpt around the first; reads the HTML little more than once, without
    // decoding it into a string (a page with surroundings up to the excerpt's end once more).
    struct Hits {
        qsizetype count = 0;
        Excerpt excerpt;
    };
    Hits hits(QByteArrayView pageHtml) const;
    Hits hits(QStringView pageHtml) const;

private:
    friend class PageMatching; // the reading of pages, in pagetext.cpp

    // A unit of the page's text as it is compared.
    char16_t fold(char16_t unit) const { return unit < 256 ? latin1Fold_[unit] : foldOutsideLatin1(unit); }
    char16_t fold(char unit) const { return byteFold_[static_cast<unsigned char>(unit)]; }
    char16_t foldOutsideLatin1(char16_t unit) const;
    // True when a hit may begin within the characters that a reference stands for: c, and c2 when
    // it is not 0.
    bool mayStartWith(char32_t c, char16_t c2) const;

    QString query_;
    Qt::CaseSensitivity cs_;
    std::u16string folded_;
    // For each length k of a matched beginning of the folded query, the length of the longest proper
    // beginning that also ends it: where a match goes on after a mismatch.
    std::vector<int> fallback_;
    std::array<char16_t, 256> latin1Fold_{};
    std::array<char16_t, 256> byteFold_{}; // a byte of the code page, decoded and folded
    // Where a hit can begin in a run of 8-bit text without markup: at a byte that folds to the query's
    // first unit, followed by one that can stand for its second (white space for a space) or by the end
    // of the run. In a whole page, markup or a reference may follow as well.
    struct ByteSet {
        std::array<bool, 256> has{};
        std::array<char, 8> list{}; // its bytes, when they are eight at most
        int count = 0;              // -1 when they are more
        void add(unsigned char byte);
    };
    ByteSet firstBytes_;
    ByteSet secondBytes_; // every byte when the query is one unit long
    ByteSet secondBytesInPage_;
    bool namedReferenceStarts_ = false; // a named reference stands for the first unit
};

} // namespace book
