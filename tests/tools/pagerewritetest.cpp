// Turning a web page into a book page, without files: how a page's bytes are read, and what of its
// references and text the import changes.
#include "../qstringprinter.h"

#include "author/pagerewrite.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

// Answers every reference with its role and text, and keeps what is put aside.
class RecordingSite final : public PageSite {
public:
    std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype) override
    {
        ++asked;
        if (url.startsWith(u"keep"))
            return std::nullopt;
        if (url.startsWith(u"moves")) // an answer the book can't hold in a style sheet
            return u"~/"_s + url;
        const char *prefix = role == UrlRole::Link ? "L/" : role == UrlRole::Picture ? "images/P/" : "F/";
        return QString::fromLatin1(prefix) + url;
    }

    QString keepAside(QStringView suffix, const QString &text) override
    {
        aside[suffix.toString()] = text;
        return u"tavlo-inline/x."_s + suffix;
    }

    void reading(QStringView text, qsizetype origin, qsizetype linesBefore) override
    {
        readings.append(QStringLiteral("%1+%2 after %3 lines").arg(origin).arg(text.size()).arg(linesBefore));
    }

    std::map<QString, QString> aside;
    int asked = 0;
    QStringList readings;
};

// Gives a draft the site's links that neither stay nor move, as the import's drafts give page links.
class LinkAnswers final : public DraftAnswers {
public:
    std::optional<std::optional<QString>> answer(UrlRole role, const QString &url) const override
    {
        if (role == UrlRole::Link)
            links.append(url);
        if (role != UrlRole::Link || url.startsWith(u"keep") || url.startsWith(u"moves"))
            return std::nullopt;
        return std::optional(u"L/"_s + url);
    }
    mutable QStringList links; // asked for, in turn
};

std::vector<qsizetype> each(const TextChanges &c)
{
    return {c.tildes, c.doubleHashes, c.sectionMarks, c.outsideCodePage, c.scriptsMoved, c.stylesMoved};
}

// The page rewritten whole; and drafted without the site then finished with it, as the import does
// on several cores, which must give the same as the book encodes it in either form: the site asked
// once for each reference in all, by the draft's answers or by itself.
QString rewritten(const QString &html, TextChanges *changes = nullptr, RecordingSite *site = nullptr)
{
    RecordingSite own;
    TextChanges ignored;
    TextChanges &counted = changes ? *changes : ignored;
    const TextChanges before = counted;
    const QString whole = rewritePage(html, site ? *site : own, counted);
    const auto encoded = [&](book::TextForm form) { return book::BookEncoder(form).pageText(whole); };
    RecordingSite again;
    TextChanges countedAgain;
    EXPECT_EQ(finishPage(draftPage(html, book::TextForm::CodePage), again, countedAgain),
              encoded(book::TextForm::CodePage));
    RecordingSite answered;
    TextChanges inUtf8;
    const LinkAnswers answers;
    DraftPage draft = draftPage(html, book::TextForm::Utf8, &answers);
    const qsizetype rewrittenByAnswers = draft.rewrittenByAnswers;
    EXPECT_EQ(finishPage(std::move(draft), answered, inUtf8), encoded(book::TextForm::Utf8));
    EXPECT_EQ(inUtf8.outsideCodePage, 0); // UTF-8 holds every character as it is
    EXPECT_EQ(answered.asked + rewrittenByAnswers, again.asked) << html.toStdString();
    std::vector<qsizetype> added = each(counted);
    for (size_t i = 0; i < added.size(); ++i)
        added[i] -= each(before)[i];
    EXPECT_EQ(each(countedAgain), added) << html.toStdString();
    return whole;
}

