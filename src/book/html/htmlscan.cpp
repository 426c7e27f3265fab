#include "htmlscan.h"

#include "htmlreading.h"

#include <QStringList>
#include <QUrl>
#include <QVarLengthArray>

namespace book {
namespace {

bool isCssNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'\\';
}

} // namespace

std::vector<CssReference> cssReferences(QStringView css)
{
    std::vector<CssReference> references;
    // A quoted URL from the quote at "at" to its closing one: where reading goes on after it; 0 when no
    // quote stands at "at", -1 when it is never closed.
    const auto quoted = [&](qsizetype at) -> qsizetype {
        if (at >= css.size() || (css[at] != u'"' && css[at] != u'\''))
            return 0;
        const qsizetype close = css.indexOf(css[at], at + 1);
        if (close < 0)
            return -1;
        references.push_back({at, close + 1, css.sliced(at + 1, close - at - 1).toString(), css[at]});
        return close + 1;
    };
    const auto skipSpaces = [&](qsizetype at) {
        while (at < css.size() && css[at].isSpace())
            ++at;
        return at;
    };
    qsizetype i = 0;
    while (i < css.size()) {
        const QChar c = css[i];
        const QStringView rest = css.sliced(i);
        if (c == u'/' && rest.startsWith(u"/*")) {
            const qsizetype end = css.indexOf(u"*/", i + 2);
            i = end < 0 ? css.size() : end + 2;
        } else if (c == u'"' || c == u'\'') {
            qsizetype end = i + 1;
            while (end < css.size() && css[end] != c && css[end] != u'\n')
                end += css[end] == u'\\' ? 2 : 1;
            i = std::min(end, css.size()) + 1;
        } else if (c == u'@' && rest.startsWith(u"@import", Qt::CaseInsensitive)) {
            const qsizetype j = skipSpaces(i + 7);
            const qsizetype after = quoted(j);
            if (after < 0)
                break;
            i = after > 0 ? after : j; // @import url(...) is read as a url()
        } else if ((c == u'u' || c == u'U') && rest.startsWith(u"url(", Qt::CaseInsensitive) &&
                   (i == 0 || !isCssNameChar(css[i - 1]))) {
            const qsizetype j = skipSpaces(i + 4);
            const qsizetype after = quoted(j);
            if (after < 0)
                break;
            if (after > 0) {
                i = after;
            } else {
                const qsizetype close = css.indexOf(u')', j);
                qsizetype end = close < 0 ? css.size() : close;
                i = end;
                while (end > j && css[end - 1].isSpace())
                    --end;
                references.push_back({j, end, css.sliced(j, end - j).toString(), QChar()});
            }
        } else {
            ++i;
        }
    }
    return references;
}

UrlReference readUrl(QStringView url, QStringView folder)
{
    UrlReference reference;
    url = url.trimmed();
    if (url.isEmpty() || url.startsWith(u'#')) {
        reference.kind = UrlReference::Document;
        if (!url.isEmpty())
            reference.fragment = url.sliced(1).toString();
        return reference;
    }
    if (url.startsWith(u"//") || url.startsWith(u"\\\\")) {
        reference.kind = UrlReference::External;
        return reference;
    }
    for (qsizetype i = 0; i < url.size(); ++i) {
        const QChar c = url[i];
        if (c == u':' && i > 0) {
            reference.kind = UrlReference::External;
            return reference;
        }
        const bool schemeChar = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                                (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
        if (!schemeChar)
            break;
    }
    QStringView rest = url;
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0) {
        reference.fragment = rest.sliced(hash + 1).toString();
        rest.truncate(hash);
    }
    if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
        reference.query = rest.sliced(question).toString();
        rest.truncate(question);
    }
    if (rest.isEmpty()) { // "?query": the page itself
        reference.kind = UrlReference::Document;
        return reference;
    }
    // Decoded, and its "\\" read as "/", only where it holds them: a site's every link comes through here.
    QString decoded;
    QStringView path = rest;
    if (rest.contains(u'%') || rest.contains(u'\\')) {
        decoded = rest.contains(u'%') ? QUrl::fromPercentEncoding(rest.toUtf8()) : rest.toString();
        decoded.replace(u'\\', u'/');
        path = decoded;
    }
    if (path.startsWith(u'/')) {
        reference.kind = UrlReference::Absolute;
        reference.path = path.toString();
        return reference;
    }
    reference.endsWithSlash = path.endsWith(u'/');
    QVarLengthArray<QStringView, 32> parts;
    // The non-empty parts of a "/"-separated path, in order.
    const auto eachPart = [](QStringView text, auto &&take) {
        for (qsizetype begin = 0; begin < text.size();) {
            qsizetype end = begin;
            while (end < text.size() && text[end] != u'/')
                ++end;
            if (end > begin)
                take(text.sliced(begin, end - begin));
            begin = end + 1;
        }
    };
    eachPart(folder, [&](QStringView part) { parts.append(part); });
    eachPart(path, [&](QStringView part) {
        if (part == u".")
            return;
        if (part == u"..") {
            if (parts.isEmpty())
                reference.climbsOut = true;
            else
                parts.removeLast();
            return;
        }
        parts.append(part);
    });
    qsizetype size = parts.size();
    for (const QStringView part : parts)
        size += part.size();
    reference.path.reserve(size);
    for (const QStringView part : parts) {
        if (!reference.path.isEmpty())
            reference.path += u'/';
        reference.path += part;
    }
    return reference;
}

