#include "author/siteimport.h"

#include "author/bookstream.h"
#include "author/filecopier.h"
#include "author/pagerewrite.h"
#include "author/prefetch.h"
#include "author/refusal.h"
#include "author/text.h"
#include "book/bookfile.h"
#include "book/bookformat.h"
#include "book/htmlreading.h"
#include "book/htmlscan.h"
#include "book/linkrule.h"
#include "book/pageindex.h"
#include "book/pagetitle.h"
#include "book/sitelacks.h"
#include "platform/failure.h"
#include "platform/mappedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

constexpr QStringView kAsideFolder = u"tavlo-inline";
const QStringView kNoSuchFile = u"no such file"; // what the site lacks itself
// Where files from outside the site go, under their own path on this machine.
constexpr QStringView kOutsideFolder = u"tavlo-outside";
// A script's folder from outside the site comes whole, as its scripts load files by name, up to this.
constexpr qsizetype kMostOutsideFolderFiles = 10'000;
constexpr qint64 kMostOutsideFolderBytes = qint64(256) << 20;
// The pages drafted ahead of the one written, by the size of their files (held as text and draft, four
// times that): enough for the other cores to work on past a big page that the writing waits for.
constexpr qsizetype kMostBytesDraftedAhead = qsizetype(16) << 20;

bool isHtmlFile(QStringView path)
{
    return path.endsWith(u".html", Qt::CaseInsensitive) || path.endsWith(u".htm", Qt::CaseInsensitive) ||
           path.endsWith(u".xhtml", Qt::CaseInsensitive) || path.endsWith(u".shtml", Qt::CaseInsensitive);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.first(slash);
}

// The 1-based lines of a text, found by where they begin: a page may leave many references, each
// reported with its line. Lines are found only as far as asked: a big page may leave one near its top.
// The text may be a part of a page, from offset origin on, after linesBefore line breaks.
class Lines {
public:
    void reset(QStringView text, qsizetype origin = 0, qsizetype linesBefore = 0)
    {
        text_ = text;
        origin_ = origin;
        linesBefore_ = linesBefore;
        begins_.assign(1, 0);
        foundTo_ = 0;
    }

    int at(qsizetype pageOffset)
    {
        const qsizetype offset = pageOffset - origin_;
        while (foundTo_ <= offset && foundTo_ < text_.size()) {
            const qsizetype end = text_.indexOf(u'\n', foundTo_);
            if (end < 0) {
                foundTo_ = text_.size();
            } else {
                begins_.push_back(end + 1);
                foundTo_ = end + 1;
            }
        }
        return int(linesBefore_ + (std::upper_bound(begins_.begin(), begins_.end(), offset) - begins_.begin()));
    }

private:
    QStringView text_;
    qsizetype origin_ = 0;
    qsizetype linesBefore_ = 0;
    std::vector<qsizetype> begins_ = {0};
    qsizetype foundTo_ = 0; // every line that begins before it is in begins_
};

// A site path as a relative URL: what a URL can't hold as it is, percent-encoded.
QString urlPath(const QString &path)
{
    return QString::fromUtf8(QUrl::toPercentEncoding(path, "/!$&'()*+,;=:@~"));
}

// Whether a link written as name reaches the page of that name.
bool linkReaches(const QString &name)
{
    book::BookWriter writer(u"T");
    writer.addPage(name, {});
    const book::Book one = book::parseBook(writer.take(), QString());
    const book::LinkTarget target = book::resolveLink(name, book::PageIndex(one.pages));
    return target.kind == book::LinkKind::Page && target.page == 0;
}

// A page name the book can hold and a link can name, made from a file's path: what would cut the
// book, break the name's line or be dropped from the ends of a link (a control character) becomes
// "_". Letters of any script stay: the book is then UTF-8.
QString pageNameFor(const QString &path)
{
    QString name = path;
    for (QChar &c : name) {
        if (c < u' ' || c == u'\x7f')
            c = u'_';
    }
    // Each separator loses its last character.
    for (const book::SeparatorAt &found : book::separatorsIn(name))
        name[found.offset + found.separator->text.size() - 1] = u'_';
    name.replace(u'<', u'_'); // a name that looks like a tag reads as a page split in two
    if (book::runsIntoFieldSeparator(name))
        name.back() = u'_';
    return name;
}

// How links name the page of that name. A link that begins with "http" ("http.html") or "file" is not
// looked up as it stands: written as a "file" link, it names the page from its eighth character on.
QString linkToPage(const QString &name)
{
    return linkReaches(name) ? name : QString(u"file://" + name);
}

// url as a browser reads it on a server that serves the site from its root: "/license.html" is the
// site's own page, as "license.html" is from its top folder.
book::UrlReference readSiteUrl(const QString &url, const QString &folder)
{
    book::UrlReference reference = book::readUrl(url, folder);
    if (reference.kind != book::UrlReference::Absolute)
        return reference;
    return book::readUrl(QString(u"." + url.trimmed()), {});
}

// A URL as readSiteUrl() reads it, its place apart: what it names stays in the memo of the core that
// read it, good until that core reads another. place views into the URL.
struct SiteUrl {
    const book::UrlReference &named; // its fragment is the URL's, unless place is set
    QStringView place;               // the URL's place, when read apart; null otherwise
};

// readSiteUrl(), remembered by folder on the core that reads them: the pages of a folder name the same
// pages and files (rustdoc's sidebars, scripts and fonts), and reading a URL costs more than finding
// it. Pages come in book order, which goes from folder to folder and back. What is read is lent, not
// copied: a site has millions of links.
SiteUrl readSiteUrlRemembered(const QString &url, const QString &folder)
{
    constexpr qsizetype kMostRemembered = 20'000;
    using Read = QHash<QString, book::UrlReference>;
    struct Memo {
        QHash<QString, Read> byFolder;
        qsizetype size = 0;
        QString folder;
        Read *read = nullptr; // byFolder's entry for folder
    };
    if (url.isEmpty() || url.startsWith(u'#')) { // the page itself, read at once: half of Node's links
        thread_local book::UrlReference once;
        once = book::readUrl(url, folder);
        return {once, {}};
    }
    thread_local Memo memo;
    if (memo.size >= kMostRemembered) {
        memo.byFolder.clear();
        memo.size = 0;
        memo.read = nullptr;
    }
    if (!memo.read || (!folder.isSharedWith(memo.folder) && folder != memo.folder)) { // most: the same string
        memo.folder = folder;
        memo.read = &memo.byFolder[folder];
    }
    // The place is read apart, as nothing before it depends on it: links name many places of a few
    // pages. Not where a blank before the "#" would end the URL once the place is cut off.
    const QStringView whole = QStringView(url).trimmed();
    const char16_t *wholeEnd = whole.utf16() + whole.size();
    const char16_t *hashAt = book::html::find(whole.utf16(), wholeEnd, u'#');
    const qsizetype hash = hashAt == wholeEnd ? -1 : hashAt - whole.utf16();
    const bool placeApart = hash > 0 && !whole[hash - 1].isSpace();
    QString cut;
    if (placeApart)
        cut = whole.first(hash).toString();
    else if (whole.size() != url.size())
        cut = whole.toString();
    const QString &key = cut.isNull() ? url : cut;
    auto known = memo.read->constFind(key);
    if (known == memo.read->constEnd()) {
        known = memo.read->insert(key, readSiteUrl(key, folder));
        ++memo.size;
    }
    return {*known, placeApart ? whole.sliced(hash + 1) : QStringView()};
}

