#pragma once

#include "book/bookformat.h"
#include "book/htmlscan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

// Turning one HTML file of a web site into a page of a book: its references pointed at the book's
// pages and at the files beside the book, and its text made safe for the book format.

// What a reference of a page is for, which decides where its file goes.
enum class UrlRole {
    Link,    // <a>, <area>, navigation <link> and <form action>: a page of the book, or a file the page
             // links to
    File,    // style sheets, scripts, fonts, CSS pictures, srcset, media: copied keeping their path
    Picture, // <img src> and "background": copied into images/, where the reader rewrites them
};

// What rewritePage() asks of the site that the page comes from.
class PageSite {
public:
    virtual ~PageSite() = default;

    // The reference to write instead of url (the value as the document holds it, character
    // references decoded), or nullopt to leave it as written. offset is where the value stands in
    // the page's text, for reports.
    virtual std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype offset) = 0;

    // Keeps text that can't stay inside the page (a script or a style sheet) as a file beside the
    // book, of the given suffix ("js", "css"); gives its path relative to the application folder,
    // with "/", one folder deep.
    virtual QString keepAside(QStringView suffix, const QString &text) = 0;

    // The references asked for next stand in text, the page's text from offset origin on, after
    // linesBefore line breaks: all of a page that rewritePage() rewrites, or a part that
    // finishPage() rewrites again. For reports that name a reference's line.
    virtual void reading(QStringView text, qsizetype origin, qsizetype linesBefore)
    {
        Q_UNUSED(text);
        Q_UNUSED(origin);
        Q_UNUSED(linesBefore);
    }
};

// What rewritePage() changed of the text, for the report.
struct TextChanges {
    qsizetype tildes = 0;          // "~" written as a reference
    qsizetype doubleHashes = 0;    // "##"
    qsizetype sectionMarks = 0;    // "<<$$>>"
    qsizetype outsideCodePage = 0; // characters Windows-1252 lacks, written as references by the book
    qsizetype scriptsMoved = 0;
    qsizetype stylesMoved = 0;
};

// The page HTML that the book holds for html: every reference handed to site, and what the book
// format can't hold made into character references, or moved out of the page where references don't
// work (script and style text). The result holds no "~", "##" or "<<$$>>", and nothing that the
// reader's picture rewriting would take for a picture but the <img> sources and "background" values,
// each of which stands first in its element in double quotes. Characters that Windows-1252 lacks are
// left for the book's encoding, which writes them as numeric references; they are counted.
QString rewritePage(QStringView html, PageSite &site, TextChanges &changes);

// A page rewritten as far as it can be without its site, on another core, and encoded there as the
// book of that form holds it: the pieces that ask nothing of a site are written as they will stay,
// the others left for finishPage() to write with the site, in order. finishPage() gives what
// rewritePage() gives, as the book encodes it, and counts the same changes but the characters
// outside the code page, which it counts as written as references. The draft keeps only the
// pieces it leaves to finishPage(), and their text: a page has hundreds of thousands of pieces,
// whose memory is best freed where it was taken, and its text is let go once it is drafted.
struct DraftPage {
    struct Redo {
        size_t firstToken; // the pieces tokens[firstToken, endToken)
        size_t endToken;
        qsizetype at;        // where in bytes they are written
        TextChanges counted; // what the draft counted of them
        qsizetype from = 0;  // the page's text they stand in: [from, to)
        qsizetype to = 0;
        qsizetype heldAt = 0;      // where heldText holds that text
        qsizetype linesBefore = 0; // line breaks of the page before from
    };
    book::TextForm form = book::TextForm::CodePage;
    QByteArray bytes;     // without the pieces to redo
    qsizetype unheld = 0; // characters of bytes written as references
    std::vector<Redo> redo;
    std::vector<book::HtmlToken> tokens; // of the pieces to redo, each run of them followed by an empty text
    QString heldText;                    // the text of the pieces to redo, which their tokens view
    TextChanges changes;
    qsizetype rewrittenByAnswers = 0; // references the answers rewrote, in pieces that stay as drafted
};
// Answers that a draft gives itself: those that nothing the site learns while the pages are written
// can change. Asked on the core that drafts, so it must touch nothing that the site changes.
class DraftAnswers {
public:
    virtual ~DraftAnswers() = default;

    // What PageSite::rewrite() will give for url, or nullopt when only the site can tell.
    virtual std::optional<std::optional<QString>> answer(UrlRole role, const QString &url) const = 0;
};

// The links of a page, each with where its value stands, as rewritePage() hands them to the site
// as UrlRole::Link, and what nextPageReference() gives, read in one pass and asking nothing of a
// site.
struct PageLinks {
    std::vector<std::pair<QString, qsizetype>> links;
    QString next;
};
PageLinks pageLinks(QStringView html);

// The links of a page file as pageLinks() reads them from the text that decodePage() gives, and the
// problem it tells: read from the bytes where markup stands in them as it is (UTF-8, Windows-1252),
// decoding only the tags that may link. The walk through a site reads every page for its links.
struct PageFileLinks {
    QString problem;
    std::vector<QString> links;
    QString next;
};
PageFileLinks pageFileLinks(QByteArrayView bytes);

DraftPage draftPage(QStringView html, book::TextForm form, const DraftAnswers *answers = nullptr);
// What pageFileLinks() tells of a page file besides its links, as a draft reads it along.
struct DraftReading {
    QString problem;
    QString next;
};
// draftPage() of the text that decodePage() gives of a page file, without that text whole: it is
// decoded and drafted a part of about partSize characters at a time, in the same memory. A big page's
// text is twice its size, each page of that memory first touched on the core that drafts it. The walk
// through a site drafts a page as it reads its links: answers are asked for each reference in turn,
// the links among them as pageFileLinks() gives them (again from the start where UTF-8 turns out not
// valid throughout part of the way), and reading, when given, gets the rest.
DraftPage draftPageFile(QByteArrayView bytes, book::TextForm form, const DraftAnswers *answers = nullptr,
                        qsizetype partSize = qsizetype(1) << 17, DraftReading *reading = nullptr);
QByteArray finishPage(DraftPage &&draft, PageSite &site, TextChanges &changes);

// Asks site for the links of html alone, as rewritePage() asks for them, and writes nothing: what
// the walk through a site needs, at a fraction of the rewriting's cost. Gives what
// nextPageReference() gives, read in the same pass.
QString readLinks(QStringView html, PageSite &site);

// A page file's text, in the character set that the page view serves it in (platform::charsetOf):
// its byte-order mark's, else the one it declares in its first 1024 bytes (<meta charset>,
// <meta http-equiv="Content-Type">, <?xml encoding>), else UTF-8 where its bytes are, else
// Windows-1252, where every byte is a character. Bytes that are not of the character set read become
// U+FFFD, as a browser reads them; a character set that is not known is read as UTF-8 where the bytes
// are, else as Windows-1252. problem says so in words.
struct PageText {
    QString text;
    QString charset; // the name of the character set used
};
PageText decodePage(QByteArrayView bytes, QString *problem);

// The references of a style sheet (url() and @import), handed to site as files; the style sheet with
// those that site rewrote.
QString rewriteStyleSheet(QStringView css, PageSite &site);

// The first reference of a page to the page after it: the "href" of a <link> or <a> whose "rel" holds
// "next"; empty when it has none.
QString nextPageReference(QStringView html);
