#include "pagelinks.h"

#include "record.h"

#include <optional>

namespace book {
namespace {

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

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

// The attribute value as the document holds it: numeric references and the usual named ones
// decoded; any other "&" is left as written.
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

// Reads the tag that begins with its name at i (just after "<"); leaves i after its ">", or at the
// end of the text. Gives the first value of attribute wanted, if the tag has it.
std::optional<QString> readTag(QStringView html, qsizetype &i, QString &tagName, QStringView wanted)
{
    const qsizetype nameBegin = i;
    while (i < html.size() && !isHtmlSpace(html[i]) && html[i] != u'/' && html[i] != u'>')
        ++i;
    tagName = html.sliced(nameBegin, i - nameBegin).toString();

    std::optional<QString> found;
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
        const qsizetype attrBegin = i++;
        while (i < html.size() && !isHtmlSpace(html[i]) && html[i] != u'/' && html[i] != u'>' && html[i] != u'=')
            ++i;
        const QStringView attrName = html.sliced(attrBegin, i - attrBegin);
        qsizetype j = i;
        while (j < html.size() && isHtmlSpace(html[j]))
            ++j;
        QStringView value;
        if (j < html.size() && html[j] == u'=') {
            i = j + 1;
            while (i < html.size() && isHtmlSpace(html[i]))
                ++i;
            if (i < html.size() && (html[i] == u'"' || html[i] == u'\'')) {
                const QChar quote = html[i];
                const qsizetype close = html.indexOf(quote, i + 1);
                const qsizetype end = close < 0 ? html.size() : close;
                value = html.sliced(i + 1, end - i - 1);
                i = close < 0 ? end : end + 1;
            } else {
                const qsizetype valueBegin = i;
                while (i < html.size() && !isHtmlSpace(html[i]) && html[i] != u'>')
                    ++i;
                value = html.sliced(valueBegin, i - valueBegin);
            }
        }
        // Of two attributes of the same name, the first counts.
        if (!found && attrName.compare(wanted, Qt::CaseInsensitive) == 0)
            found = decodeReferences(value);
    }
    return found;
}

} // namespace

std::vector<PageLink> pageLinks(QStringView html)
{
    std::vector<PageLink> links;
    qsizetype i = 0;
    while ((i = html.indexOf(u'<', i)) >= 0) {
        const qsizetype tagBegin = i++;
        if (html.sliced(i).startsWith(u"!--")) {
            const qsizetype end = html.indexOf(u"-->", i + 3);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        if (i < html.size() && (html[i] == u'/' || html[i] == u'!' || html[i] == u'?')) {
            const qsizetype end = html.indexOf(u'>', i);
            i = end < 0 ? html.size() : end + 1;
            continue;
        }
        if (i >= html.size() || !isAsciiLetter(html[i]))
            continue; // a "<" of the text

        QString tagName;
        const std::optional<QString> href = readTag(html, i, tagName, u"href");
        if (href &&
            (tagName.compare(u"a", Qt::CaseInsensitive) == 0 || tagName.compare(u"area", Qt::CaseInsensitive) == 0))
            links.push_back({*href, tagBegin});
        // Their content is text for the script engine or the style sheet, not markup.
        if (tagName.compare(u"script", Qt::CaseInsensitive) == 0 ||
            tagName.compare(u"style", Qt::CaseInsensitive) == 0) {
            const qsizetype end = html.indexOf(QString(u"</" + tagName), i, Qt::CaseInsensitive);
            i = end < 0 ? html.size() : end;
        }
    }
    return links;
}

} // namespace book
