// The reader's own reading of page HTML against a browser-grade HTML parser (gumbo, used here only):
// the text that search finds and the targets of the links, pictures and areas that the check and
// import follow must be the same. The input is page HTML in the book's code page.
//
// The parser builds a tree, which the reader does not: what only building the tree does is left out
// of the comparison, each for its reason below. What both do alike — where markup, comments, hidden
// content and references begin and end — must agree.
#include "fuzzcheck.h"

#include "book/htmlreading.h"
#include "book/htmlscan.h"
#include "book/pagelinks.h"
#include "book/pagetext.h"
#include "platform/codepage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gumbo.h>

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Text without its white space: where words break is the reader's layout, not the parser's.
QString withoutBlanks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!isBlank(c))
            out.append(c);
    return out;
}

// A URL as a browser takes it: without tabs and line breaks, and without blanks and controls at
// either end.
QString urlOf(const QString &value)
{
    QString out;
    for (const QChar c : value)
        if (c != u'\t' && c != u'\n' && c != u'\r')
            out.append(c);
    qsizetype b = 0;
    qsizetype e = out.size();
    while (b < e && out[b].unicode() <= 0x20)
        ++b;
    while (e > b && out[e - 1].unicode() <= 0x20)
        --e;
    return out.mid(b, e - b);
}

// The elements whose content the reader hides: scripts, style sheets, the title, frames and the
// content shown only without scripts or plug-ins.
bool hidesContent(GumboTag tag)
{
    return tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_TITLE || tag == GUMBO_TAG_IFRAME ||
           tag == GUMBO_TAG_NOEMBED || tag == GUMBO_TAG_NOFRAMES || tag == GUMBO_TAG_NOSCRIPT;
}

struct ParsedPage {
    QString text;
    QStringList links; // "a:", "area:" or "img:" and the target
    // The tree builder moved content out of the order of the page: a block that a formatting element
    // (<a>, <b>, <s> …) closed too early held (the adoption rule), or content of a table outside its
    // cells (foster parenting). A reader of tags can't follow that.
    bool moved = false;
};

void collect(const GumboNode *node, ParsedPage &page)
{
    if (node->parse_flags & (GUMBO_INSERTION_ADOPTION_AGENCY_MOVED | GUMBO_INSERTION_FOSTER_PARENTED))
        page.moved = true;
    switch (node->type) {
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_CDATA:
        page.text += QString::fromUtf8(node->v.text.text);
        return;
    case GUMBO_NODE_COMMENT:
    case GUMBO_NODE_WHITESPACE:
        return;
    case GUMBO_NODE_DOCUMENT:
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        break;
    }
    const GumboVector *children = nullptr;
    if (node->type == GUMBO_NODE_DOCUMENT) {
        children = &node->v.document.children;
    } else {
        const GumboElement &element = node->v.element;
        // The tree repeats an element that markup closed too early (<b>a<p>b</b>), and its copies
        // stand for no tag of the page.
        const bool copy = node->parse_flags &
                          (GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT | GUMBO_INSERTION_ADOPTION_AGENCY_CLONED);
        const char *attribute = element.tag == GUMBO_TAG_A || element.tag == GUMBO_TAG_AREA ? "href"
                                : element.tag == GUMBO_TAG_IMG                              ? "src"
                                                                                            : nullptr;
        if (!copy && attribute) {
            if (const GumboAttribute *a = gumbo_get_attribute(&element.attributes, attribute))
                page.links.append(QString::fromUtf8(gumbo_normalized_tagname(element.tag)) + u':' +
                                  urlOf(QString::fromUtf8(a->value)));
        }
        if (hidesContent(element.tag)) {
            // Hidden content holds no elements, only text, which is left out.
            return;
        }
        children = &element.children;
    }
    for (unsigned i = 0; i < children->length; ++i)
        collect(static_cast<const GumboNode *>(children->data[i]), page);
}

ParsedPage parsed(const QString &html)
{
    const QByteArray utf8 = html.toUtf8();
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
    ParsedPage page;
    collect(output->document, page);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return page;
}