TEST(PageRewrite, PointsEveryKindOfReferenceWhereItsFileGoes)
{
    EXPECT_EQ(rewritten(u"<a href='a.html#x'>a</a><area href=b.html><link rel=next href=c.html>"_s),
              u"<a href=\"L/a.html#x\">a</a><area href=\"L/b.html\"><link rel=next href=\"L/c.html\">"_s);
    // A link in an element that asks for a file too: the site answers both.
    EXPECT_EQ(rewritten(u"<a href=a.html style='background: url(b.png)'>"_s),
              u"<a href=\"L/a.html\" style=\"background: url(F/b.png)\">"_s);
    EXPECT_EQ(rewritten(u"<link rel=\"Stylesheet icon\" href=s.css><script src=j.js></script><video poster=v.png>"_s),
              u"<link rel=\"Stylesheet icon\" href=\"F/s.css\"><script src=\"F/j.js\"></script>"
              u"<video poster=\"F/v.png\">"_s);
    // Pictures first in their element and in double quotes; an element the reader takes for one gets
    // an empty source; <image> is an <img> to the parser.
    EXPECT_EQ(rewritten(u"<img alt=x src='p.png' srcset=\"a.png 1x,b.png\"><image src=q.png><img alt=y>"_s),
              u"<img src=\"images/P/p.png\" alt=x srcset=\"F/a.png 1x,F/b.png\">"
              u"<image src=\"images/P/q.png\"><img src=\"\" alt=y>"_s);
    EXPECT_EQ(rewritten(u"<p style=\"background: url(&quot;bg.png&quot;) , url( k.png )\">"_s),
              u"<p style=\"background: url(&quot;F/bg.png&quot;) , url( F/k.png )\">"_s);
    EXPECT_EQ(rewritten(u"<style>@import 'a.css'; /* url(no.png) */ p { content: \"url(no.png)\" }</style>"_s),
              u"<style>@import 'F/a.css'; /* url(no.png) */ p { content: \"url(no.png)\" }</style>"_s);
    // Left as written where the site says so, the picture still first and double-quoted.
    EXPECT_EQ(rewritten(u"<img alt=z src='keep.png'><a href=keep.html>"_s),
              u"<img src=\"keep.png\" alt=z><a href=keep.html>"_s);
    // What touches the source taken out keeps the blank before it: "a#" and "#b" would read "##".
    EXPECT_EQ(rewritten(u"<img a# src=\"keep.png\"#b>"_s), u"<img src=\"keep.png\" a# #b>"_s);
}

TEST(PageRewrite, KeepsScriptAndStyleTextWholeOutsideThePageWhereReferencesCantStand)
{
    RecordingSite site;
    TextChanges changes;
    const QString html = rewritten(u"<script type=module async>x = ~y; // \u2192</script>"
                                   u"<style media=print>a ~ b { background: url(i.png) }</style>"
                                   u"<script type=\"text/template\">~</script><script>plain()</script>"
                                   u"<script src=s.js>ignored ##</script>"_s,
                                   &changes, &site);
    EXPECT_EQ(html, u"<script src=\"tavlo-inline/x.js\" type=module async></script>"
                    u"<link rel=\"stylesheet\" href=\"tavlo-inline/x.css\" media=\"print\">"
                    u"<script type=\"text/template\">&#126;</script><script>plain()</script>"
                    u"<script src=\"F/s.js\">ignored &#35;&#35;</script>"_s);
    EXPECT_EQ(site.aside[u"js"_s], u"x = ~y; // \u2192"_s);
    // The sheet lies one folder down: its relative references climb one folder.
    EXPECT_EQ(site.aside[u"css"_s], u"a ~ b { background: url(../F/i.png) }"_s);
    EXPECT_EQ(changes.scriptsMoved, 1);
    EXPECT_EQ(changes.stylesMoved, 1);
    EXPECT_EQ(changes.tildes, 1);
    EXPECT_EQ(changes.doubleHashes, 1);
    EXPECT_EQ(changes.outsideCodePage, 0);
    // Moved for what the site answered, though nothing of the sheet itself had to: its end tag goes too.
    EXPECT_EQ(rewritten(u"<style>p { background: url(moves.png) }</style><p>"_s),
              u"<link rel=\"stylesheet\" href=\"tavlo-inline/x.css\"><p>"_s);
}

