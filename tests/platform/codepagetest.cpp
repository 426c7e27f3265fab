#include "../qstringprinter.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, DecodesWindows1252)
{
    EXPECT_EQ(platform::decodeCodePage("A\x80\x93\x9f\xa0\xe9\xff"), QStringLiteral("A€“Ÿ\u00a0éÿ"));
    // The five bytes that the code page leaves undefined stand for the C1 control of the same value.
    for (const unsigned char byte : {0x81, 0x8d, 0x8f, 0x90, 0x9d})
        EXPECT_EQ(platform::codePageChar(byte), char16_t(byte)) << int(byte);
}

TEST(CodePage, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    qsizetype unheld = -1;
    EXPECT_EQ(platform::encodeCodePage(platform::decodeCodePage(all), true, &unheld), all);
    EXPECT_EQ(unheld, 0);
}

TEST(CodePage, CharactersOutsideTheCodePage)
{
    qsizetype unheld = 0;
    EXPECT_EQ(platform::encodeCodePage(u"\u20ac\u2603\U0001F600", true, &unheld), QByteArray("\x80&#9731;&#128512;"));
    EXPECT_EQ(unheld, 2); // a pair of surrogates is one character
    EXPECT_EQ(platform::encodeCodePage(u"a\u2603b\U0001F600", false), QByteArray("a?b?"));
}

} // namespace
