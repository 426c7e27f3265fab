// The book format's writing and its separators, which loading, the check, pack, unpack and import
// share.
#include "../qstringprinter.h"

#include "book/bookcheck.h"
#include "book/bookfile.h"
#include "book/bookformat.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

TEST(BookFormat, WhatIsWrittenIsCutBackIntoTheSamePieces)
{
    book::BookWriter writer(u"Caf\u00e9 notes");
    writer.addPage(u" start ", u"<p>\u0101 \u20ac</p>\r\n");
    writer.addRecord(u"   ");
    writer.addPage(u"end", u"");
    const QByteArray text = writer.take();
    // The page HTML gets references for what Windows-1252 lacks; the rest is written as it is.
    EXPECT_EQ(text, "Caf\xe9 notes<<$$>> start ##<p>&#257; \x80</p>\r\n~   ~end##");

    const book::Book book = book::parseBook(text, u"w.tavlo"_s);
    EXPECT_EQ(book.title, u"Caf\u00e9 notes");
    ASSERT_EQ(book.pages.size(), 3);
    EXPECT_EQ(book.pages.record(1), u"   ");
    EXPECT_EQ(book.pages.record(2), u"end##");
    EXPECT_EQ(book.ignoredLength, 0);

    // A name with a character the code page lacks makes the book UTF-8, which keeps it: U+FEFF too.
    book::BookWriter marked(u"T");
    marked.addPage(u"a\uFEFFb", u"");
    EXPECT_EQ(book::parseBook(marked.take(), u"m.tavlo"_s).pages.record(0), u"a\uFEFFb##");
}

TEST(BookFormat, PageTextWrittenInPiecesIsEncodedAsWhole)
{
    // Cut after each unit in turn: a surrogate pair split between pieces stays one character, and a
    // lone surrogate is what the whole text's encoding makes of it.
    const QString text = u"a\u00e9\u20ac\u2603\U0001F600b"_s + QChar(0xD800) + u"c"_s + QChar(0xDC00) + QChar(0xD83D);
    for (const book::TextForm form : {book::TextForm::CodePage, book::TextForm::Utf8}) {
        qsizetype unheldWhole = 0;
        const QByteArray whole = book::BookEncoder(form).pageText(text, &unheldWhole);
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            book::PageTextStream stream(form);
            stream.append(QStringView(text).first(cut));
            stream.append(QStringView(text).sliced(cut));
            qsizetype unheld = 0;
            EXPECT_EQ(stream.take(&unheld), whole) << int(form) << " cut at " << cut;
            EXPECT_EQ(unheld, unheldWhole) << int(form) << " cut at " << cut;
        }
    }
    book::PageTextStream stream(book::TextForm::Utf8);
    stream.append(QLatin1StringView("&lt;"));
    stream.append(u"\u00e9"_s);
    EXPECT_EQ(stream.cut(), 6);
    EXPECT_EQ(stream.take(nullptr), "&lt;\xC3\xA9");
}

TEST(BookFormat, SeparatorsAreFoundAsTheReaderCutsAtThem)
{
    // "###" is "##" and a "#"; the separators never overlap one another.
    const std::vector<book::SeparatorAt> found = book::separatorsIn(u"a###<<$$>>~~#<<$$>");
    std::vector<std::pair<qsizetype, QString>> seen;
    for (const book::SeparatorAt &at : found)
        seen.emplace_back(at.offset, QString(at.separator->text));
    const std::vector<std::pair<qsizetype, QString>> expected = {
        {1, u"##"_s}, {4, u"<<$$>>"_s}, {10, u"~"_s}, {11, u"~"_s}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(found[0].separator->reference, "&#35;&#35;"_L1);
    EXPECT_FALSE(book::holdsSeparator(u"# <<$$> $$>> ~"_s.remove(u'~')));
    EXPECT_TRUE(book::runsIntoFieldSeparator(u"name#"));

    const QByteArray text = "t<<$<<$$>>a##b#~c<<$$>>d";
    const book::BookSections sections = book::cutSections(text);
    EXPECT_EQ(sections.titleEnd, 4);
    EXPECT_EQ(text.sliced(sections.sectionBegin, sections.sectionEnd - sections.sectionBegin), "a##b#~c");
    EXPECT_EQ(book::findFieldSeparator(text, 12), -1);
}

// Unpack refuses what formDefects() finds; the check finds the same, in the same order, among the
// rest.
TEST(BookFormat, TheFormDefectsAreThoseTheCheckReports)
{
    const book::Book book = book::parseBook(
        "T\n<<$$>>a##<a href=\"nowhere\">x</a>##y~~\nb##z~a##<img src=\"no.gif\">~no html<<$$>>", u"f.tavlo"_s);
    const std::vector<book::Defect> form = book::formDefects(book);
    std::vector<book::Defect> checked = book::checkBook(book, u"/nonexistent-tavlo-test"_s);
    std::erase_if(checked, [](const book::Defect &d) {
        return d.kind == book::DefectKind::DeadLink || d.kind == book::DefectKind::MissingPicture;
    });
    ASSERT_EQ(form.size(), checked.size());
    for (size_t i = 0; i < form.size(); ++i) {
        EXPECT_EQ(form[i].kind, checked[i].kind) << i;
        EXPECT_EQ(form[i].page, checked[i].page) << i;
        EXPECT_EQ(form[i].message, checked[i].message) << i;
    }
    EXPECT_EQ(form.size(), 7u); // title, ignored text, split HTML, empty, line break, duplicate, no "##"
}

} // namespace
