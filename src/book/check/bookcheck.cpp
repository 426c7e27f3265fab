#include "bookcheck.h"

#include "book/bookformat.h"
#include "book/htmlscan.h"
#include "book/linkrule.h"
#include "book/pageindex.h"
#include "book/pagelinks.h"
#include "book/parsingimage.h"
#include "book/record.h"
#include "book/showpage.h"

#include "platform/appfile.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace book {
namespace {

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

// The first "##" at or after from, or -1: found by its "#", as a page holds few.
qsizetype findSeparator(QStringView text, qsizetype from)
{
    for (qsizetype at = text.indexOf(u'#', from); at >= 0; at = text.indexOf(u'#', at + 1))
        if (at + 1 < text.size() && text[at + 1] == u'#')
            return at;
    return -1;
}

// The 1-based line of position at in text.
int lineAt(QStringView text, qsizetype at)
{
    return int(text.first(std::min(at, text.size())).count(u'\n')) + 1;
}

// The lines of positions asked for mostly in text order, as a page's links and elements are: each
// count goes on from the last, so a page of many defects is read once, not once a defect.
class Lines {
public:
    explicit Lines(QStringView text) : text_(text) {}

    int at(qsizetype offset)
    {
        offset = std::min(offset, text_.size());
        if (offset < offset_) {
            offset_ = 0;
            line_ = 1;
        }
        line_ += int(text_.sliced(offset_, offset - offset_).count(u'\n'));
        offset_ = offset;
        return line_;
    }

private:
    QStringView text_;
    qsizetype offset_ = 0;
    int line_ = 1;
};

// The defects of the book as a whole, which come before those of its pages.
std::vector<Defect> bookDefects(const Book &book)
{
    std::vector<Defect> defects;
    if (holdsLineBreak(book.title))
        defects.push_back({DefectKind::TitleLineBreak,
                           -1,
                           {},
                           0,
                           book.title,
                           QStringLiteral("the title holds a line break, but the window caption is one line; the "
                                          "book format has no lines: write \"<<$$>>\" right after the title")});
    if (book.ignoredLength > 0)
        defects.push_back({DefectKind::IgnoredText,
                           -1,
                           {},
                           0,
                           {},
                           QStringLiteral("a second \"<<$$>>\" ends the pages: the %1 characters from it to the end "
                                          "of the file are never shown")
                               .arg(book.ignoredLength)});
    return defects;
}

// What every check of a book's pages reads, and the places of pages, which each page's links may
// name and which are read once for all.
struct BookShared {
    // Without content, only the form of the book is checked: how it is cut and how its pages are named.
    BookShared(const Book &checked, QStringView applicationFolder, bool withContent, const SiteLacks &lacks)
        : book(checked), folder(applicationFolder), index(checked.pages), content(withContent), siteLacks(lacks)
    {
    }

    const Book &book;
    const QStringView folder;
    const PageIndex index;
    const bool content;
    const SiteLacks &siteLacks;
    std::shared_mutex placesLock;
    std::unordered_map<qsizetype, QSet<QString>> places; // by page; none is removed, so none moves
};

// What checking a page finds, in order: its defects, and the style sheets it names whose own
// references are looked at where the first page to name each sheet stands, which only a check of
// the pages in order knows.
struct Finding {
    Defect defect;        // for a style sheet, only the page, its name and the line that named it
    QString sheetFile;    // the style sheet's path on this machine; empty for a defect
    QString sheetUrlPath; // the URL path that named it, which its own references are relative to
};

class Checker {
public:
    // With sheetsSeen, a style sheet is looked into where a page names it unless sheetsSeen holds it
    // already; without, it is handed on as a finding.
    explicit Checker(BookShared &shared, QSet<QString> *sheetsSeen = nullptr)
        : shared_(shared), book_(shared.book), folder_(shared.folder), index_(shared.index), content_(shared.content),
          siteLacks_(shared.siteLacks), sheetsSeen_(sheetsSeen)
    {
    }

    std::vector<Finding> checkPage(qsizetype i)
    {
        findings_.clear();
        checkRecord(i);
        return std::exchange(findings_, {});
    }