QString HtmlAttribute::value() const
{
    return html::decodeAttributeValue(rawValue);
}

const HtmlAttribute *HtmlToken::attribute(QStringView attributeName) const
{
    for (const HtmlAttribute &attribute : attributes)
        if (sameName(attribute.name, attributeName))
            return &attribute;
    return nullptr;
}

bool HtmlScanner::next(HtmlToken &token)
{
    token.name = {};
    token.attributes.clear();
    token.begin = at_;
    if (at_ >= html_.size())
        return false;
    const char16_t *base = html_.utf16();
    const char16_t *end = base + html_.size();
    const auto piece = [&](HtmlToken::Kind kind, const char16_t *pieceEnd) {
        token.kind = kind;
        token.end = at_ = pieceEnd - base;
        return true;
    };

    if (rawTextEnd_ >= 0) {
        const char16_t *contentEnd = base + rawTextEnd_;
        rawTextEnd_ = -1;
        return piece(HtmlToken::RawText, contentEnd);
    }

    const char16_t *p = base + at_;
    if (*p == u'<') {
        const html::MarkupAt<char16_t> markup = html::markupAt<char16_t, false>(p, end); // no end tag's element
        switch (markup.kind) {
        case html::Markup::Text:
            break;
        case html::Markup::Comment:
            return piece(HtmlToken::Comment, markup.end);
        case html::Markup::Other:
            return piece(HtmlToken::Declaration, markup.end);
        case html::Markup::EndTag:
            return piece(HtmlToken::EndTag, markup.end);
        case html::Markup::StartTag: {
            token.name = QStringView(p + 1, markup.end);
            const char16_t *after =
                html::readAttributes(markup.end, end,
                                     [&](const char16_t *nameBegin, const char16_t *nameEnd, const char16_t *valueBegin,
                                         const char16_t *valueEnd) {
                                         // Room for a tag's few attributes at once: the import keeps
                                         // some pieces of a page. Each is written in its place, as one
                                         // made aside and copied in costs more than the reading.
                                         if (token.attributes.capacity() == 0)
                                             token.attributes.reserve(4);
                                         HtmlAttribute &attribute = token.attributes.emplace_back();
                                         attribute.name = QStringView(nameBegin, nameEnd);
                                         attribute.begin = nameBegin - base;
                                         attribute.end = nameEnd - base;
                                         if (valueBegin) {
                                             attribute.valueBegin = valueBegin - base;
                                             attribute.rawValue = QStringView(valueBegin, valueEnd);
                                             if (valueBegin[-1] == u'"' || valueBegin[-1] == u'\'') {
                                                 attribute.quote = QChar(valueBegin[-1]);
                                                 attribute.end = (valueEnd < end ? valueEnd + 1 : valueEnd) - base;
                                             } else {
                                                 attribute.end = valueEnd - base;
                                             }
                                         }
                                     });
            if (after) {
                const char16_t *contentEnd = html::rawContentEnd(after, end, markup.element);
                if (contentEnd > after)
                    rawTextEnd_ = contentEnd - base;
            }
            return piece(HtmlToken::StartTag, after ? after : end);
        }
        }
    }
    // Text runs to the next "<" that begins markup.
    do
        p = html::find(p + 1, end, u'<');
    while (p < end && !html::beginsMarkup(p, end));
    return piece(HtmlToken::Text, p);
}

} // namespace book
