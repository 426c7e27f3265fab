#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// The 8-bit code page of the program's text files: Windows-1252. The five bytes that it leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 control of the same value, so every
// byte has a character and decoding then encoding gives back the same bytes.
QString decodeCodePage(QByteArrayView bytes);

// The character that a byte stands for.
char16_t codePageChar(unsigned char byte);

// Encodes text into the code page. A character that it can't hold is written as a numeric character
// reference ("&#NNNN;") when asHtmlReference is true, else as "?". Sets *lossless to false when that
// happened.
QByteArray encodeCodePage(QStringView text, bool asHtmlReference = true, bool *lossless = nullptr);

// The character set of a text file that is not the program's own: what its byte order mark says,
// else UTF-8 when its bytes are valid UTF-8, else the program's code page. Given as a name for the
// web ("utf-8", "utf-16le", "utf-16be", "windows-1252").
QByteArray charsetOf(QByteArrayView bytes);

} // namespace platform