    // The defects of the style sheet that sheet names, from the page it names, where no page before
    // named it, and those of the style sheets it names in turn.
    std::vector<Finding> lookIntoSheet(const Finding &sheet)
    {
        findings_.clear();
        const Defect &from = sheet.defect;
        const auto defect = [&](DefectKind kind, int line, const QString &subject, const QString &message) {
            add({kind, from.page, from.pageName, line, subject, message});
        };
        lookInto(sheet.sheetFile, sheet.sheetUrlPath, from.line, defect);
        return std::exchange(findings_, {});
    }

private:
    void add(Defect defect) { findings_.push_back({std::move(defect), {}, {}}); }

    // Marks the defect just added when the site lacked what reference names too: of the page's own
    // references, or of the style sheet's.
    void markIfSiteLacks(const QStringList &references, const QString &styleSheet = {})
    {
        const QHash<QString, QSet<QString>> &lists = styleSheet.isEmpty() ? siteLacks_.pages : siteLacks_.styleSheets;
        Defect &last = findings_.back().defect;
        const auto list = lists.constFind(styleSheet.isEmpty() ? last.pageName : styleSheet);
        if (list == lists.constEnd() || std::none_of(references.begin(), references.end(),
                                                     [&](const QString &r) { return list->contains(r.trimmed()); }))
            return;
        last.siteLacks = true;
        last.message += QStringLiteral("; the site it was imported from lacks it too");
    }

    void checkRecord(qsizetype i)
    {
        const QString record = book_.pages.record(i);
        const QString name = pageName(record);
        page_ = i;
        name_ = name;
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
        const qsizetype extra = findSeparator(record, htmlBegin);
        if (extra >= 0) {
            const int line = lineAt(QStringView(record).sliced(htmlBegin), extra - htmlBegin);
            defect(DefectKind::SplitPageHtml, line, {},
                   QStringLiteral("the page HTML holds \"##\" at its line %1: the rest of the page is never shown; "
                                  "write \"&#35;&#35;\" for it")
                       .arg(line));
        }
        if (!content_)
            return;
        // Field 1, up to the "##" found above.
        const QStringView html = QStringView(record).sliced(htmlBegin, (extra < 0 ? record.size() : extra) - htmlBegin);
        checkLinks(i, html, defect);
        checkFiles(html, defect);
        checkPictures(html, defect);
    }