TEST(PageRewrite, WritesWhatTheBookCantHoldAsReferences)
{
    TextChanges changes;
    // A tag's end and the text after it can form "<<$$>>" too.
    EXPECT_EQ(rewritten(u"<p title=\"a~b\">1~2 ### <<$$>> \u0101 \U0001F600</p><!-- ~ <IMG src=x> -->"
                        u"<p data-background=\"x\">background=<x<<$$>>y"_s,
                        &changes),
              u"<p title=\"a&#126;b\">1&#126;2 &#35;&#35;# &lt;&lt;$$&gt;&gt; \u0101 \U0001F600</p>"
              u"<!-- &#126; &lt;IMG src=x> --><p data-background =\"x\">background&#61;<x&lt;&lt;$$&gt;&gt;y"_s);
    EXPECT_EQ(changes.sectionMarks, 2);
    EXPECT_EQ(changes.tildes, 3);
    EXPECT_EQ(changes.doubleHashes, 1);
    EXPECT_EQ(changes.outsideCodePage, 2); // one character in two code units counts once
    // A tag that nothing changes stays as written, its blanks and quotes too.
    EXPECT_EQ(rewritten(u"<div  class = 'a \"b\"' hidden\tdata-x=y/ >"_s),
              u"<div  class = 'a \"b\"' hidden\tdata-x=y/ >"_s);
}

TEST(PageRewrite, ReadsPagesInTheCharacterSetTheyDeclare)
{
    QString problem;
    EXPECT_EQ(decodePage("<meta charset=\"ISO-8859-1\"><p>caf\xE9 \x80", &problem).text,
              u"<meta charset=\"ISO-8859-1\"><p>caf\u00e9 \u20ac"_s);
    EXPECT_TRUE(problem.isEmpty());
    const PageText cyrillic =
        decodePage("<?xml version=\"1.0\" encoding='windows-1251'?><p>\xCF\xF0\xE8\xE2\xE5\xF2</p>", &problem);
    EXPECT_EQ(cyrillic.charset, u"windows-1251"_s);
    EXPECT_TRUE(cyrillic.text.endsWith(u"<p>\u041f\u0440\u0438\u0432\u0435\u0442</p>"_s))
        << cyrillic.text.toStdString();
    EXPECT_EQ(decodePage("\xEF\xBB\xBF<p>\xC3\xA9</p>", &problem).text, u"<p>\u00e9</p>"_s);
    EXPECT_EQ(decodePage(QByteArrayView("\xFF\xFE<\0p\0>\0", 8), &problem).text, u"<p>"_s);

    // A page that declares nothing and is no UTF-8 is read as Windows-1252, where nothing is lost; one
    // that says UTF-8 (by its mark or its declaration) is read so, as the reader shows it, and the
    // report says where it isn't.
    EXPECT_EQ(decodePage("<p>caf\xE9</p>", &problem).text, u"<p>caf\u00e9</p>"_s);
    EXPECT_EQ(problem, u"declares no character set and is not UTF-8 text; read as Windows-1252"_s);
    for (const char *sayingUtf8 : {"\xEF\xBB\xBF<p>caf\xE9</p>", "<meta charset=utf-8><p>caf\xE9</p>"}) {
        EXPECT_TRUE(decodePage(sayingUtf8, &problem).text.endsWith(u"<p>caf\ufffd</p>"_s)) << sayingUtf8;
        EXPECT_EQ(problem, u"is not UTF-8 text throughout; what isn't is read as U+FFFD, as a browser reads it"_s);
    }
    EXPECT_EQ(decodePage("<meta charset=klingon><p>\xC3\xA9", &problem).text, u"<meta charset=klingon><p>\u00e9"_s);
    EXPECT_EQ(problem, u"declares the character set \"klingon\", which is not known; read as UTF-8"_s);
}

