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
class TitleReader {
public:
    explicit TitleReader(const char *end) : end_(end) {}

    void text(const char *b, const char *e)
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
    void startTag(const char *tagBegin, const char *tagEnd, html::Element element)
    {
        if (element == html::Element::Title) {
            // The title's content is no markup; only its references are read.
            struct Collect {
                CollapsedText &into;
                void text(const char *b, const char *e)
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
    static bool isHeading(const char *tagBegin, const char *tagEnd)
    {
        if (tagEnd - tagBegin < 4 || (tagBegin[1] != 'h' && tagBegin[1] != 'H') || tagBegin[2] < '1' ||
            tagBegin[2] > '6')
            return false;
        const char after = tagBegin[3];
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

    const char *end_;
    CollapsedText title_;
    CollapsedText heading_;
    bool inHeading_ = false;
    bool done_ = false;
};

} // namespace

QString pageTitle(QByteArrayView pageHtml)
{
    const char *begin = pageHtml.data();
    const char *end = begin + pageHtml.size();
    TitleReader reader(end);
    html::readHtml(begin, end, reader);
    return reader.title();
}

} // namespace book