    template <typename Report> void checkName(qsizetype i, const QString &name, Report defect)
    {
        const QStringView trimmed = trimSpaces(name);
        if (looksLikeHtml(name))
            defect(DefectKind::HtmlName, 0, {},
                   QStringLiteral("the page name looks like HTML: a \"~\" or \"##\" inside a page has split it "
                                  "here"));
        else if (breaksNameLine(name))
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

    template <typename Report> void checkLinks(qsizetype i, QStringView html, Report defect)
    {
        Lines lines(html);
        for (const PageLink &link : pageLinks(html)) {
            const LinkTarget target = resolveLink(link.href, index_);
            if (target.kind == LinkKind::Other || target.kind == LinkKind::None ||
                (target.kind == LinkKind::Web && target.url.isEmpty())) {
                checkOtherLink(link, target, lines, defect);
                continue;
            }
            // "#PLACE" scrolls the page shown; "NAME#PLACE" shows page NAME and scrolls there.
            const qsizetype page = target.kind == LinkKind::InPage          ? i
                                   : target.kind == LinkKind::PageWithPlace ? target.page
                                                                            : -1;
            const QString &place = target.place;
            if (page < 0 || hasPlace(placesOf(page, page == i ? html : QStringView()), place))
                continue;
            const int line = lines.at(link.offset);
            defect(DefectKind::MissingPlace, line, link.href,
                   QStringLiteral("the link \"%1\" at line %2 names no place of %3: no element has the id or "
                                  "name \"%4\"")
                       .arg(link.href, QString::number(line),
                            page == i ? QStringLiteral("the page")
                                      : QStringLiteral("page %1 \"%2\"").arg(QString::number(page), nameOf(page)),
                            place));
        }
    }

    // A link that names no page. Fine: the page itself (""), a file of the application folder (a
    // text, a picture, a source), which the page view shows as a browser would, and the page's own
    // script ("javascript:"). Another scheme is left to other programs: a warning at most, as the
    // reader doesn't follow it. Dead: the rest, as a web link that is no address, or a link that
    // looks like a web or file link but is read as a page name ("Http://x", "file://b").
    template <typename Report>
    void checkOtherLink(const PageLink &link, const LinkTarget &target, Lines &lines, Report defect)
    {
        const QString scheme = linkScheme(link.href);
        if (link.href.trimmed().isEmpty() || scheme == u"javascript")
            return;
        const int line = lines.at(link.offset);
        if (target.kind == LinkKind::Web) {
            defect(DefectKind::DeadLink, line, link.href,
                   QStringLiteral("the web link \"%1\" at line %2 is no web address (http or https, with a host): "
                                  "the reader opens nothing")
                       .arg(link.href, QString::number(line)));
            markIfSiteLacks({link.href}); // "http.json", which the site lacks, reads as a web link
            return;
        }
        if (!scheme.isEmpty() && scheme != u"http" && scheme != u"https" && scheme != u"file") {
            defect(DefectKind::OtherScheme, line, link.href,
                   QStringLiteral("the link \"%1\" at line %2 has the scheme \"%3:\", which the reader leaves to "
                                  "other programs: it follows pages, files, web and mail links only")
                       .arg(link.href, QString::number(line), scheme));
            return;
        }
        if (scheme.isEmpty() && namesFile(link.href))
            return;
        defect(DefectKind::DeadLink, line, link.href,
               QStringLiteral("the link \"%1\" at line %2 names no page").arg(link.href, QString::number(line)));
        markIfSiteLacks({link.href});
    }

    // Whether a link names a file of the application folder, or the page itself ("?query").
    bool namesFile(const QString &href)
    {
        const UrlReference reference = readUrl(href, {});
        if (reference.kind == UrlReference::Document)
            return true;
        return reference.kind == UrlReference::Relative && !reference.path.isEmpty() &&
               servedFile(reference.path).refusal == platform::ApplicationFile::Refusal::None;
    }

    // The name of page i, read without decoding its HTML: a reference's links name the places of
    // big pages a hundred thousand times.
    QString nameOf(qsizetype i) const
    {
        const QByteArrayView bytes = book_.pages.recordBytes(i);
        const qsizetype end = bytes.indexOf(QByteArrayView("##"));
        return pageName(book_.pages.decode(end < 0 ? bytes : bytes.first(end)));
    }

    // The places of page i, read once a check; html is its page HTML where the caller has it.
    const QSet<QString> &placesOf(qsizetype i, QStringView html)
    {
        {
            const std::shared_lock lock(shared_.placesLock);
            const auto known = shared_.places.find(i);
            if (known != shared_.places.end())
                return known->second;
        }
        QSet<QString> places = placesIn(html.isNull() ? QStringView(pageHtmlOf(book_.pages.record(i))) : html);
        const std::unique_lock lock(shared_.placesLock);
        return shared_.places.try_emplace(i, std::move(places)).first->second;
    }

    // The places a link can scroll to: the ids of its elements and the names of its <a> elements.
    static QSet<QString> placesIn(QStringView html)
    {
        QSet<QString> places;
        HtmlScanner scanner(html);
        HtmlToken token;
        while (scanner.next(token)) {
            if (token.kind != HtmlToken::StartTag)
                continue;
            if (const HtmlAttribute *id = token.attribute(u"id"))
                places.insert(id->value());
            if (token.is(u"a"))
                if (const HtmlAttribute *name = token.attribute(u"name"))
                    places.insert(name->value());
        }
        return places;
    }

    // As the page view finds a place: the text as written, else percent-decoded; nothing and "top"
    // scroll to the top of the page.
    static bool hasPlace(const QSet<QString> &places, const QString &place)
    {
        return place.isEmpty() || place.compare(u"top", Qt::CaseInsensitive) == 0 || places.contains(place) ||
               places.contains(QUrl::fromPercentEncoding(place.toUtf8()));
    }

    // The file of the application folder that a URL path names, by the rule the page view serves
    // files by: inside the folder once links are resolved, a regular file, no book file.
    const platform::ApplicationFile &servedFile(const QString &urlPath)
    {
        auto known = files_.constFind(urlPath);
        if (known == files_.constEnd())
            known = files_.insert(urlPath, platform::applicationFile(folder_.toString(), urlPath));
        return *known;
    }

    // Why the page view serves no file for urlPath: where it looks when there is none, else what it
    // refuses.
    QString whyNotServed(const platform::ApplicationFile &file, const QString &urlPath) const
    {
        using Refusal = platform::ApplicationFile::Refusal;
        switch (file.refusal) {
        case Refusal::Outside:
            return QStringLiteral("it leads out of the application folder, where the reader serves nothing");
        case Refusal::NotAFile:
            return QStringLiteral("it is no regular file");
        case Refusal::BookFile:
            return QStringLiteral("it is a book file, which the reader never serves");
        case Refusal::None:
        case Refusal::NotFound:
            break;
        }
        QString name = urlPath;
        name.replace(u'\\', u'/');
        if (!name.startsWith(QString(folder_ + u'/'), Qt::CaseInsensitive))
            name = folder_ + u'/' + name;
        return QStringLiteral("the reader looks for ") + QDir::cleanPath(name);
    }

    // The style sheets and scripts of the page, and what its styles name, must be files of the
    // application folder; so must what those style sheets name, which is looked at once a book.
    template <typename Report> void checkFiles(QStringView html, Report defect)
    {
        HtmlScanner scanner(html);
        HtmlToken token;
        Lines lines(html);
        bool inStyle = false;
        while (scanner.next(token)) {
            if (token.kind == HtmlToken::RawText && inStyle) {
                const QStringView css = html.sliced(token.begin, token.end - token.begin);
                for (const CssReference &reference : cssReferences(css))
                    checkFile(reference.url, {}, lines.at(token.begin + reference.begin),
                              QStringLiteral("style's file"), defect);
            }
            if (token.kind != HtmlToken::StartTag)
                continue;
            inStyle = token.is(u"style");
            const int line = lines.at(token.begin);
            if (token.is(u"link")) {
                const HtmlAttribute *rel = token.attribute(u"rel");
                const HtmlAttribute *href = token.attribute(u"href");
                if (rel && href &&
                    rel->value()
                        .split(u' ', Qt::SkipEmptyParts)
                        .contains(QStringLiteral("stylesheet"), Qt::CaseInsensitive))
                    checkFile(href->value(), {}, line, QStringLiteral("style sheet"), defect, true);
            } else if (token.is(u"script")) {
                if (const HtmlAttribute *source = token.attribute(u"src"))
                    checkFile(source->value(), {}, line, QStringLiteral("script"), defect);
            }
            if (const HtmlAttribute *style = token.attribute(u"style"))
                for (const CssReference &reference : cssReferences(style->value()))
                    checkFile(reference.url, {}, line, QStringLiteral("style's file"), defect);
        }
    }

    template <typename Report>
    void checkFile(const QString &url, const QString &from, int line, const QString &what, Report defect,
                   bool styleSheet = false)
    {
        // A style sheet's references are relative to the sheet.
        const UrlReference reference = readUrl(url, from.section(u'/', 0, -2));
        // The page view serves a path from the root out of the application folder too.
        if (reference.kind != UrlReference::Relative && reference.kind != UrlReference::Absolute)
            return;
        const platform::ApplicationFile file =
            reference.path.isEmpty() ? platform::ApplicationFile{{}, platform::ApplicationFile::Refusal::NotAFile}
                                     : servedFile(reference.path);
        if (file.refusal != platform::ApplicationFile::Refusal::None) {
            const QString where = from.isEmpty() ? QString() : QStringLiteral(" of the style sheet \"%1\"").arg(from);
            defect(DefectKind::MissingFile, line, reference.path,
                   QStringLiteral("the %1 \"%2\"%3 at line %4 is not in the application folder: %5")
                       .arg(what, url, where, QString::number(line), whyNotServed(file, reference.path)));
            markIfSiteLacks({url}, from);
            return;
        }
        if (!styleSheet && !reference.path.endsWith(u".css", Qt::CaseInsensitive))
            return;
        if (!sheetsSeen_) {
            findings_.push_back({{DefectKind::MissingFile, page_, name_, line, {}, {}}, file.path, reference.path});
            return;
        }
        lookInto(file.path, reference.path, line, defect);
    }

    // What the style sheet at path, named by urlPath, names in turn, where no page named it before.
    template <typename Report> void lookInto(const QString &path, const QString &urlPath, int line, Report defect)
    {
        if (sheetsSeen_->contains(path))
            return;
        sheetsSeen_->insert(path);
        QFile sheet(path);
        if (!sheet.open(QIODevice::ReadOnly))
            return;
        for (const CssReference &inner : cssReferences(QString::fromUtf8(sheet.readAll())))
            checkFile(inner.url, urlPath, line, QStringLiteral("file"), defect);
    }

    // The pictures of the page as the reader rewrites it and the page view then reads them: each must
    // be a file.
    template <typename Report> void checkPictures(QStringView html, Report defect)
    {
        QString shown = html.toString();
        if (const std::optional<QString> asWrittenBecause = pointPicturesOrKeep(shown, folder_))
            defect(DefectKind::PicturesAsWritten, 0, {},
                   QStringLiteral("the reader shows the page with its pictures as written, not in the images "
                                  "folder: %1")
                       .arg(*asWrittenBecause));
        HtmlScanner scanner(shown);
        HtmlToken token;
        Lines lines(shown);
        while (scanner.next(token)) {
            if (token.kind != HtmlToken::StartTag)
                continue;
            if (token.is(u"img") || token.is(u"image"))
                checkPicture(lines, token.attribute(u"src"), defect);
            checkPicture(lines, token.attribute(u"background"), defect);
        }
    }

    template <typename Report> void checkPicture(Lines &lines, const HtmlAttribute *attribute, Report defect)
    {
        if (!attribute || attribute->valueBegin < 0)
            return;
        const QString value = attribute->value().trimmed();
        if (value.isEmpty())
            return; // the page view loads nothing
        // Where the reader rewrote it, it names a file by the folder's path; elsewhere the page view
        // reads it relative to the application folder.
        QString urlPath = value;
        if (!value.startsWith(folder_, Qt::CaseInsensitive)) {
            const UrlReference reference = readUrl(value, {});
            if (reference.kind == UrlReference::External)
                return;
            urlPath = reference.path;
        }
        const platform::ApplicationFile file =
            urlPath.isEmpty() ? platform::ApplicationFile{{}, platform::ApplicationFile::Refusal::NotAFile}
                              : servedFile(urlPath);
        if (file.refusal == platform::ApplicationFile::Refusal::None)
            return;
        // What the author wrote, with whatever the reader put in front of it but the folder.
        const QString written = value.startsWith(folder_, Qt::CaseInsensitive) ? value.mid(folder_.size() + 1) : value;
        const int line = lines.at(attribute->valueBegin);
        defect(DefectKind::MissingPicture, line, written,
               QStringLiteral("the picture \"%1\" at line %2 does not exist: %3")
                   .arg(written, QString::number(line), whyNotServed(file, urlPath.isEmpty() ? value : urlPath)));
        // The record has the picture as the page wrote it, before the reader put it into the images
        // folder ("images\\x.gif", from "x.gif" or "images/x.gif").
        const qsizetype prefix = QStringView(u"images\\").size();
        if (written.startsWith(u"images\\"))
            markIfSiteLacks({written.sliced(prefix), u"images/" + written.sliced(prefix)});
        else
            markIfSiteLacks({written});
    }

    BookShared &shared_;
    const Book &book_;
    const QStringView folder_;
    const PageIndex &index_;
    const bool content_;
    const SiteLacks &siteLacks_;
    QSet<QString> *const sheetsSeen_;
    qsizetype page_ = -1; // the page checked, and its name
    QString name_;
    std::vector<Finding> findings_;                   // of the page checked
    QHash<QString, platform::ApplicationFile> files_; // by the URL paths that name them
};

// The pages of a book checked by helper threads, each page by one, and handed on in page order: a
// helper goes at most a window of pages ahead of the page to hand on next, so few wait.
class PageQueue {
public:
    PageQueue(BookShared &shared, int helpers) : pages_(shared.book.pages.size()), done_(size_t(helpers) * 64)
    {
        for (int h = 0; h < helpers; ++h)
            helpers_.emplace_back([this, &shared] { work(shared); });
    }
    ~PageQueue()
    {
        {
            const std::lock_guard lock(lock_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread &helper : helpers_)
            helper.join();
    }
    Q_DISABLE_COPY_MOVE(PageQueue)

    // What page i's check found, or threw; the pages are taken in order.
    std::vector<Finding> take(qsizetype i)
    {
        std::unique_lock lock(lock_);
        Done &slot = done_[size_t(i) % done_.size()];
        changed_.wait(lock, [&] { return slot.done; });
        Done page = std::exchange(slot, {});
        taken_ = i + 1;
        lock.unlock();
        changed_.notify_all();
        if (page.failure)
            std::rethrow_exception(page.failure);
        return std::move(page.findings);
    }

private:
    struct Done {
        bool done = false;
        std::vector<Finding> findings;
        std::exception_ptr failure;
    };

    void work(BookShared &shared)
    {
        Checker checker(shared);
        std::unique_lock lock(lock_);
        for (;;) {
            const qsizetype window = qsizetype(done_.size());
            changed_.wait(lock, [&] { return stop_ || next_ >= pages_ || next_ < taken_ + window; });
            if (stop_ || next_ >= pages_)
                return;
            const qsizetype i = next_++;
            lock.unlock();
            Done page{true, {}, {}};
            try {
                page.findings = checker.checkPage(i);
            } catch (...) {
                page.failure = std::current_exception();
            }
            lock.lock();
            done_[size_t(i) % done_.size()] = std::move(page);
            changed_.notify_all();
        }
    }

    const qsizetype pages_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Done> done_; // of the pages from taken_ on, by page number modulo its size
    qsizetype next_ = 0;     // the next page to check
    qsizetype taken_ = 0;    // the next page to hand on
    bool stop_ = false;
    std::vector<std::thread> helpers_;
};

// Every defect of the book, in order, handed to sink: the pages are checked on every core the machine
// has, and what each finds handed on in page order, the style sheets they name looked into here.
void checkPages(const Book &book, QStringView folder, bool content, const DefectSink &sink,
                const SiteLacks &siteLacks = {})
{
    for (Defect &defect : bookDefects(book))
        sink(std::move(defect));
    BookShared shared(book, folder, content, siteLacks);
    QSet<QString> sheetsSeen;
    Checker inOrder(shared, &sheetsSeen);
    const auto handOn = [&](std::vector<Finding> findings) {
        for (Finding &finding : findings) {
            if (finding.sheetFile.isEmpty()) {
                sink(std::move(finding.defect));
                continue;
            }
            for (Finding &inner : inOrder.lookIntoSheet(finding))
                sink(std::move(inner.defect));
        }
    };
    const qsizetype pages = book.pages.size();
    const int helpers = int(std::min<qsizetype>(std::max(1, QThread::idealThreadCount()), pages));
    if (helpers <= 1) {
        for (qsizetype i = 0; i < pages; ++i)
            handOn(inOrder.checkPage(i));
        return;
    }
    PageQueue queue(shared, helpers);
    for (qsizetype i = 0; i < pages; ++i)
        handOn(queue.take(i));
}

} // namespace

bool breaksNameLine(QStringView name)
{
    return holdsLineBreak(name) || name.contains(u'\t');
}

Severity severityOf(DefectKind kind)
{
    switch (kind) {
    case DefectKind::BlankRecord:
    case DefectKind::UnnamedPage:
    case DefectKind::DuplicateName:
    case DefectKind::MissingPlace:
    case DefectKind::OtherScheme:
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
    case DefectKind::MissingFile:
        return QStringLiteral("missing-file");
    case DefectKind::MissingPlace:
        return QStringLiteral("missing-place");
    case DefectKind::PicturesAsWritten:
        return QStringLiteral("pictures-as-written");
    case DefectKind::BlankRecord:
        return QStringLiteral("blank-record");
    case DefectKind::UnnamedPage:
        return QStringLiteral("unnamed-page");
    case DefectKind::DuplicateName:
        return QStringLiteral("duplicate-name");
    case DefectKind::OtherScheme:
        return QStringLiteral("other-scheme");
    }
    return {};
}

std::vector<Defect> checkBook(const Book &book, QStringView applicationFolder, const SiteLacks &siteLacks)
{
    std::vector<Defect> defects;
    checkPages(
        book, applicationFolder, true, [&](Defect defect) { defects.push_back(std::move(defect)); }, siteLacks);
    return defects;
}

std::vector<Defect> formDefects(const Book &book)
{
    std::vector<Defect> defects;
    checkPages(book, {}, false, [&](Defect defect) { defects.push_back(std::move(defect)); });
    return defects;
}

void checkBookFile(const QString &path, QStringView applicationFolder, const DefectSink &sink, QString *recordProblem)
{
    Book book;
    try {
        book = loadBookFile(path);
    } catch (const platform::Failure &failure) {
        sink({DefectKind::Unreadable,
              -1,
              {},
              0,
              {},
              QStringLiteral("error %1: %2").arg(QString::number(failure.number()), failure.description())});
        return;
    }
    checkPages(book, applicationFolder, true, sink, loadSiteLacks(path, recordProblem));
}

std::vector<Defect> checkBookFile(const QString &path, QStringView applicationFolder, QString *recordProblem)
{
    std::vector<Defect> defects;
    checkBookFile(
        path, applicationFolder, [&](Defect defect) { defects.push_back(std::move(defect)); }, recordProblem);
    return defects;
}

} // namespace book
