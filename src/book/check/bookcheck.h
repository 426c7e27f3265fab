#pragma once

#include "book/bookfile.h"
#include "book/sitelacks.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace book {

// What can be wrong with a book. Errors make the reader show something other than the author
// meant, or make a page or a picture unreachable; warnings are legal but likely mistakes.
enum class DefectKind {
    // Errors
    Unreadable,        // the book file can't be loaded at all
    TitleLineBreak,    // the title holds a line break: the window caption is one line
    IgnoredText,       // a second "<<$$>>": everything from it on is never shown
    EmptyRecord,       // "~~", or a "~" that ends the pages
    NoPageHtml,        // a record without "##", or a blank first record: nothing to show
    SplitPageHtml,     // a record with a second "##": the page HTML ends there
    HtmlName,          // a page name that holds a tag: a "~" or "##" split a page
    NameLineBreak,     // a page name that holds a line break or a tab
    DeadLink,          // a link that leads nowhere: no page, place, file, web address or mail address
    MissingPicture,    // a picture that the page refers to and that the application folder lacks
    MissingFile,       // a style sheet, script, font or style sheet picture that the application folder lacks
    PicturesAsWritten, // a page whose pictures' rewriting can't finish: the reader shows them as written
    // Warnings
    BlankRecord,   // a record of spaces only, after the first: Next and Previous step over it
    UnnamedPage,   // a page whose name is empty or spaces: no link can reach it
    DuplicateName, // a later page of a name already used: links reach the first one only
    MissingPlace,  // a link to "#PLACE" where the page has no element of that id or name
    OtherScheme,   // a link of a scheme other than web or mail ("ftp:", "tel:"): left to other programs
};

enum class Severity { Error, Warning };

Severity severityOf(DefectKind kind);

// A short fixed name of the kind, as "dead-link".
QString kindName(DefectKind kind);

struct Defect {
    DefectKind kind;
    qsizetype page = -1;    // -1: the book as a whole
    QString pageName;       // field 0 of the record, as written
    int line = 0;           // 1-based line in the page HTML where it is, 0 when it has none
    QString subject;        // the link, the picture, the other page: what the defect is about
    QString message;        // what is wrong, in plain words
    bool siteLacks = false; // a link, picture or file that the site the book was imported from lacks too
};

// Every defect of book, in page order (book-level defects first). Pictures are looked for in the
// images folder of applicationFolder, given in the program's form, exactly as the reader rewrites
// them, and then as the page view loads them: every picture element's source and "background" as
// the HTML parser reads it, relative to the application folder where the rewriting left it so.
// Style sheets, scripts, and the fonts and pictures of style sheets named by relative URL are looked
// for there too, the style sheets' own references relative to the sheet.
// Dead links, missing pictures and missing files that siteLacks records are marked as such.
std::vector<Defect> checkBook(const Book &book, QStringView applicationFolder, const SiteLacks &siteLacks = {});

// The defects of the book's form alone, as checkBook() reports them: the title, text after a second
// "<<$$>>", and each record's cutting and page name. Links, pictures and files are not looked at.
std::vector<Defect> formDefects(const Book &book);

// True when a page name holds a line break or a tab, which a link would have to hold too.
bool breaksNameLine(QStringView name);

// The same for the book file at path (a path of this machine), with the record of what its site
// lacks beside it (see loadSiteLacks), whose problem, if any, goes into recordProblem; a file that
// can't be loaded (see loadBookFile) gives the one defect Unreadable, whose message is the failure's
// number and description.
std::vector<Defect> checkBookFile(const QString &path, QStringView applicationFolder, QString *recordProblem = nullptr);

// The same, each defect handed to sink as it is found, in the same order, so that a caller that
// only counts some of them needn't hold a big book's hundreds of thousands.
using DefectSink = std::function<void(Defect)>;
void checkBookFile(const QString &path, QStringView applicationFolder, const DefectSink &sink,
                   QString *recordProblem = nullptr);

} // namespace book
