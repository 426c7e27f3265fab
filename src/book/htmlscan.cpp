#include "htmlscan.h"

#include <QStringList>
#include <QUrl>

#include <optional>

namespace book {
namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The character that a numeric reference's digits stand for; U+FFFD for none.
QString numericCharacter(QStringView digits, int base)
{
    bool ok = false;
    const uint code = digits.isEmpty() ? 0 : digits.toUInt(&ok, base);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return QString(QChar::ReplacementCharacter);
    const char32_t c = code;
    return QString::fromUcs4(&c, 1);
}

bool isCssNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'\\';
}

} // namespace

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QString decodeReferences(QStringView value)
{
    if (!value.contains(u'&'))
        return value.toString();
    static const struct {
        QStringView name;
        QChar c;
    } kNamed[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
                  {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", QChar(0xA0)}};
    QString out;
    qsizetype i = 0;
    while (i < value.size()) {
        const qsizetype semicolon = value[i] == u'&' ? value.indexOf(u';', i + 1) : -1;
        if (semicolon < 0) {
            out += value[i++];
            continue;
        }
        const QStringView reference = value.sliced(i + 1, semicolon - i - 1);
        std::optional<QString> decoded;
        if (reference.startsWith(u"#x") || reference.startsWith(u"#X"))
            decoded = numericCharacter(reference.sliced(2), 16);
        else if (reference.startsWith(u'#'))
            decoded = numericCharacter(reference.sliced(1), 10);
        else
            for (const auto &named : kNamed)
                if (reference == named.name)
                    decoded = QString(named.c);
        if (decoded) {
            out += *decoded;
            i = semicolon + 1;
        } else {
            out += value[i++];
        }
    }
    return out;
}

std::vector<CssReference> cssReferences(QStringView css)
{
    std::vector<CssReference> references;
    // A quoted URL from the quote at "at" to its closing one; false when it has none.
    const auto quoted = [&](qsizetype at) {
        const qsizetype close = css.indexOf(css[at], at + 1);
        if (close < 0)
            return false;
        references.push_back({at, close + 1, css.sliced(at + 1, close - at - 1).toString(), css[at]});
        return true;
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
            if (j < css.size() && (css[j] == u'"' || css[j] == u'\'')) {
                if (!quoted(j))
                    break;
                i = references.back().end;
            } else {
                i = j; // @import url(...) is read as a url()
            }
        } else if ((c == u'u' || c == u'U') && rest.startsWith(u"url(", Qt::CaseInsensitive) &&
                   (i == 0 || !isCssNameChar(css[i - 1]))) {
            const qsizetype j = skipSpaces(i + 4);
            if (j < css.size() && (css[j] == u'"' || css[j] == u'\'')) {
                if (!quoted(j))
                    break;
                i = references.back().end;
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
    QString path = QUrl::fromPercentEncoding(rest.toUtf8());
    path.replace(u'\\', u'/');
    if (path.startsWith(u'/')) {
        reference.kind = UrlReference::Absolute;
        return reference;
    }
    reference.endsWithSlash = path.endsWith(u'/');
    QStringList parts = folder.toString().split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (parts.isEmpty())
                reference.climbsOut = true;
            else
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    reference.path = parts.join(u'/');
    return reference;
}

QString HtmlAttribute::value() const
{
    return decodeReferences(rawValue);
}

const HtmlAttribute *HtmlToken::attribute(QStringView attributeName) const
{
    for (const HtmlAttribute &attribute : attributes)
        if (attribute.name.compare(attributeName, Qt::CaseInsensitive) == 0)
            return &attribute;
    return nullptr;
}

bool HtmlScanner::next(HtmlToken &token)
{
    token.name = {};
    token.attributes.clear();
    token.begin = at_;
    const qsizetype size = html_.size();
    if (at_ >= size)
        return false;

    if (!rawTextEnd_.isEmpty()) {
        const qsizetype end = html_.indexOf(rawTextEnd_, at_, Qt::CaseInsensitive);
        rawTextEnd_.clear();
        token.kind = HtmlToken::RawText;
        token.end = at_ = end < 0 ? size : end;
        if (token.end > token.begin)
            return true;
        return next(token);
    }

    if (html_[at_] != u'<') {
        // Text runs to the next "<" that begins a tag, a comment or a declaration.
        qsizetype i = at_;
        while ((i = html_.indexOf(u'<', i + 1)) >= 0) {
            if (i + 1 < size &&
                (isAsciiLetter(html_[i + 1]) || html_[i + 1] == u'/' || html_[i + 1] == u'!' || html_[i + 1] == u'?'))
                break;
        }
        token.kind = HtmlToken::Text;
        token.end = at_ = i < 0 ? size : i;
        return true;
    }

    const qsizetype i = at_ + 1;
    if (html_.sliced(i).startsWith(u"!--")) {
        const qsizetype end = html_.indexOf(u"-->", i + 3);
        token.kind = HtmlToken::Comment;
        token.end = at_ = end < 0 ? size : end + 3;
        return true;
    }
    if (i < size && (html_[i] == u'/' || html_[i] == u'!' || html_[i] == u'?')) {
        const qsizetype end = html_.indexOf(u'>', i);
        token.kind = html_[i] == u'/' ? HtmlToken::EndTag : HtmlToken::Declaration;
        token.end = at_ = end < 0 ? size : end + 1;
        return true;
    }
    if (i >= size || !isAsciiLetter(html_[i])) {
        // A "<" of the text, as "a < b": text up to the next tag.
        qsizetype j = i;
        while (j < size &&
               !(html_[j] == u'<' && j + 1 < size &&
                 (isAsciiLetter(html_[j + 1]) || html_[j + 1] == u'/' || html_[j + 1] == u'!' || html_[j + 1] == u'?')))
            ++j;
        token.kind = HtmlToken::Text;
        token.end = at_ = j;
        return true;
    }
    readStartTag(token);
    return true;
}

void HtmlScanner::readStartTag(HtmlToken &token)
{
    const QStringView html = html_;
    qsizetype i = at_ + 1;
    const qsizetype nameBegin = i;
    while (i < html.size() && !isHtmlSpace(html[i]) && html[i] != u'/' && html[i] != u'>')
        ++i;
    token.kind = HtmlToken::StartTag;
    token.name = html.sliced(nameBegin, i - nameBegin);

    while (i < html.size()) {
        const QChar c = html[i];
        if (c == u'>') {
            ++i;
            break;
        }
        if (isHtmlSpace(c) || c == u'/') {
            ++i;
            continue;
        }
        HtmlAttribute attribute;
        attribute.begin = i++;
        while (i < html.size() && !isHtmlSpace(html[i]) && html[i] != u'/' && html[i] != u'>' && html[i] != u'=')
            ++i;
        attribute.name = html.sliced(attribute.begin, i - attribute.begin);
        attribute.end = i;
        qsizetype j = i;
        while (j < html.size() && isHtmlSpace(html[j]))
            ++j;
        if (j < html.size() && html[j] == u'=') {
            i = j + 1;
            while (i < html.size() && isHtmlSpace(html[i]))
                ++i;
            if (i < html.size() && (html[i] == u'"' || html[i] == u'\'')) {
                attribute.quote = html[i];
                const qsizetype close = html.indexOf(attribute.quote, i + 1);
                const qsizetype end = close < 0 ? html.size() : close;
                attribute.valueBegin = i + 1;
                attribute.rawValue = html.sliced(i + 1, end - i - 1);
                i = close < 0 ? end : end + 1;
            } else {
                attribute.valueBegin = i;
                while (i < html.size() && !isHtmlSpace(html[i]) && html[i] != u'>')
                    ++i;
                attribute.rawValue = html.sliced(attribute.valueBegin, i - attribute.valueBegin);
            }
            attribute.end = i;
        }
        token.attributes.push_back(attribute);
    }
    token.end = at_ = i;
    // Their content is text for the script engine or the style sheet, not markup.
    if (token.is(u"script") || token.is(u"style"))
        rawTextEnd_ = u"</" + token.name.toString();
}

} // namespace book