// A page file is drafted a part of its text at a time, wherever the parts end: what its whole text
// drafted gives, the site told the same places and lines of what it is asked.
TEST(PageRewrite, DraftsAPageFileInPartsAsWhole)
{
    QByteArray body;
    for (int i = 0; i < 12; ++i)
        body += "<p title=\"a~b\">caf\xC3\xA9 \xF0\x9F\x98\x80 ##</p>\n<script>if (a <b) x = '</scrip';</script"
                "                                        >"
                "<!-- <a href=no.html> -->\n<title><a href=t.html></title><a href=keep.html>k</a><a href=x.html>\n"
                "<style>p { background: url(moves.png) }</style                                        >"
                "<textarea>~</textarea><img src=p.png>";
    const QByteArray files[] = {
        "\xEF\xBB\xBF\xEF\xBB\xBF" + body, // a second mark is read as none
        "<meta charset=utf-8>" + body,     // declared
        body,                              // undeclared UTF-8
        QByteArray(body).replace("\xC3\xA9", "\xE9").replace("\xF0\x9F\x98\x80", "\x80"), // Windows-1252
        "<meta charset=utf-8>" + body + "\xE9",                                           // not UTF-8 throughout
    };
    const LinkAnswers answers;
    for (const QByteArray &file : files) {
        for (const book::TextForm form : {book::TextForm::CodePage, book::TextForm::Utf8}) {
            RecordingSite whole;
            TextChanges countedWhole;
            const QByteArray expected =
                finishPage(draftPage(decodePage(file, nullptr).text, form, &answers), whole, countedWhole);
            for (qsizetype partSize = 33; partSize < 300; partSize += 7) {
                RecordingSite parted;
                TextChanges countedInParts;
                EXPECT_EQ(finishPage(draftPageFile(file, form, &answers, partSize), parted, countedInParts), expected)
                    << partSize << ' ' << file.first(24).toStdString();
                EXPECT_EQ(parted.readings, whole.readings) << partSize << ' ' << file.first(24).toStdString();
                EXPECT_EQ(each(countedInParts), each(countedWhole));
            }
        }
    }
}

// The walk reads a page file's links from its bytes where it can: the links and the next page that
// its decoded text gives, in any character set.
TEST(PageRewrite, ReadsTheLinksOfAPageFileAsOfItsText)
{
    const struct {
        QByteArray file;
        QString links;
        QString next;
    } cases[] = {
        {"<a href=\" a.html \">x</a><a HREF=b.html href=c.html><area href='d&amp;e.html'><img href=no.html>",
         u"a.html|b.html|d&e.html"_s,
         {}},
        {"<meta charset=utf-8><a href=\"caf\xC3\xA9.html\"><!-- <a href=no.html> --><script><a href=no.html>"
         "</script><a href>",
         u"caf\u00e9.html"_s,
         {}},
        {"<a href=\"caf\xE9.html\">", u"caf\u00e9.html"_s, {}}, // Windows-1252, undeclared
        {"<a href=\xEF\xBB\xBFx.html>", u"\ufeffx.html"_s, {}},
        {"<lin\xE2\x84\xAA rel=next href=n.html><a rel=next href=m.html>", u"n.html|m.html"_s, u"n.html"_s},
        {"<link rel=stylesheet href=s.css><form action=f.html><a rel=next href><a href=x.html", u"f.html|x.html"_s, {}},
        {"<meta charset=shift_jis><a href=\"\x83\x5c.html\">", u"\u30bd.html"_s, {}},
    };
    for (const auto &c : cases) {
        QString problem;
        const PageLinks fromText = pageLinks(decodePage(c.file, &problem).text);
        QStringList textLinks;
        for (const auto &link : fromText.links)
            textLinks.append(link.first);
        const PageFileLinks fromFile = pageFileLinks(c.file);
        EXPECT_EQ(textLinks.join(u'|'), c.links) << c.file.toStdString();
        EXPECT_EQ(QStringList(fromFile.links.begin(), fromFile.links.end()).join(u'|'), c.links)
            << c.file.toStdString();
        EXPECT_EQ(fromText.next, c.next);
        EXPECT_EQ(fromFile.next, c.next);
        EXPECT_EQ(fromFile.problem, problem);
        // As a draft in parts asks its answers for them, and reads the rest along.
        const LinkAnswers answers;
        DraftReading reading;
        draftPageFile(c.file, book::TextForm::Utf8, &answers, 33, &reading);
        EXPECT_EQ(answers.links.join(u'|'), c.links) << c.file.toStdString();
        EXPECT_EQ(reading.next, c.next);
        EXPECT_EQ(reading.problem, problem);
    }
}

TEST(PageRewrite, NextPageAsABrowserReadsIt)
{
    EXPECT_EQ(nextPageReference(u"<link rel=prev href=a.html><a rel=\"Next nofollow\" href=' b.html '>"_s),
              u"b.html"_s);
    EXPECT_EQ(nextPageReference(u"<link rel=nextish href=c.html>"_s), QString());
}

} // namespace
