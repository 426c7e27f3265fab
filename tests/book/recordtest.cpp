#include "../qstringprinter.h"

#include "book/record.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

TEST(Record, CutsAtEveryDoubleHashFromLeftToRight)
{
    // Three hashes are "##" then a "#" that begins the next field; four are two separators.
    EXPECT_EQ(book::cutFields(u"a###b"), QStringList({u"a"_s, u"#b"_s}));
    EXPECT_EQ(book::cutFields(u"a####b"), QStringList({u"a"_s, QString(), u"b"_s}));
    EXPECT_EQ(book::cutFields(u"a # b"), QStringList({u"a # b"_s}));
    EXPECT_EQ(book::cutFields(u""), QStringList());
    EXPECT_EQ(book::pageName(u" roses ##<p>red</p>"), u" roses ");
    // "##" inside the HTML ends it there; later fields are never shown.
    EXPECT_EQ(book::pageHtmlOf(u"roses##<p>a##b</p>##c"), u"<p>a");
}

TEST(Record, MissingFieldsReadAsEmpty)
{
    EXPECT_EQ(book::pageName(u""), QString());
    EXPECT_EQ(book::pageHtmlOf(u""), QString());
    EXPECT_EQ(book::pageHtmlOf(u"roses#"), QString());
    EXPECT_FALSE(book::hasPageHtml(u"roses#"));
    EXPECT_TRUE(book::hasPageHtml(u"roses##"));
}

TEST(Record, OnlySpacesCount)
{
    EXPECT_TRUE(book::isBlank(u""));
    EXPECT_TRUE(book::isBlank(u"    "));
    for (const QString &notBlank : {u"\n"_s, u"\t"_s, u" \r\n "_s, u"\u00a0"_s})
        EXPECT_FALSE(book::isBlank(notBlank)) << notBlank.toStdString();
    EXPECT_EQ(book::trimSpaces(u" \troses  b \n "), u"\troses  b \n");
}

} // namespace
