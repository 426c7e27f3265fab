#include "bookcheck.h"

#include "pageindex.h"
#include "linkrule.h"
#include "pagelinks.h"
#include "parsingimage.h"
#include "record.h"
#include "showpage.h"

#include "platform/failure.h"
#include "platform/hostpath.h"

#include <QFileInfo>

namespace book {
namespace {

constexpr QStringView kFieldSeparator = u"##";

bool holdsLineBreak(QStringView text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// A tag: "<" and a letter, "/" or "!". Page names don't hold one unless a "~" or "##" inside a
// page has cut it and the rest of the page became a name.
bool looksLikeHtml(QStringView text)
{
    for (qsizetype i = text.indexOf(u'<'); i >= 0 && i + 1 < text.size(); i = text.indexOf(u'<', i + 1)) {
        const QChar c = text[i + 1];
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'/' || c == u'!')
            return true;
    }
    return false;
}

// The 1-based line of position at in text.
int lineAt(QStringView text, qsizetype at)
{
    return int(text.first(std::min(at, text.size())).count(u'\n')) + 1;
}

class Checker {
public:
    Checker(const Book &book, QStringView folder) : book_(book), folder_(folder), index_(book.pages) {}

    std::vector<Defect> run()
    {
        if (holdsLineBreak(book_.title))
            add({DefectKind::TitleLineBreak,
                 -1,
                 {},
                 0,
                 book_.title,
                 QStringLiteral("the title holds a line break, but the window caption is one line; the book "
                                "format has no lines: write \"<<$$>>\" right after the title")});
        if (book_.ignoredLength > 0)
            add({DefectKind::IgnoredText,
                 -1,
                 {},
                 0,
                 {},
                 QStringLiteral("a second \"<<$$>>\" ends the pages: the %1 characters from it to the end of the "
                                "file are never shown")
                     .arg(book_.ignoredLength)});
        for (qsizetype i = 0; i < book_.pages.size(); ++i)
            checkRecord(i);
        return std::move(defects_);
    }

private:
    void add(Defect defect) { defects_.push_back(std::move(defect)); }

    void checkRecord(qsizetype i)
    {
        const QString record = book_.pages.record(i);
        const QString name = pageName(record);
        const auto defect = [&](DefectKind kind, int line, const QString &subject, const QString &message) {
            add({kind, i, name, line, subject, message});
        };

        if (record.isEmpty()) {
            defect(DefectKind::EmptyRecord, 0, {},
                   QStringLiteral("empty record: \"~~\", or a \"~\" at the end of the pages, makes a page of "
                                  "nothing"));
            return;
        }
        if (isBlank(record)) {
            if (i == 0)
                defect(DefectKind::NoPageHtml, 0, {},
                       QStringLiteral("the first page is blank, but the reader shows it at start and needs its "
                                      "page name, \"##\" and page HTML"));
            else
                defect(DefectKind::BlankRecord, 0, {},
                       QStringLiteral("blank record: Next and Previous step over it and no link reaches it"));
            return;
        }
        if (!hasPageHtml(record)) {
            defect(DefectKind::NoPageHtml, 0, {},
                   QStringLiteral("no \"##\" between page name and page HTML: the page shows nothing") +
                       (looksLikeHtml(record) ? QStringLiteral("; it looks like HTML, so a \"~\" inside the page "
                                                               "before it may have split that page")
                                              : QString()));
            return;
        }

        checkName(i, name, defect);

        const qsizetype htmlBegin = name.size() + kFieldSeparator.size();
        const qsizetype extra = record.indexOf(kFieldSeparator, htmlBegin);
        if (extra >= 0) {
            const int line = lineAt(QStringView(record).sliced(htmlBegin), extra - htmlBegin);
            defect(DefectKind::SplitPageHtml, line, {},
                   QStringLiteral("the page HTML holds \"##\" at its line %1: the rest of the page is never shown; "
                                  "write \"&#35;&#35;\" for it")
                       .arg(line));
        }
        const QString html = pageHtmlOf(record);
        checkLinks(html, defect);
        checkPictures(i, defect);
    }

    template <typename Report> void checkName(qsizetype i, const QString &name, Report defect)
    {
        const QStringView trimmed = trimSpaces(name);
        if (looksLikeHtml(name))
            defect(DefectKind::HtmlName, 0, {},
                   QStringLiteral("the page name looks like HTML: a \"~\" or \"##\" inside a page has split it "
                                  "here"));
        else if (holdsLineBreak(name) || name.contains(u'\t'))
            defect(DefectKind::NameLineBreak, 0, {},
                   QStringLiteral("the page name holds a line break or a tab, which a link must hold too to "
                                  "reach the page; the book format has no lines"));
        if (trimmed.isEmpty()) {
            defect(DefectKind::UnnamedPage, 0, {}, QStringLiteral("the page has no name: no link can reach it"));
            return;
        }
        const qsizetype first = index_.find(name);
        if (first != i)
            defect(DefectKind::DuplicateName, 0, QString::number(first),
                   QStringLiteral("page %1 has the same name (letter case and outer spaces aside): links reach "
                                  "page %1 only")
                       .arg(first));
    }

