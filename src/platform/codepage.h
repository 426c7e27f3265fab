#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>

namespace platform {

// The 8-bit code page of the program's text files: Windows-1252. The five bytes that it leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 control of the same value, so every
// byte has a character and decoding then encoding gives back the same bytes.
QString decodeCodePage(QByteArrayView bytes);

namespace detail {
// 0x80 to 0x9F; the rest of the code page is Latin-1.
inline constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
} // namespace detail

// The character that a byte stands for. Inline, as text is decoded a byte at a time.
constexpr char16_t codePageChar(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? detail::kHighControls[byte - 0x80] : char16_t(byte);
}

// Where the run of ASCII units of text that begins at from ends: eight units at a time, as the text
// of a book is nearly all ASCII.
qsizetype asciiRunEnd(QStringView text, qsizetype from);

// Encodes text into the code page. A character that it can't hold is written as a numeric character
// reference ("&#NNNN;") when asHtmlReference is true, else as "?". Sets *unheld to the number of
// characters so written.
QByteArray encodeCodePage(QStringView text, bool asHtmlReference = true, qsizetype *unheld = nullptr);
// The same, written at the end of out; gives the number of characters written instead.
qsizetype appendCodePage(QByteArray &out, QStringView text, bool asHtmlReference = true);

// The character set that a file's first bytes declare, in lower case, as a browser finds it: a
// page's <meta charset> or <meta http-equiv="Content-Type">, an XML declaration's encoding, a style
// sheet's @charset. Empty when there is none.
QString declaredCharset(QByteArrayView bytes);

// The character set of a text file that is not the program's own, by the one rule that the page view
// and import share: what its byte order mark says, else what it declares, else UTF-8 when its bytes
// are valid UTF-8, else the program's code page. Given as a name for the web ("utf-8", "utf-16le",
// "utf-16be", "windows-1252", or the label declared).
QByteArray charsetOf(QByteArrayView bytes);
// The same, where what the bytes declare is known already.
QByteArray charsetOf(QByteArrayView bytes, const QString &declared);

} // namespace platform
