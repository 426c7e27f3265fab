#include "codepage.h"

#include <QList>
#include <QUtf8StringView>

#include <array>

namespace platform {
namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int encodeChar(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        if (kHighControls[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

char16_t codePageChar(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t(byte);
}

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

QByteArray charsetOf(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return "utf-8";
    if (bytes.startsWith("\xFF\xFE"))
        return "utf-16le";
    if (bytes.startsWith("\xFE\xFF"))
        return "utf-16be";
    return QUtf8StringView(bytes.data(), bytes.size()).isValidUtf8() ? "utf-8" : "windows-1252";
}

} // namespace platform