    template <typename Report> void checkLinks(const QString &html, Report defect)
    {
        for (const PageLink &link : pageLinks(html)) {
            // Dead: the reader does nothing with it (an empty link is no link the reader follows).
            const LinkTarget target = resolveLink(link.href, index_);
            const bool dead = target.kind == LinkKind::None || target.kind == LinkKind::Other ||
                              (target.kind == LinkKind::Web && target.url.isEmpty());
            if (!dead)
                continue;
            const int line = lineAt(html, link.offset);
            defect(DefectKind::DeadLink, line, link.href,
                   QStringLiteral("the link \"%1\" at line %2 names no page").arg(link.href, QString::number(line)));
        }
    }

    // The pictures of the page as the reader rewrites it: each must be a file.
    template <typename Report> void checkPictures(qsizetype i, Report defect)
    {
        QString shown;
        try {
            shown = preparePage(book_.pages, i, folder_);
        } catch (const platform::Failure &failure) {
            defect(DefectKind::Unshowable, 0, {},
                   QStringLiteral("the reader fails when it shows the page, with error %1: %2")
                       .arg(QString::number(failure.number()), failure.description()));
            return;
        }
        for (const PictureReference &picture : pictureReferences(shown)) {
            const QString &value = picture.value;
            if (value.isEmpty())
                continue; // the reader leaves it alone and the page view loads nothing
            const QString path = platform::toHostPath(value);
            if (!path.isEmpty() && QFileInfo(path).isFile())
                continue;
            // What the author wrote, with whatever the reader put in front of it but the folder.
            const QString written =
                value.startsWith(folder_, Qt::CaseInsensitive) ? value.mid(folder_.size() + 1) : value;
            const int line = lineAt(shown, picture.offset);
            defect(
                DefectKind::MissingPicture, line, written,
                QStringLiteral("the picture \"%1\" at line %2 does not exist: the reader looks for %3")
                    .arg(written, QString::number(line), path.isEmpty() ? value : QFileInfo(path).absoluteFilePath()));
        }
    }

    const Book &book_;
    const QStringView folder_;
    const PageIndex index_;
    std::vector<Defect> defects_;
};

} // namespace

Severity severityOf(DefectKind kind)
{
    switch (kind) {
    case DefectKind::BlankRecord:
    case DefectKind::UnnamedPage:
    case DefectKind::DuplicateName:
        return Severity::Warning;
    default:
        return Severity::Error;
    }
}

QString kindName(DefectKind kind)
{
    switch (kind) {
    case DefectKind::Unreadable:
        return QStringLiteral("unreadable");
    case DefectKind::TitleLineBreak:
        return QStringLiteral("title-line-break");
    case DefectKind::IgnoredText:
        return QStringLiteral("ignored-text");
    case DefectKind::EmptyRecord:
        return QStringLiteral("empty-record");
    case DefectKind::NoPageHtml:
        return QStringLiteral("no-page-html");
    case DefectKind::SplitPageHtml:
        return QStringLiteral("split-page-html");
    case DefectKind::HtmlName:
        return QStringLiteral("html-name");
    case DefectKind::NameLineBreak:
        return QStringLiteral("name-line-break");
    case DefectKind::DeadLink:
        return QStringLiteral("dead-link");
    case DefectKind::MissingPicture:
        return QStringLiteral("missing-picture");
    case DefectKind::Unshowable:
        return QStringLiteral("unshowable-page");
    case DefectKind::BlankRecord:
        return QStringLiteral("blank-record");
    case DefectKind::UnnamedPage:
        return QStringLiteral("unnamed-page");
    case DefectKind::DuplicateName:
        return QStringLiteral("duplicate-name");
    }
    return {};
}

std::vector<Defect> checkBook(const Book &book, QStringView applicationFolder)
{
    return Checker(book, applicationFolder).run();
}

std::vector<Defect> checkBookFile(platform::FileSystem &fileSystem, const QString &fileName,
                                  QStringView applicationFolder)
{
    Book book;
    try {
        book = loadBookFile(fileSystem, fileName);
    } catch (const platform::Failure &failure) {
        return {{DefectKind::Unreadable,
                 -1,
                 {},
                 0,
                 {},
                 QStringLiteral("error %1: %2").arg(QString::number(failure.number()), failure.description())}};
    }
    return checkBook(book, applicationFolder);
}

} // namespace book
