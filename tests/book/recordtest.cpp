#include "../qstringprinter.h"

#include "book/bookformat.h"
#include "book/record.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// The fields of a record, read as text and as the book's bytes.
QStringList fieldsOf(QStringView record)
{
    QStringList fields;
    for (int i = 0; i < 4; ++i) {
        const QStringView field = book::recordField(record, i);
        const QByteArray bytes = record.toLatin1();
        EXPECT_EQ(book::recordField(QByteArrayView(bytes), i), field.toLatin1()) << i;
        fields.append(field.toString());
    }
    return fields;
}

TEST(Record, CutsAtEveryDoubleHashFromLeftToRight)
{
    // Three hashes are "##" then a "#" that begins the next field; four are two separators. A field
    // the record lacks is empty.
    EXPECT_EQ(fieldsOf(u"a###b"), QStringList({u"a"_s, u"#b"_s, QString(), QString()}));
    EXPECT_EQ(fieldsOf(u"a####b"), QStringList({u"a"_s, QString(), u"b"_s, QString()}));
    EXPECT_EQ(fieldsOf(u"a # b##"), QStringList({u"a # b"_s, QString(), QString(), QString()}));
    EXPECT_EQ(fieldsOf(u"##x##y##z"), QStringList({QString(), u"x"_s, u"y"_s, u"z"_s}));
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
