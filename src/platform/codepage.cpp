#include "codepage.h"

#include <QRegularExpression>

#include <algorithm>

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

QByteArray encodeCodePage(QStringView text, bool asHtmlReference, bool *lossless)
{
    QByteArray out;
    out.reserve(text.size());
    bool allKept = true;
    for (const char32_t c : text.toUcs4()) {
        const int byte = encodeChar(c);
        if (byte >= 0) {
            out.append(char(byte));
            continue;
        }
        allKept = false;
        if (asHtmlReference)
            out.append("&#" + QByteArray::number(uint(c)) + ';');
        else
            out.append('?');
    }
    if (lossless)
        *lossless = allKept;
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
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return "utf-8";
    if (bytes.startsWith("\xFF\xFE"))
        return "utf-16le";
    if (bytes.startsWith("\xFE\xFF"))
        return "utf-16be";
    if (const QString declared = declaredCharset(bytes); !declared.isEmpty())
        return declared.toLatin1();
    return QUtf8StringView(bytes.data(), bytes.size()).isValidUtf8() ? "utf-8" : "windows-1252";
}

} // namespace platform