book::UrlReference readSiteUrlOnce(const QString &url, const QString &folder)
{
    const SiteUrl read = readSiteUrlRemembered(url, folder);
    book::UrlReference reference = read.named;
    if (!read.place.isNull())
        reference.fragment = read.place.toString();
    return reference;
}

// The walk drafts the pages it reads for their links, so that each is read once, as long as the drafts
// held until the pages are named stay under a bound. A page is named by its path, unless that clashes
// with another's name: a draft's links to pages assume so, and the assumptions are checked once the
// pages are named. What the walk's threads share to do so, safe to ask from any of them.
class WalkDrafts {
public:
    // most: of page files drafted, whose drafts hold about twice that.
    WalkDrafts(QString root, qint64 most) : root_(std::move(root)), most_(most) {}

    // Whether a page file of that size may be drafted: the drafts held stay under the bound.
    bool mayDraft(qint64 bytes)
    {
        if (held_.fetch_add(bytes) + bytes <= most_)
            return true;
        held_.fetch_sub(bytes);
        return false;
    }

    // The form the book will most likely take, as far as the walk knows: a name or title outside the
    // code page makes it UTF-8.
    book::TextForm form() const { return utf8_ ? book::TextForm::Utf8 : book::TextForm::CodePage; }
    void expect(QStringView nameOrTitle)
    {
        if (!book::BookEncoder::fitsCodePage(nameOrTitle))
            utf8_ = true;
    }

    // How links name the page at a site path, if a draft may take it for one: an HTML file of the site
    // that is itself, no symbolic link. A page walked to is named by its path, unless its name clashes.
    std::optional<QString> linkToPageAt(const QString &path)
    {
        const std::lock_guard lock(mutex_);
        auto known = links_.constFind(path);
        if (known == links_.constEnd()) {
            struct stat status {};
            const bool page = isHtmlFile(path) &&
                              ::lstat(QFile::encodeName(root_ + u'/' + path).constData(), &status) == 0 &&
                              S_ISREG(status.st_mode);
            known = links_.insert(path, page ? linkToPage(pageNameFor(path)) : QString());
        }
        return known->isNull() ? std::nullopt : std::optional(*known);
    }

private:
    const QString root_;
    const qint64 most_;
    std::atomic<qint64> held_ = 0;
    std::atomic<bool> utf8_ = false;
    std::mutex mutex_;
    QHash<QString, QString> links_; // by site path; null where a draft takes it for no page
};

// What a link to the page that links name as link is written as, with the place it names, if any.
// Made in one allocation, or none: a site has millions of links.
QString pageLinkValue(const QString &link, bool fromItself, QStringView fragment)
{
    if (fragment.isNull())
        return link;
    // A place in the page shown is scrolled to without showing the page again.
    const QStringView written = fromItself ? QStringView() : QStringView(link);
    QString value;
    value.reserve(written.size() + 1 + fragment.size());
    value += written;
    value += u'#';
    value += fragment;
    return value;
}

// A page that a link leads to, as a draft's answers know it.
struct LinkedPage {
    const QString *link = nullptr; // how links name it; null when the answers know of no page there
    bool itself = false;           // the page that holds the link
};

// What a draft's answers give for url, from a page in folder: as written where it leads out of the
// site or names the page itself, as rewrite() leaves it; the link to the page that pageAt() tells of
// for a site path; else nothing.
template <typename PageAt>
std::optional<std::optional<QString>> answerLink(UrlRole role, const QString &url, const QString &folder,
                                                 PageAt &&pageAt)
{
    const SiteUrl read = readSiteUrlRemembered(url, folder);
    const book::UrlReference &reference = read.named;
    if (reference.kind == book::UrlReference::External || reference.kind == book::UrlReference::Document)
        return std::optional<QString>();
    if (role != UrlRole::Link || reference.climbsOut)
        return std::nullopt;
    const LinkedPage page = pageAt(reference.path);
    if (!page.link)
        return std::nullopt;
    return pageLinkValue(*page.link, page.itself, read.place.isNull() ? QStringView(reference.fragment) : read.place);
}

// The answers a page drafted by the walk gives itself: what is left as written, and links to pages
// as WalkDrafts tells them, each page path it took for a page kept to be checked. Keeps the paths in
// the site that the page's links name, for the walk.
class WalkAnswers final : public DraftAnswers {
public:
    WalkAnswers(WalkDrafts &drafts, const QString &path) : drafts_(drafts), path_(path), folder_(folderOf(path)) {}

    std::optional<std::optional<QString>> answer(UrlRole role, const QString &url) const override
    {
        return answerLink(role, url, folder_, [&](const QString &path) {
            auto known = named_.constFind(path);
            if (known == named_.constEnd()) {
                known = named_.insert(path, drafts_.linkToPageAt(path).value_or(QString()));
                paths_.push_back(path);
            }
            return LinkedPage{known->isNull() ? nullptr : &*known, path == path_};
        });
    }

    // The paths in the site that the page's links name, each once, in link order.
    std::vector<QString> takePaths() { return std::move(paths_); }
    // The site paths the draft took for pages named by their paths.
    std::vector<QString> assumed() const
    {
        std::vector<QString> paths;
        for (auto at = named_.constBegin(); at != named_.constEnd(); ++at)
            if (!at->isNull())
                paths.push_back(at.key());
        return paths;
    }

private:
    WalkDrafts &drafts_;
    const QString &path_;
    QString folder_;
    mutable QHash<QString, QString> named_; // site path -> how links name its page; null for none
    mutable std::vector<QString> paths_;
};

struct Page {
    QString path;                   // relative to the site, with "/"
    QString name;                   // the page name in the book
    QString link;                   // how links name it (see linkToPage)
    QString problem;                // how its bytes were read, when not as declared
    std::vector<QString> links;     // the pages it links to, in link order
    QString next;                   // the page its rel="next" names, if any
    bool namedByPath = false;       // its name is pageNameFor(path)
    std::optional<DraftPage> draft; // drafted by the walk, until the book is written
    std::vector<QString> assumed;   // the site paths that draft took for pages named by their paths
};

enum class FileState { Missing, Outside, File, Folder };

// What a path of the site stands for. A file or folder reached by several paths (through symbolic
// links, or hard links) is one, known by the first path that reached it: so a link to "." ends
// where it began, and a page linked to under two names is one page.
struct Found {
    FileState state = FileState::Missing;
    QString name;         // the path it is known by
    bool outside = false; // its real place is outside the site, where a symbolic link led
    qint64 bytes = 0;     // of a file
};

class SiteImport final : public PageSite {
public:
    SiteImport(QString site, QString out, QStringList starts, QString title, bool titleGiven, bool force)
        : site_(std::move(site)), out_(std::move(out)), starts_(std::move(starts)), title_(std::move(title)),
          titleGiven_(titleGiven), force_(force)
    {
    }

    bool all = false;         // every HTML file of the site, not only those the starts reach
    bool followLinks = false; // files outside the site that symbolic links lead to are copied
    qint64 mostBytesDraftedByWalk = 0;