ParsedPage read(const QByteArray &bytes, const QString &html)
{
    ParsedPage page{book::pageText(QByteArrayView(bytes)), {}};
    for (const book::PageLink &link : book::pageLinks(html))
        page.links.append(QString::fromUtf8(link.offset < html.size() &&
                                                    html.sliced(link.offset).startsWith(u"<area", Qt::CaseInsensitive)
                                                ? "area:"
                                                : "a:") +
                          urlOf(link.href));
    // Pictures as the check reads them; "<image>" is an old name of <img>. The scanner gives a tag
    // that the end of the text cuts off, so that import keeps it as written; a browser drops it.
    book::HtmlScanner scanner(html);
    book::HtmlToken token;
    const auto *end = reinterpret_cast<const char16_t *>(html.utf16()) + html.size();
    const auto closed = [&](const book::HtmlToken &tag) {
        const auto *begin = reinterpret_cast<const char16_t *>(html.utf16()) + tag.begin;
        return book::html::readAttributes(book::html::markupAt(begin, end).end, end, [](auto, auto, auto, auto) {});
    };
    while (scanner.next(token)) {
        if (token.kind == book::HtmlToken::StartTag && (token.is(u"img") || token.is(u"image")) && closed(token)) {
            if (const book::HtmlAttribute *src = token.attribute(u"src"))
                page.links.append(u"img:" + urlOf(src->value()));
        }
    }
    return page;
}

// Markup whose reading the tree decides: the reader takes none of it as a browser's tree builder
// does, and books hold little of it.
//   <svg>, <math>: their content is read by other rules (no hidden content, CDATA as text).
//   <select>: most tags inside it are dropped, so <title> or <style> there hides nothing.
//   <frameset>: drops the body and all its text.
//   <noscript>: the parser reads it as a browser without scripts does; the reader, as one with.
//   <isindex>: the parser makes up text of its own for it.
bool treeDecides(const QString &lower)
{
    for (const char16_t *tag : {u"<svg", u"<math", u"<select", u"<frameset", u"<noscript", u"<isindex"})
        if (lower.contains(QStringView(tag)))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Control characters are no text that a page holds. The reader keeps them as a browser does, but
    // a browser drops a NUL or replaces it by U+FFFD depending on where it stands, and gumbo replaces
    // the other controls too. Taken as blanks here.
    for (char &byte : bytes) {
        const char16_t c = platform::codePageChar(static_cast<unsigned char>(byte));
        if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\f' && c != u'\r') || (c >= 0x7F && c <= 0x9F))
            byte = ' ';
    }
    // gumbo takes a numeric reference beyond Unicode modulo 2^32 (a browser reads U+FFFD, as the
    // reader does, which its tests hold): such a reference is written without its "&" here.
    for (qsizetype at = bytes.indexOf("&#"); at >= 0; at = bytes.indexOf("&#", at + 1)) {
        qsizetype p = at + 2;
        const bool hex = p < bytes.size() && (bytes[p] == 'x' || bytes[p] == 'X');
        p += hex ? 1 : 0;
        quint64 value = 0;
        for (; p < bytes.size() && value <= 0x10FFFF; ++p) {
            const int digit = QChar::fromLatin1(bytes[p]).digitValue();
            const char lower = char(bytes[p] | 0x20);
            if (digit >= 0 && digit <= 9)
                value = value * (hex ? 16 : 10) + quint64(digit);
            else if (hex && lower >= 'a' && lower <= 'f')
                value = value * 16 + quint64(lower - 'a' + 10);
            else
                break;
        }
        if (value > 0x10FFFF)
            bytes[at] = ' ';
    }
    const QString html = platform::decodeCodePage(bytes);
    const QString lower = html.toLower();
    if (treeDecides(lower))
        return 0;

    ParsedPage ours = read(bytes, html);
    ParsedPage theirs = parsed(html);
    // Links of each kind in the order of the page; the reader reads pictures apart.
    const auto kindOf = [](const QString &link) { return QStringView(link).left(link.indexOf(u':')); };
    const auto byKind = [&](const QString &a, const QString &b) { return kindOf(a) < kindOf(b); };
    std::stable_sort(ours.links.begin(), ours.links.end(), byKind);
    std::stable_sort(theirs.links.begin(), theirs.links.end(), byKind);
    ours.text = withoutBlanks(ours.text);
    theirs.text = withoutBlanks(theirs.text);
    // Content within a table but outside its cells is moved before the table, and links with it;
    // where the tree moved content (above), only what is shown and linked counts, not in which order.
    if (lower.contains(u"<table") || theirs.moved) {
        std::sort(ours.text.begin(), ours.text.end());
        std::sort(theirs.text.begin(), theirs.text.end());
        std::sort(ours.links.begin(), ours.links.end());
        std::sort(theirs.links.begin(), theirs.links.end());
    }

    FUZZ_CHECK_MSG(
        ours.text == theirs.text,
        QStringLiteral("text\n  reader: \"%1\"\n  parser: \"%2\"").arg(ours.text.left(300), theirs.text.left(300)));
    FUZZ_CHECK_MSG(ours.links == theirs.links,
                   QStringLiteral("links\n  reader: %1\n  parser: %2")
                       .arg(ours.links.join(u" | ").left(300), theirs.links.join(u" | ").left(300)));
    return 0;
}
