#include "pagetitle.h"

#include "htmlreading.h"

namespace book {
namespace {

// Text put together as a browser lays it out: runs of white space are one space, none at either end.
class CollapsedText {
public:
    void add(char32_t c)
    {
        if (html::isSpace(c) || c == 0xA0) {
            pendingSpace_ = !text_.isEmpty();
            return;
        }
        if (text_.size() >= kLongestPageTitle)
            return;
        if (pendingSpace_)
            text_ += u' ';
        pendingSpace_ = false;
        text_ += QChar::fromUcs4(c);
    }
    bool isEmpty() const { return text_.isEmpty(); }
    QString take() { return std::exchange(text_, QString()); }

private:
    QString text_;
    bool pendingSpace_ = false;
};

// Reads a page up to its title or its first heading with text.
template <typename Char> class TitleReader {
public:
    explicit TitleReader(const Char *end) : end_(end) {}

    void text(const Char *b, const Char *e)
    {
        if (!inHeading_)
            return;
        for (; b < e; ++b)
            heading_.add(html::unitChar(*b));
    }
    void character(char32_t c)
    {
        if (inHeading_)
            heading_.add(c);
    }
    void startTag(const Char *tagBegin, const Char *tagEnd, html::Element element)
    {
        if (element == html::Element::Title) {
            // The title's content is no markup; only its references are read.
            struct Collect {
                CollapsedText &into;
                void text(const Char *b, const Char *e)
                {
                    for (; b < e; ++b)
                        into.add(html::unitChar(*b));
                }
                void character(char32_t c) { into.add(c); }
            } collect{title_};
            html::detail::readPlainText(tagEnd, html::rawContentEnd(tagEnd, end_, element), collect);
            if (!title_.isEmpty())
                done_ = true;
            return;
        }
        if (isHeading(tagBegin, tagEnd)) {
            inHeading_ = true;
            return;
        }
        endOfBlock(html::breaksText(element));
    }
    void endTag(html::Element element) { endOfBlock(html::breaksText(element)); }
    bool done() const { return done_; }

    QString title() { return title_.isEmpty() ? heading_.take() : title_.take(); }

private:
    // "<h1" to "<h6", followed by the end of the name.
    static bool isHeading(const Char *tagBegin, const Char *tagEnd)
    {
        if (tagEnd - tagBegin < 4 || (tagBegin[1] != 'h' && tagBegin[1] != 'H') || tagBegin[2] < '1' ||
            tagBegin[2] > '6')
            return false;
        const Char after = tagBegin[3];
        return html::isSpace(char32_t(after)) || after == '/' || after == '>';
    }

    // A block ends the heading's text: a heading with text is the page's title, an empty one is passed.
    void endOfBlock(bool breaks)
    {
        if (!inHeading_ || !breaks)
            return;
        if (heading_.isEmpty())
            inHeading_ = false;
        else
            done_ = true;
    }

    const Char *end_;
    CollapsedText title_;
    CollapsedText heading_;
    bool inHeading_ = false;
    bool done_ = false;
};

template <typename Char> QString titleOf(const Char *begin, const Char *end)
{
    TitleReader<Char> reader(end);
    html::readHtml(begin, end, reader);
    return reader.title();
}

} // namespace

QString pageTitle(QByteArrayView pageHtml)
{
    return titleOf(pageHtml.data(), pageHtml.data() + pageHtml.size());
}

QString pageTitle(QStringView pageHtml)
{
    const char16_t *begin = pageHtml.utf16();
    return titleOf(begin, begin + pageHtml.size());
}

} // namespace book