    ImportReport run()
    {
        root_ = QFileInfo(site_).canonicalFilePath();
        if (root_.isEmpty() || !QFileInfo(root_).isDir())
            throw Refusal({QStringLiteral("%1: there is no such folder").arg(site_)});
        struct stat rootStat {};
        if (::stat(QFile::encodeName(root_).constData(), &rootStat) != 0)
            throw Refusal({QStringLiteral("%1: there is no such folder").arg(site_)});
        found_.insert(QString(), {FileState::Folder, QString(), false});
        known_.emplace(std::pair(quint64(rootStat.st_dev), quint64(rootStat.st_ino)), QString());

        // Without --start, index.html; with --all and no index.html, the files in path order alone.
        const bool startGiven = !starts_.isEmpty();
        if (!startGiven)
            starts_.append(QStringLiteral("index.html"));
        std::vector<QString> startPaths;
        for (const QString &start : std::as_const(starts_)) {
            const book::UrlReference reference = book::readUrl(start, {});
            const QString path = reference.kind == book::UrlReference::Relative && !reference.climbsOut
                                     ? resolvedFile(reference.path)
                                     : QString();
            const FileState state = path.isEmpty() ? FileState::Missing : fileState(path);
            if (state == FileState::File) {
                startPaths.push_back(path);
                continue;
            }
            if (all && !startGiven)
                continue;
            if (state == FileState::Outside)
                throw Refusal({QStringLiteral("%1: has no start page \"%2\" but a symbolic link out of the site; "
                                              "give --follow-links to take the files such links lead to")
                                   .arg(site_, start)});
            htmlFilesOfSite(); // counts the HTML files that are symbolic links out of the site
            const QString inFolders = startsInFolders(start);
            const QString linkedOut =
                outsideHtmlFiles_ == 0
                    ? QString()
                    : QStringLiteral(", or --follow-links to take its %1 symbolic links out of the site to HTML files")
                          .arg(outsideHtmlFiles_);
            throw Refusal({QStringLiteral("%1: has no start page \"%2\"; give the page to start from with --start%3%4")
                               .arg(site_, start, inFolders, linkedOut)});
        }
        checkOutput();

        // The links of the pages, read ahead on every core, a big page first, most pages drafted along.
        WalkDrafts drafts(root_, mostBytesDraftedByWalk);
        if (titleGiven_)
            drafts.expect(title_);
        else if (!startPaths.empty())
            drafts.expect(titleGuess(startPaths.front()));
        Prefetch<ReadLinks> linkReading(
            [root = root_, &drafts](const QString &path) { return readLinksOf(root, path, &drafts); },
            QThread::idealThreadCount(), std::numeric_limits<qsizetype>::max(),
            [this](const QString &path) { return fileBytes(path); });
        linkReading_ = &linkReading;
        for (const QString &start : startPaths) {
            if (pageIndex_.contains(start))
                continue;
            walkStarts_.push_back(start);
            walk(start, startPaths);
        }
        const QStringList htmlFiles = htmlFilesOfSite();
        if (all) {
            std::vector<QString> left;
            for (const QString &file : htmlFiles)
                if (!pageIndex_.contains(file))
                    left.push_back(file);
            linkReading.ahead(left);
        }
        for (const QString &file : htmlFiles) {
            if (pageIndex_.contains(file))
                continue;
            if (all)
                visit(file);
            else
                notTaken_.append(file);
        }
        linkReading_ = nullptr;
        if (pages_.empty() && outsideHtmlFiles_ > 0)
            throw Refusal({QStringLiteral("%1: holds no HTML file but %2 symbolic links out of the site to HTML files; "
                                          "give --follow-links to take them")
                               .arg(site_)
                               .arg(outsideHtmlFiles_)});
        if (pages_.empty())
            throw Refusal({QStringLiteral("%1: holds no HTML file").arg(site_)});
        orderPages();
        namePages();
        if (!titleGiven_)
            title_ = bookTitle(pages_[order_[0]]);

        QTemporaryDir staging(QFileInfo(out_).absolutePath() + u"/." + QFileInfo(out_).fileName() +
                              QStringLiteral("-XXXXXX"));
        if (!staging.isValid())
            throw Refusal({QStringLiteral("%1: can't be written: %2").arg(out_, staging.errorString())});
        staging_ = staging.path();

        FileCopier copier(1); // more would wait on each other in the kernel while the pages are made
        copier_ = &copier;
        copySiteFiles();
        writeBook();
        copyStyleSheetFiles();
        claimSiteFiles();
        bringScriptFolders();
        copyFiles();
        copier.finish();
        nameCopiesAgain();
        copier_ = nullptr;
        if (!lacks_.isEmpty())
            write(staging_ + u'/' + QLatin1String(book::kSiteLacksFileName), book::writeSiteLacks(lacks_));
        replaceOutput(staging);
        return report();
    }

    std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype offset) override
    {
        const QString folder = current_ ? folderOf(current_->path) : cssBase_;
        const book::UrlReference reference = readSiteUrlOnce(url, folder);
        const auto leave = [&](const QString &target, const QString &problem) -> std::optional<QString> {
            leaveAsWritten(target, problem, offset);
            return std::nullopt;
        };
        if (reference.kind == book::UrlReference::External || reference.kind == book::UrlReference::Document)
            return std::nullopt;
        QString target = reference.climbsOut ? QString() : resolvedFile(reference.path);
        bool brought = false;
        if (target.isEmpty() || fileState(target) == FileState::Missing) {
            // Not in the site: a file of this machine that a path from its root, or above the site, names.
            const OutsidePath outside = outsideFile(systemPathOf(url, folder));
            if (outside.kind == OutsidePath::None) {
                lacking(url);
                return leave(target.isEmpty() ? url : target, kNoSuchFile.toString());
            }
            // A style sheet is copied as written: its own references can't be pointed elsewhere.
            if (outside.kind == OutsidePath::Left || (!current_ && outside.kind == OutsidePath::Brought))
                return leave(outside.path, followLinks ? QStringLiteral("outside the site, where --follow-links "
                                                                        "takes nothing of /proc, /sys and /dev, nor "
                                                                        "what others can't read")
                                                       : QStringLiteral("outside the site; --follow-links brings it"));
            target = outside.path;
            brought = outside.kind == OutsidePath::Brought;
        }
        // A page's script that a symbolic link leads out of the site to comes from its real folder,
        // whole, as a script named outside does: it loads its neighbours by names of its own.
        if (!brought && current_ && followLinks && target.endsWith(u".js", Qt::CaseInsensitive) &&
            find(target).outside && fileState(target) == FileState::File) {
            if (const OutsidePath real = outsideFile(root_ + u'/' + target); real.kind == OutsidePath::Brought) {
                target = real.path;
                brought = true;
            }
        }
        switch (brought ? FileState::File : fileState(target)) {
        case FileState::Missing:
        case FileState::Folder:
            lacking(url);
            return leave(target, kNoSuchFile.toString());
        case FileState::Outside:
            leaveOut(target, offset);
            return std::nullopt;
        case FileState::File:
            break;
        }
        if (!current_) // a style sheet's own references stay as written: the sheet keeps its place
            return claimFile(target) ? std::nullopt : leave(target, QStringLiteral("clashes with a picture"));
        if (role == UrlRole::Link && pageIndex_.contains(target)) {
            ++totals_.pageLinks;
            const Page &page = pages_[pageIndex_.value(target)];
            return pageLinkValue(page.link, &page == current_, reference.fragment);
        }
        if (role == UrlRole::Picture)
            return claimPicture(target);
        if (!claimFile(target))
            return leave(target, QStringLiteral("clashes with a picture"));
        if (role == UrlRole::Link)
            ++totals_.fileLinks;
        auto path = urlPaths_.constFind(target); // every page names the same few scripts and fonts
        if (path == urlPaths_.constEnd())
            path = urlPaths_.insert(target, urlPath(target));
        return *path + reference.query + (reference.fragment.isNull() ? QString() : QString(u'#' + reference.fragment));
    }

    void reading(QStringView text, qsizetype origin, qsizetype linesBefore) override
    {
        lines_.reset(text, origin, linesBefore);
    }

    QString keepAside(QStringView suffix, const QString &text) override
    {
        QString stem = current_ ? current_->path : QStringLiteral("page");
        if (isHtmlFile(stem))
            stem.truncate(stem.lastIndexOf(u'.'));
        stem.replace(u'/', u'_');
        QString path;
        for (int n = 1; path.isEmpty() || claims_.contains(path) || fileState(path) != FileState::Missing; ++n)
            path = QStringLiteral("%1/%2-%3.%4").arg(kAsideFolder, stem, QString::number(n), suffix);
        claims_.insert(path, QString());
        // UTF-8 marked as such, whatever the page declared.
        write(staging_ + u'/' + path, "\xEF\xBB\xBF" + text.toUtf8());
        ++totals_.asideFiles;
        return path;
    }

