#include "codepage.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <QList>
#include <QUtf8StringView>

namespace platform {
namespace {

int encodeChar(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < int(detail::kHighControls.size()); ++i) {
        if (detail::kHighControls[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString decodeCodePage(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    for (const char b : bytes)
        *out++ = codePageChar(static_cast<unsigned char>(b));
    return text;
}

qsizetype asciiRunEnd(QStringView text, qsizetype from)
{
    const char16_t *units = text.utf16();
    qsizetype i = from;
    for (std::uint64_t a = 0, b = 0; i + 8 <= text.size(); i += 8) {
        std::memcpy(&a, units + i, sizeof a);
        std::memcpy(&b, units + i + 4, sizeof b);
        if (((a | b) & 0xFF80FF80FF80FF80ULL) != 0)
            break;
    }
    while (i < text.size() && units[i] < 0x80)
        ++i;
    return i;
}

qsizetype appendCodePage(QByteArray &out, QStringView text, bool asHtmlReference)
{
    // Written in place: a book's worth of text goes through here, nearly all of it ASCII.
    qsizetype written = out.size();
    out.resize(written + text.size());
    char *bytes = out.data(); // not out[]: each of those asks whether out is shared
    qsizetype notKept = 0;
    const char16_t *units = text.utf16();
    for (qsizetype i = 0; i < text.size();) {
        for (const qsizetype end = asciiRunEnd(text, i); i < end; ++i)
            bytes[written++] = char(units[i]);
        if (i >= text.size())
            break;
        const char16_t unit = units[i++]; // not ASCII
        // A surrogate pair is one character; a lone surrogate is none, read as U+FFFD.
        char32_t c = unit;
        if (QChar::isSurrogate(unit)) {
            const bool paired = QChar::isHighSurrogate(unit) && i < text.size() && QChar::isLowSurrogate(units[i]);
            c = paired ? QChar::surrogateToUcs4(unit, units[i++]) : char32_t(QChar::ReplacementCharacter);
        }
        if (const int byte = encodeChar(c); byte >= 0) {
            bytes[written++] = char(byte);
            continue;
        }
        ++notKept;
        const QByteArray instead = asHtmlReference ? "&#" + QByteArray::number(uint(c)) + ';' : QByteArray("?");
        // What is left of the text still needs a byte a unit at most.
        out.resize(written + instead.size() + (text.size() - i));
        bytes = out.data();
        std::copy(instead.begin(), instead.end(), bytes + written);
        written += instead.size();
    }
    out.truncate(written);
    return notKept;
}

QByteArray encodeCodePage(QStringView text, bool asHtmlReference, qsizetype *unheld)
{
    QByteArray out;
    const qsizetype notKept = appendCodePage(out, text, asHtmlReference);
    if (unheld)
        *unheld = notKept;
    return out;
}

QString declaredCharset(QByteArrayView bytes)
{
    constexpr qsizetype kPrescan = 1024;
    const QString head = QString::fromLatin1(bytes.first(std::min(bytes.size(), kPrescan)));
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*?charset\\s*=\\s*[\"']?\\s*([-A-Za-z0-9_.:]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression xml(QStringLiteral("^\\s*<\\?xml\\b[^>]*?encoding\\s*=\\s*[\"']([-A-Za-z0-9_.:]+)"),
                                        QRegularExpression::CaseInsensitiveOption);
    // A style sheet's rule must be its very first bytes.
    static const QRegularExpression css(QStringLiteral("^@charset \"([-A-Za-z0-9_.:]+)\";"));
    for (const QRegularExpression *rule : {&meta, &xml, &css}) {
        const QRegularExpressionMatch match = rule->match(head);
        if (match.hasMatch())
            return match.captured(1).toLower();
    }
    return {};
}

QByteArray charsetOf(QByteArrayView bytes)
{
    return charsetOf(bytes, declaredCharset(bytes));
}

QByteArray charsetOf(QByteArrayView bytes, const QString &declared)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return "utf-8";
    if (bytes.startsWith("\xFF\xFE"))
        return "utf-16le";
    if (bytes.startsWith("\xFE\xFF"))
        return "utf-16be";
    if (!declared.isEmpty())
        return declared.toLatin1();
    return QUtf8StringView(bytes.data(), bytes.size()).isValidUtf8() ? "utf-8" : "windows-1252";
}

} // namespace platform