private:
    // The start pages of that name in the site's own folders, for a refusal to offer: a folder of
    // several manuals (gtk-doc's) has one in each.
    QString startsInFolders(const QString &start) const
    {
        constexpr qsizetype kMostNamed = 3;
        QStringList found;
        if (start.contains(u'/') || start.contains(u'\\'))
            return {};
        for (const QString &folder : QDir(root_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (QFileInfo(root_ + u'/' + folder + u'/' + start).isFile())
                found.append(quoted(QString(folder + u'/' + start)));
        }
        if (found.isEmpty())
            return {};
        const qsizetype more = found.size() - kMostNamed;
        if (more > 0)
            found = found.first(kMostNamed) + QStringList(QStringLiteral("%1 more").arg(more));
        return QStringLiteral(" (its folders hold %1)").arg(found.join(QStringLiteral(", ")));
    }

    // Refuses an output that would be replaced without --force, or whose replacing would take the
    // site with it.
    void checkOutput() const
    {
        const QFileInfo out(out_);
        if (out.exists() && !out.isDir())
            throw Refusal({QStringLiteral("%1: is a file, not a folder").arg(out_)});
        const QString outPath = out.exists() ? out.canonicalFilePath() : out.absoluteFilePath();
        if (root_ == outPath || root_.startsWith(outPath + u'/'))
            throw Refusal({QStringLiteral("%1: holds the site %2; write the book somewhere else").arg(out_, site_)});
        if (out.exists() &&
            !QDir(out_).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) && !force_)
            throw Refusal({QStringLiteral("%1: exists already; give --force to replace it").arg(out_)});
    }

    // The name of the file a site path names; a folder stands for its index page.
    QString resolvedFile(const QString &path)
    {
        const Found found = find(path);
        if (found.state == FileState::Folder) {
            for (const QStringView index : {u"index.html", u"index.htm"}) {
                const Found candidate =
                    find(found.name.isEmpty() ? index.toString() : QString(found.name + u'/' + index));
                if (candidate.state == FileState::File || candidate.state == FileState::Outside)
                    return candidate.name;
            }
        }
        return found.state == FileState::Missing ? path : found.name;
    }

    FileState fileState(const QString &path) { return find(path).state; }
    // The size of a file, as found: what Prefetch weighs a page by.
    qsizetype fileBytes(const QString &path) { return qsizetype(find(path).bytes); }

    // What path stands for, its folders first; each file and folder is looked at once a run.
    Found find(const QString &path)
    {
        if (const auto known = found_.constFind(path); known != found_.constEnd())
            return *known;
        const qsizetype slash = path.lastIndexOf(u'/');
        const Found folder = find(slash < 0 ? QString() : path.first(slash));
        Found found;
        if (folder.state == FileState::Folder) {
            const QStringView base = slash < 0 ? QStringView(path) : QStringView(path).sliced(slash + 1);
            const QString written = folder.name.isEmpty() ? base.toString() : QString(folder.name + u'/' + base);
            const QString full = root_ + u'/' + written;
            const QByteArray encoded = QFile::encodeName(full);
            struct stat entry {};
            struct stat target {};
            const bool exists = ::lstat(encoded.constData(), &entry) == 0;
            const bool link = exists && S_ISLNK(entry.st_mode);
            if (exists && (!link || ::stat(encoded.constData(), &target) == 0)) {
                if (!link)
                    target = entry;
                const std::pair key(quint64(target.st_dev), quint64(target.st_ino));
                if (const auto same = known_.find(key); same != known_.end()) {
                    found = find(same->second);
                } else {
                    known_.emplace(key, written);
                    found.name = written;
                    // A symbolic link's real place decides; anything else lies where its folder does.
                    // Asked only then: finding a real place costs a system call for each folder of the path.
                    const QString real = link || folder.outside ? QFileInfo(full).canonicalFilePath() : QString();
                    found.outside = link ? !real.startsWith(root_ + u'/') : folder.outside;
                    found.bytes = target.st_size;
                    found.state = S_ISDIR(target.st_mode)                                      ? FileState::Folder
                                  : !S_ISREG(target.st_mode)                                   ? FileState::Missing
                                  : found.outside && !(followLinks && mayFollow(real, target)) ? FileState::Outside
                                                                                               : FileState::File;
                    found_.insert(written, found);
                }
            }
        }
        found_.insert(path, found);
        return found;
    }

    // Whether --follow-links copies the file outside the site at real: never what the kernel makes up
    // (/proc, /sys, /dev), nor a file that others can't read, which its owner did not mean to publish.
    static bool mayFollow(const QString &real, const struct stat &status)
    {
        for (const QLatin1String system : {"/proc/"_L1, "/sys/"_L1, "/dev/"_L1}) {
            if (real.startsWith(system))
                return false;
        }
        return (status.st_mode & S_IROTH) != 0;
    }

    // The path on this machine of the file that url names from the site's folder: from the machine's
    // root for "/usr/share/javascript/x.js", else from the folder, above the site for "../../x.png".
    QString systemPathOf(const QString &url, const QString &folder) const
    {
        QStringView rest = QStringView(url).trimmed();
        for (const QChar end : {u'#', u'?'}) {
            if (const qsizetype at = rest.indexOf(end); at >= 0)
                rest.truncate(at);
        }
        QString path = QUrl::fromPercentEncoding(rest.toUtf8());
        path.replace(u'\\', u'/');
        if (path.isEmpty())
            return {};
        if (path.startsWith(u'/'))
            return QDir::cleanPath(path);
        return QDir::cleanPath(root_ + u'/' + (folder.isEmpty() ? QString() : QString(folder + u'/')) + path);
    }

    // What a file named outside the site becomes: nothing when there is none; its copy under the
    // outside folder with --follow-links; left, by its real path, when it may not be copied.
    struct OutsidePath {
        enum Kind { None, Left, InSite, Brought } kind = None;
        QString path; // Left: the real file; InSite: the site's path; Brought: the copy's path in OUT
    };
    // The regular file that a path of this machine leads to, asked of the system once: every page of a
    // site may name the same file (SciPy's pages each name MathJax by its system path).
    struct RealFile {
        QString path; // empty when it leads to no regular file
        struct stat status {};
    };
    RealFile realFile(const QString &system)
    {
        auto known = realFiles_.constFind(system);
        if (known == realFiles_.constEnd()) {
            RealFile file{QFileInfo(system).canonicalFilePath()};
            if (file.path.isEmpty() || ::stat(QFile::encodeName(file.path).constData(), &file.status) != 0 ||
                !S_ISREG(file.status.st_mode))
                file.path.clear();
            known = realFiles_.insert(system, file);
        }
        return *known;
    }

    OutsidePath outsideFile(const QString &system)
    {
        if (system.isEmpty())
            return {};
        const RealFile file = realFile(system);
        const QString &real = file.path;
        const struct stat &status = file.status;
        if (real.isEmpty())
            return {};
        if (real.startsWith(root_ + u'/')) {
            const QString inSite = resolvedFile(real.sliced(root_.size() + 1));
            return fileState(inSite) == FileState::File ? OutsidePath{OutsidePath::InSite, inSite} : OutsidePath{};
        }
        if (!followLinks || !mayFollow(real, status))
            return {OutsidePath::Left, real};
        const QString copy = kOutsideFolder + real; // the real path begins with "/"
        outsideSources_.insert(copy, real);
        if (real.endsWith(u".js", Qt::CaseInsensitive))
            scriptFolders_.insert(folderOf(real));
        return {OutsidePath::Brought, copy};
    }

    // The folders of scripts from outside the site, whole: a script loads its neighbours by names
    // built in strings (MathJax its extensions and fonts). Not a folder above the site, nor one of more
    // than kMostOutsideFolderFiles files or kMostOutsideFolderBytes: those bring their scripts alone.
    void bringScriptFolders()
    {
        for (const QString &folder : std::as_const(scriptFolders_)) {
            if (folder.isEmpty() || root_.startsWith(folder + u'/'))
                continue;
            std::vector<std::pair<QString, QString>> files; // copy in OUT, source
            qint64 bytes = 0;
            std::set<std::pair<quint64, quint64>> seen;
            std::vector<QString> folders = {folder};
            bool whole = true;
            while (!folders.empty() && whole) {
                const QString at = folders.back();
                folders.pop_back();
                for (const QString &entry :
                     QDir(at).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                    const QString full = at + u'/' + entry;
                    struct stat status {};
                    if (::stat(QFile::encodeName(full).constData(), &status) != 0 ||
                        !seen.emplace(quint64(status.st_dev), quint64(status.st_ino)).second)
                        continue; // gone, a loop, or a file met already
                    if (S_ISDIR(status.st_mode)) {
                        folders.push_back(full);
                    } else if (S_ISREG(status.st_mode) && mayFollow(QFileInfo(full).canonicalFilePath(), status)) {
                        files.emplace_back(kOutsideFolder + full, full);
                        bytes += status.st_size;
                    }
                    if (qsizetype(files.size()) > kMostOutsideFolderFiles || bytes > kMostOutsideFolderBytes) {
                        whole = false;
                        break;
                    }
                }
            }
            if (!whole) {
                notes_.emplace_back(kOutsideFolder + folder,
                                    QStringLiteral("holds more than %1 files or %2 MiB: only the files that pages "
                                                   "name are copied, not the whole folder of their scripts")
                                        .arg(kMostOutsideFolderFiles)
                                        .arg(kMostOutsideFolderBytes >> 20));
                continue;
            }
            for (const auto &[copy, source] : files) {
                outsideSources_.insert(copy, source);
                if (!claims_.contains(copy))
                    claims_.insert(copy, copy);
            }
            broughtFolders_.emplace(kOutsideFolder + folder + u'/', folder + u'/');
        }
    }

    // Every HTML file of the site by the name it is known by, in path order. Folders that links lead
    // to are looked into once each; folders outside the site (a link to "/" would be the whole
    // machine) and OUT, where it lies inside the site, not at all.
    QStringList htmlFilesOfSite()
    {
        const QString out = QFileInfo(out_).absoluteFilePath();
        QStringList files;
        siteFiles_.clear();
        siteLeftOut_.clear();
        outsideHtmlFiles_ = 0;
        std::vector<QString> folders = {QString()};
        while (!folders.empty()) {
            const QString folder = folders.back();
            folders.pop_back();
            const QString prefix = folder.isEmpty() ? QString() : QString(folder + u'/');
            const QStringList entries =
                QDir(root_ + u'/' + folder)
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QString &entry : entries) {
                const QString path = prefix + entry;
                const Found found = find(path);
                if (found.name != path)
                    continue; // reached by another name already
                if (found.state == FileState::Folder && !found.outside && root_ + u'/' + path != out)
                    folders.push_back(path);
                else if (found.state == FileState::File && isHtmlFile(path))
                    files.append(path);
                else if (found.state == FileState::Outside && isHtmlFile(path))
                    ++outsideHtmlFiles_;
                if (found.state == FileState::File)
                    siteFiles_.insert(path);
                else if (found.state == FileState::Outside)
                    siteLeftOut_.insert(path);
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    void leaveOut(const QString &target, qsizetype offset)
    {
        LeftOutFile &left = leftOut_[target];
        if (left.count++ == 0) {
            left.target = QFileInfo(root_ + u'/' + target).canonicalFilePath();
            left.firstFile = current_ ? current_->path : cssFile_;
            left.firstLine = lines_.at(offset);
        }
    }

    // Records a reference to what the site lacks itself, for check to tell apart.
    void lacking(const QString &url)
    {
        QHash<QString, QSet<QString>> &lists = current_ ? lacks_.pages : lacks_.styleSheets;
        lists[current_ ? current_->name : cssFile_].insert(url.trimmed());
    }

    void leaveAsWritten(const QString &target, const QString &problem, qsizetype offset)
    {
        LeftReference &left = left_[{target, problem}];
        if (left.count++ == 0) {
            left.target = target;
            left.problem = problem;
            left.siteLacks = problem == kNoSuchFile;
            left.firstFile = current_ ? current_->path : cssFile_;
            left.firstLine = lines_.at(offset);
        }
    }

    // A page file's bytes, mapped where the file is big: a manual's one-page edition is read by the
    // walk and again by its draft, each time on the core the import waits for, and a copy costs the
    // first touch of every page of its memory.
    struct PageFile {
        std::shared_ptr<const platform::MappedFile> mapped;
        QByteArray read;
        QByteArrayView bytes() const { return mapped ? mapped->bytes() : QByteArrayView(read); }
    };
    // problem says why there are none when it can't be read.
    static std::optional<PageFile> readPageFile(const QString &root, const QString &path, QString *problem)
    {
        constexpr qint64 kMappedFrom = qint64(1) << 20;
        QFile file(root + u'/' + path);
        if (!file.open(QIODevice::ReadOnly)) {
            *problem = QStringLiteral("can't be read: %1; the page is empty").arg(file.errorString());
            return std::nullopt;
        }
        if (file.size() >= kMappedFrom) {
            try {
                return PageFile{platform::mapRegularFile(file.fileName()), {}};
            } catch (const platform::Failure &) {
                // read as any other, with what that tells
            }
        }
        return PageFile{{}, file.readAll()};
    }

    // A page's text, as the page view serves it, read again where it is needed rather than kept: a big
    // site's pages, decoded, hold twice their size. problem says how it was read when not as declared.
    static QString readPage(const QString &root, const QString &path, QString *problem)
    {
        const std::optional<PageFile> file = readPageFile(root, path, problem);
        return file ? std::move(decodePage(file->bytes(), problem).text) : QString();
    }

    // The title of the page at path, from its first bytes, where a page's title stands: what the
    // form of the book depends on before the pages are named.
    QString titleGuess(const QString &path) const
    {
        constexpr qint64 kHead = qint64(64) << 10;
        QFile file(root_ + u'/' + path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return book::pageTitle(QStringView(decodePage(file.read(kHead), nullptr).text));
    }

    QString textOf(const Page &page) const
    {
        QString problem;
        return readPage(root_, page.path, &problem);
    }

    // The paths in the site that a page's links name, each once, in link order: what the walk needs
    // of a page, worked out on the core that reads it.
    struct ReadLinks {
        QString problem;
        std::vector<QString> paths;
        std::optional<QString> next;    // the path its rel="next" names
        std::optional<DraftPage> draft; // the page drafted along, when drafts may
        std::vector<QString> assumed;   // the site paths the draft took for pages named by their paths
    };
    static ReadLinks readLinksOf(const QString &root, const QString &path, WalkDrafts *drafts)
    {
        ReadLinks read;
        const std::optional<PageFile> file = readPageFile(root, path, &read.problem);
        if (!file)
            return read;
        const QString folder = folderOf(path);
        QString next;
        if (drafts)
            drafts->expect(pageNameFor(path)); // for the pages drafted after it
        if (drafts && drafts->mayDraft(file->bytes().size())) {
            WalkAnswers answers(*drafts, path);
            DraftReading reading;
            read.draft = draftPageFile(file->bytes(), drafts->form(), &answers, qsizetype(1) << 17, &reading);
            read.paths = answers.takePaths();
            read.assumed = answers.assumed();
            read.problem = std::move(reading.problem);
            next = std::move(reading.next);
        } else {
            PageFileLinks links = pageFileLinks(file->bytes());
            QSet<QString> named;
            for (const QString &url : links.links) {
                if (std::optional<QString> linked = sitePathOf(url, folder); linked && !named.contains(*linked)) {
                    named.insert(*linked);
                    read.paths.push_back(*std::move(linked));
                }
            }
            read.problem = std::move(links.problem);
            next = std::move(links.next);
        }
        if (!next.isEmpty())
            read.next = sitePathOf(next, folder);
        return read;
    }

    // The path in the site that url names from a page in folder, if it names one there.
    static std::optional<QString> sitePathOf(const QString &url, const QString &folder)
    {
        const book::UrlReference &reference = readSiteUrlRemembered(url, folder).named;
        if (reference.kind != book::UrlReference::Relative || reference.climbsOut)
            return std::nullopt;
        return reference.path;
    }

    // A page's links to pages, answered on the core that drafts it: once the pages are named, where
    // a link leads depends on nothing the writing of the pages learns. Reads only what stays put
    // while the book is written.
    class PageLinkAnswers final : public DraftAnswers {
    public:
        PageLinkAnswers(const QHash<QString, qsizetype> &pageOfPath, const std::vector<Page> &pages, qsizetype page)
            : pageOfPath_(pageOfPath), pages_(pages), page_(page), folder_(folderOf(pages[size_t(page)].path))
        {
        }

        std::optional<std::optional<QString>> answer(UrlRole role, const QString &url) const override
        {
            return answerLink(role, url, folder_, [&](const QString &path) {
                const auto target = pageOfPath_.constFind(path);
                return target == pageOfPath_.constEnd() ? LinkedPage{}
                                                        : LinkedPage{&pages_[size_t(*target)].link, *target == page_};
            });
        }

    private:
        const QHash<QString, qsizetype> &pageOfPath_;
        const std::vector<Page> &pages_;
        qsizetype page_;
        QString folder_;
    };

    // Every path the walk met that leads to a page, and the page: what rewrite() makes of links to it.
    QHash<QString, qsizetype> pagesByPath()
    {
        QHash<QString, qsizetype> pages;
        for (const QString &path : found_.keys()) { // a copy: resolvedFile() may look further
            const QString target = resolvedFile(path);
            const auto page = pageIndex_.constFind(target);
            if (page != pageIndex_.constEnd() && fileState(target) == FileState::File)
                pages.insert(path, *page);
        }
        return pages;
    }

    // Every page in book order, rewritten, into the book file. The pages are read, cut and drafted
    // ahead on the other cores, and encoded and written behind on a thread of the book file's own;
    // what asks the site stays on this one, in book order, as its answers depend on what went before.
    void writeBook()
    {
        bool fits = book::BookEncoder::fitsCodePage(title_);
        for (const Page &page : pages_)
            fits = fits && book::BookEncoder::fitsCodePage(page.name);
        const book::TextForm form = fits ? book::TextForm::CodePage : book::TextForm::Utf8;
        BookStream book(staging_ + u'/' + QString::fromLatin1(book::kBookFileName + 1), form, title_);
        const QHash<QString, qsizetype> pageOfPath = pagesByPath();
        // What the walk drafted stands where the pages are named as it assumed, in the form it took.
        std::vector<QString> paths;
        paths.reserve(order_.size());
        for (const auto index : order_) {
            Page &page = pages_[size_t(index)];
            if (page.draft && !draftHolds(page, form, pageOfPath))
                page.draft.reset();
            if (!page.draft)
                paths.push_back(page.path);
        }
        Prefetch<DraftPage> scanning(
            [this, &pageOfPath, form](const QString &path) {
                // The draft holds what it needs of the page's text, which it reads a part at a time.
                QString problem;
                const std::optional<PageFile> file = readPageFile(root_, path, &problem);
                const PageLinkAnswers answers(pageOfPath, pages_, pageIndex_.value(path));
                return draftPageFile(file ? file->bytes() : QByteArrayView(), form, &answers);
            },
            QThread::idealThreadCount(), kMostBytesDraftedAhead,
            [this](const QString &path) { return fileBytes(path); });
        scanning.ahead(paths);
        for (const auto index : order_) {
            Page &page = pages_[size_t(index)];
            current_ = &page;
            DraftPage draft = page.draft ? *std::exchange(page.draft, std::nullopt) : scanning.take(page.path);
            totals_.pageLinks += draft.rewrittenByAnswers;
            book.addPage(page.name, finishPage(std::move(draft), *this, totals_.text));
        }
        current_ = nullptr;
        lines_.reset({});
        bookSize_ = book.finish();
    }

    // Whether the walk's draft of page reads as a draft made now would: in the book's form, each page
    // it took a path for named by that path.
    bool draftHolds(const Page &page, book::TextForm form, const QHash<QString, qsizetype> &pageOfPath) const
    {
        if (page.draft->form != form)
            return false;
        return std::all_of(page.assumed.begin(), page.assumed.end(), [&](const QString &path) {
            const auto target = pageOfPath.constFind(path);
            return target != pageOfPath.constEnd() && pages_[size_t(*target)].path == path &&
                   pages_[size_t(*target)].namedByPath;
        });
    }

    // The HTML file of the site at path, if there is one. Asked for every link of every page the walk
    // reads, and most name the same few pages: each path is looked at once.
    std::optional<QString> pageAt(const QString &path)
    {
        if (const auto known = pagesAt_.constFind(path); known != pagesAt_.constEnd())
            return known->isNull() ? std::nullopt : std::optional(*known);
        QString target = resolvedFile(path);
        if (!isHtmlFile(target) || fileState(target) != FileState::File)
            target = QString();
        else if (target != path && isHtmlFile(path))
            aliases_[target].insert(path);
        pagesAt_.insert(path, target);
        return target.isNull() ? std::nullopt : std::optional(target);
    }

    // Reads a page and the pages it links to, without changing anything.
    void visit(const QString &path)
    {
        pageIndex_.insert(path, qsizetype(pages_.size()));
        pages_.push_back({});
        Page &page = pages_.back();
        page.path = path;
        ReadLinks read = linkReading_ ? linkReading_->take(path) : readLinksOf(root_, path, nullptr);
        page.problem = std::move(read.problem);
        page.draft = std::move(read.draft);
        page.assumed = std::move(read.assumed);
        for (const QString &linked : read.paths)
            if (std::optional<QString> target = pageAt(linked))
                page.links.push_back(*std::move(target));
        if (read.next)
            page.next = pageAt(*read.next).value_or(QString());
        // The walk goes on into the first of them: it is read first.
        if (linkReading_) {
            std::vector<QString> next;
            for (const QString &linked : page.links)
                if (!pageIndex_.contains(linked))
                    next.push_back(linked);
            linkReading_->ahead(next);
        }
    }

    // Every page reachable from a start page, depth first in link order. The other start pages are
    // left for their own walks, so that each start's pages follow it in the book.
    void walk(const QString &startPath, const std::vector<QString> &starts)
    {
        struct Frame {
            qsizetype page;
            size_t next = 0;
        };
        visit(startPath);
        std::vector<Frame> stack = {{qsizetype(pages_.size() - 1)}};
        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next >= pages_[size_t(frame.page)].links.size()) {
                stack.pop_back();
                continue;
            }
            const QString link = pages_[size_t(frame.page)].links[frame.next++];
            if (pageIndex_.contains(link) || std::find(starts.begin(), starts.end(), link) != starts.end())
                continue;
            visit(link);
            stack.push_back({qsizetype(pages_.size() - 1)});
        }
        walkEnds_.push_back(qsizetype(pages_.size()));
    }

    // For each start page in turn: the page, the chain of rel="next" from it, then what the chain
    // misses of its walk in walk order. Then the pages no start reaches, in path order.
    void orderPages()
    {
        std::vector<bool> placed(pages_.size(), false);
        const auto place = [&](qsizetype at) {
            placed[size_t(at)] = true;
            order_.push_back(at);
        };
        qsizetype begin = 0;
        for (size_t k = 0; k < walkEnds_.size(); ++k) {
            const qsizetype end = walkEnds_[k];
            for (qsizetype at = pageIndex_.value(walkStarts_[k]); at >= 0 && !placed[size_t(at)];) {
                place(at);
                const QString &next = pages_[size_t(at)].next;
                at = next.isEmpty() ? -1 : pageIndex_.value(next, -1);
            }
            for (qsizetype at = begin; at < end; ++at)
                if (!placed[size_t(at)])
                    place(at);
            begin = end;
        }
        for (qsizetype at = begin; at < qsizetype(pages_.size()); ++at)
            if (!placed[size_t(at)])
                place(at);
    }

    void namePages()
    {
        QSet<QString> used;
        for (const qsizetype at : order_) {
            Page &page = pages_[size_t(at)];
            const QString base = pageNameFor(page.path);
            QString name = base;
            // Links compare names without regard to letter case.
            for (int n = 2; used.contains(name.toLower()); ++n)
                name = base + u'-' + QString::number(n);
            used.insert(name.toLower());
            page.name = name;
            page.namedByPath = name == base;
            page.link = linkToPage(name);
            if (name != page.path)
                notes_.emplace_back(
                    page.path,
                    QStringLiteral("named %1, which the book can hold and links can reach").arg(quoted(name)));
            if (page.link != name)
                notes_.emplace_back(page.path, QStringLiteral("links to it are written %1, since %2 would be read "
                                                              "as a web or file link")
                                                   .arg(quoted(page.link), quoted(name)));
            if (const auto names = aliases_.find(page.path); names != aliases_.end())
                notes_.emplace_back(
                    page.path,
                    QStringLiteral("the same file as %1; links to those lead to this page")
                        .arg(QStringList(names->second.begin(), names->second.end()).join(QStringLiteral(", "))));
            if (!page.problem.isEmpty())
                notes_.emplace_back(page.path, page.problem);
        }
    }

    // The start page's title, as the reader's contents give it, as the book can hold it: without "<<$$>>".
    QString bookTitle(Page &start)
    {
        QString written = book::pageTitle(QStringView(textOf(start)));
        if (written.isEmpty())
            written = start.name;
        QString title = written;
        title.replace(book::kSectionSeparator, QStringLiteral("<<$$ >>"));
        if (title != written)
            notes_.emplace_back(start.path, QStringLiteral("the title %1 is written %2, which the book can hold")
                                                .arg(quoted(written), quoted(title)));
        return title;
    }

    // Copies a file keeping its place; false when a picture's copy took that place.
    bool claimFile(const QString &path)
    {
        const auto claim = claims_.constFind(path);
        if (claim != claims_.constEnd())
            return *claim == path;
        claims_.insert(path, path);
        copyClaim(path);
        ++totals_.files;
        if (path.endsWith(u".css", Qt::CaseInsensitive))
            styleSheets_.append(path);
        return true;
    }

    // Copies a picture into images/, where the reader's rewriting finds it, under a name of letters,
    // digits, ".", "-", "_" and "/" only; a picture already under images/ keeps its place.
    QString claimPicture(const QString &path)
    {
        if (const auto known = pictures_.constFind(path); known != pictures_.constEnd())
            return *known;
        QString safe;
        for (const QChar c : path)
            safe += (c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u'/'))
                        ? c
                        : u'_';
        const QString base = safe.startsWith(u"images/") ? safe : QString(u"images/" + safe);
        QString target = base;
        for (int n = 2;; ++n) {
            const auto claim = claims_.constFind(target);
            const bool free = claim == claims_.constEnd() ? (target == path || fileState(target) == FileState::Missing)
                                                          : *claim == path;
            if (free)
                break;
            const qsizetype dot = base.lastIndexOf(u'.');
            target = dot > base.lastIndexOf(u'/')
                         ? QString(base.first(dot) + u'-' + QString::number(n) + base.sliced(dot))
                         : QString(base + u'-' + QString::number(n));
        }
        if (!claims_.contains(target))
            ++totals_.pictures;
        claims_.insert(target, path);
        copyClaim(target);
        pictures_.insert(path, target);
        return target;
    }

    // Every other file of the site comes along as it is, where it lies: scripts load files by names
    // that no page holds (a search index named in a string). The pages are in the book.
    void claimSiteFiles()
    {
        for (const QString &path : siteFiles_) {
            if (pageIndex_.contains(path) || claims_.contains(path) || path == QLatin1String(book::kSiteLacksFileName))
                continue;
            claims_.insert(path, path);
            ++totals_.files;
            ++totals_.unnamedFiles;
        }
        for (const QString &path : siteLeftOut_) {
            LeftOutFile &left = leftOut_[path];
            if (left.target.isEmpty())
                left.target = QFileInfo(root_ + u'/' + path).canonicalFilePath();
        }
    }

    // The files that copied style sheets name (fonts, pictures, other sheets), copied keeping their
    // place too, as the sheets name them relative to themselves.
    void copyStyleSheetFiles()
    {
        // By index: a sheet that names another sheet adds it to the list while this runs.
        for (qsizetype i = 0; i < styleSheets_.size(); ++i) { // NOLINT(modernize-loop-convert)
            cssFile_ = styleSheets_[i];
            cssBase_ = folderOf(cssFile_);
            QFile file(root_ + u'/' + cssFile_);
            if (!file.open(QIODevice::ReadOnly))
                continue; // reported when it is copied
            cssText_ = QString::fromUtf8(file.readAll());
            lines_.reset(cssText_);
            rewriteStyleSheet(cssText_, *this);
        }
        cssText_.clear();
    }

    // The site's files that are no page, copied while the pages are made: each keeps its place, which
    // no other copy can take (see claimPicture). Those under the folders of our own copies are left
    // for copyFiles(), which sees what else claims their place.
    void copySiteFiles()
    {
        for (const QString &path : siteFiles_) {
            if (pageIndex_.contains(path) || path == QLatin1String(book::kSiteLacksFileName) ||
                path.startsWith(kOutsideFolder + u'/') || path.startsWith(kAsideFolder + u'/'))
                continue;
            copier_->add(root_ + u'/' + path, staging_ + u'/' + path);
            copying_.insert(path);
        }
    }

    // Where a claimed copy comes from: the site, or a file outside it.
    QString sourceOf(const QString &claimed) const { return outsideSources_.value(claimed, root_ + u'/' + claimed); }

    // Copies a file the moment it is claimed: a claim is never taken back, nor given to another file.
    // A picture whose file is copied in its own place too becomes a second name of that copy, once it
    // is made: every file the kernel makes costs more than the bytes of most pictures.
    void copyClaim(const QString &copy)
    {
        if (!copier_ || copying_.contains(copy))
            return;
        const QString &claimed = claims_.value(copy);
        if (copying_.contains(claimed))
            secondNames_.emplace_back(claimed, copy);
        else
            copier_->add(sourceOf(claimed), staging_ + u'/' + copy);
        copying_.insert(copy);
    }

    // The second names of copies, made once the copies are; a copy where the file system has none.
    void nameCopiesAgain() const
    {
        QSet<QString> folders;
        for (const auto &[copy, name] : secondNames_) {
            const QString from = staging_ + u'/' + copy;
            const QString to = staging_ + u'/' + name;
            if (const QString folder = folderOf(to); !folders.contains(folder)) {
                QDir().mkpath(folder);
                folders.insert(folder);
            }
            if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
                continue;
            if (const QString error = copyFile(from, to); !error.isEmpty())
                throw Refusal({QStringLiteral("%1: can't be copied to %2: %3").arg(from, to, error)});
        }
    }

    void copyFiles()
    {
        for (auto claim = claims_.constBegin(); claim != claims_.constEnd(); ++claim) {
            if (claim.value().isEmpty())
                continue; // written already: text kept aside
            const QString source = sourceOf(claim.value());
            if (outsideSources_.contains(claim.value()) ? !inBroughtFolder(claim.key()) : find(claim.value()).outside)
                fromOutside_.emplace(claim.key(), QFileInfo(source).canonicalFilePath());
            copyClaim(claim.key());
        }
    }

    bool inBroughtFolder(const QString &copy) const
    {
        auto folder = broughtFolders_.upper_bound(copy);
        return folder != broughtFolders_.begin() && copy.startsWith((--folder)->first);
    }

    void write(const QString &path, const QByteArray &bytes) const
    {
        QDir().mkpath(folderOf(path));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw Refusal({QStringLiteral("%1: can't be written: %2").arg(path, file.errorString())});
    }

    // Puts the staged folder in OUT's place; an old OUT goes only once the new one stands.
    void replaceOutput(QTemporaryDir &staging)
    {
        QFile::setPermissions(staging_, QFile::permissions(staging_) | QFile::ReadGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::ExeOther);
        const QString out = QFileInfo(out_).absoluteFilePath();
        QString old;
        if (QFileInfo::exists(out)) {
            old = staging_ + QStringLiteral(".old");
            if (!QDir().rename(out, old))
                throw Refusal({QStringLiteral("%1: can't be replaced").arg(out_)});
        }
        if (!QDir().rename(staging_, out)) {
            if (!old.isEmpty())
                QDir().rename(old, out);
            throw Refusal({QStringLiteral("%1: can't be written").arg(out_)});
        }
        staging.setAutoRemove(false);
        if (!old.isEmpty())
            QDir(old).removeRecursively();
    }

    QString bookFile() const { return QDir(out_).filePath(QString::fromLatin1(book::kBookFileName + 1)); }

    ImportReport report() const
    {
        ImportReport report;
        report.bookFile = bookFile();
        report.title = title_;
        for (const auto index : order_)
            report.pages.push_back({pages_[size_t(index)].name, pages_[size_t(index)].path});
        report.totals = totals_;
        report.notes = notes_;
        for (const auto &[key, left] : left_)
            report.left.push_back(left);
        report.leftOut.assign(leftOut_.begin(), leftOut_.end());
        report.fromOutside.assign(fromOutside_.begin(), fromOutside_.end());
        report.fromOutside.insert(report.fromOutside.end(), broughtFolders_.begin(), broughtFolders_.end());
        report.notTaken = notTaken_;
        report.bookBytes = bookSize_;
        report.followLinks = followLinks;
        return report;
    }

    QString site_;
    QString out_;
    QStringList starts_;
    QString title_;
    bool titleGiven_;
    bool force_;

    QString root_;
    QString staging_;
    std::vector<Page> pages_;
    QHash<QString, qsizetype> pageIndex_;
    std::vector<QString> walkStarts_;              // the start pages walked from, in turn
    std::vector<qsizetype> walkEnds_;              // where each walk's pages end in pages_
    QStringList notTaken_;                         // HTML files of the site that no start reaches
    std::map<QString, std::set<QString>> aliases_; // page -> the other paths of its file that links name
    QHash<QString, QString> pagesAt_;              // pageAt(path), null for none
    std::map<QString, LeftOutFile> leftOut_;
    std::map<QString, QString> fromOutside_; // files copied from outside the site, by where they come from
    int outsideHtmlFiles_ = 0;               // HTML files of the site that are symbolic links out of it, left out
    QHash<QString, Found> found_;            // site path -> what it stands for
    std::set<QString> siteFiles_;            // every file of the site, by the name it is known by
    QSet<QString> copying_;                  // the copies in OUT begun, by their path there
    std::vector<std::pair<QString, QString>> secondNames_; // copy in OUT -> another path of it in OUT
    std::set<QString> siteLeftOut_;             // files of the site that are symbolic links out, not followed
    QHash<QString, QString> outsideSources_;    // copy in OUT -> its file outside the site
    std::set<QString> scriptFolders_;           // the folders of scripts brought from outside
    std::map<QString, QString> broughtFolders_; // those brought whole: copy in OUT -> source, each with "/"
    std::map<std::pair<quint64, quint64>, QString> known_; // device and inode -> the name it is known by
    std::vector<qsizetype> order_;
    QHash<QString, QString> claims_;   // copied file, relative to OUT -> its source in the site
    QHash<QString, QString> pictures_; // picture in the site -> its copy under images/
    QStringList styleSheets_;
    std::map<std::pair<QString, QString>, LeftReference> left_;
    std::vector<std::pair<QString, QString>> notes_;
    ImportTotals totals_;
    book::SiteLacks lacks_;
    qsizetype bookSize_ = 0;

    const Page *current_ = nullptr;              // the page being rewritten; null while style sheets are read
    Prefetch<ReadLinks> *linkReading_ = nullptr; // while the pages are walked
    QHash<QString, RealFile> realFiles_;         // by the system path that led to each
    FileCopier *copier_ = nullptr;               // while the book folder is written
    QString cssFile_;
    QString cssBase_;
    QHash<QString, QString> urlPaths_; // urlPath() of the files that pages name
    QString cssText_;
    Lines lines_; // of the page or style sheet being read
};

} // namespace

qsizetype ImportReport::leftCount() const
{
    qsizetype count = 0;
    for (const LeftReference &item : left)
        count += item.count;
    return count;
}

ImportReport importSite(const SiteImportRequest &request)
{
    SiteImport import(request.site, request.out, request.starts, request.title, request.titleGiven, request.force);
    import.all = request.all;
    import.followLinks = request.followLinks;
    import.mostBytesDraftedByWalk = request.mostBytesDraftedByWalk;
    return import.run();
}
