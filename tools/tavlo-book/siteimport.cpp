#include "siteimport.h"

#include "pagerewrite.h"
#include "refusal.h"
#include "text.h"
#include "usageerror.h"

#include "book/bookfile.h"
#include "book/bookformat.h"
#include "book/htmlscan.h"
#include "book/linkrule.h"
#include "book/pageindex.h"
#include "platform/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

constexpr QStringView kAsideFolder = u"tavlo-inline";

// Copies a file's bytes into a new file, in the kernel where it can. Unlike QFile::copy() it doesn't
// flush each copy to disk: thousands of pictures would wait on the disk one by one, and the book
// folder only counts once it is renamed into place. Gives the error in words, empty on success.
QString copyFile(const QString &from, const QString &to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    int error = 0;
    bool inKernel = true;
    for (;;) {
        const ssize_t copied = inKernel ? ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0) : 0;
        if (copied > 0)
            continue;
        if (copied == 0 && inKernel)
            break;
        if (inKernel && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            inKernel = false; // file systems that can't: byte by byte from where it stopped
            continue;
        }
        if (inKernel) {
            error = errno;
            break;
        }
        char buffer[65536];
        const ssize_t read = ::read(in, buffer, sizeof buffer);
        if (read <= 0) {
            error = read < 0 ? errno : 0;
            break;
        }
        if (::write(out, buffer, size_t(read)) != read) {
            error = errno ? errno : EIO;
            break;
        }
    }
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    return error ? QString::fromLocal8Bit(std::strerror(error)) : QString();
}

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
// reported with its line.
class Lines {
public:
    void reset(QStringView text)
    {
        text_ = text;
        begins_.clear();
    }

    int at(qsizetype offset)
    {
        if (begins_.empty()) {
            begins_.push_back(0);
            for (qsizetype i = text_.indexOf(u'\n'); i >= 0; i = text_.indexOf(u'\n', i + 1))
                begins_.push_back(i + 1);
        }
        return int(std::upper_bound(begins_.begin(), begins_.end(), offset) - begins_.begin());
    }

private:
    QStringView text_;
    std::vector<qsizetype> begins_;
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
// book, break the name's line or fall outside Windows-1252 becomes "_".
QString pageNameFor(const QString &path)
{
    QString name;
    for (const char32_t c : path.toUcs4()) {
        name += book::inCodePage(c) && c != u'\t' && c != u'\n' && c != u'\r' ? QString::fromUcs4(&c, 1)
                                                                              : QStringLiteral("_");
    }
    // Each separator loses its last character.
    for (const book::SeparatorAt &found : book::separatorsIn(name))
        name[found.offset + found.separator->text.size() - 1] = u'_';
    name.replace(u'<', u'_'); // a name that looks like a tag reads as a page split in two
    if (book::runsIntoFieldSeparator(name))
        name.back() = u'_';
    // A link that begins with "http" or "file" is not looked up as it stands; "./" in front keeps the
    // path and lets the link reach the page.
    if (!linkReaches(name))
        name.prepend(u"./");
    return name;
}

struct Page {
    QString path;               // relative to the site, with "/"
    QString name;               // the page name in the book
    QString text;               // the decoded HTML
    QString problem;            // how its bytes were read, when not as declared
    std::vector<QString> links; // the pages it links to, in link order
    QString next;               // the page its rel="next" names, if any
};

// A reference that was left as written, and why; grouped by what it names.
struct Left {
    QString target;  // the file it names, relative to the site, or the reference as written
    QString problem; // "no such file", "outside the site"
    QString firstFile;
    int firstLine = 0;
    qsizetype count = 0;
};

enum class FileState { Missing, Outside, File, Folder };

struct Totals {
    qsizetype pageLinks = 0; // links pointed at a page's name
    qsizetype fileLinks = 0; // links pointed at a copied file that is no page
    qsizetype pictures = 0;  // picture files copied into images/
    qsizetype files = 0;     // other files copied keeping their path
    qsizetype asideFiles = 0;
    TextChanges text;
};

class SiteImport final : public PageSite {
public:
    SiteImport(QString site, QString out, QString start, QString title, bool titleGiven, bool force)
        : site_(std::move(site)), out_(std::move(out)), start_(std::move(start)), title_(std::move(title)),
          titleGiven_(titleGiven), force_(force)
    {
    }

    Output run(bool json)
    {
        root_ = QFileInfo(site_).canonicalFilePath();
        if (root_.isEmpty() || !QFileInfo(root_).isDir())
            throw Refusal({QStringLiteral("%1: there is no such folder").arg(site_)});
        const book::UrlReference start = book::readUrl(start_, {});
        const QString startPath = start.path;
        if (start.kind != book::UrlReference::Relative || start.climbsOut || startPath.isEmpty() ||
            fileState(startPath) != FileState::File)
            throw Refusal({QStringLiteral("%1: has no start page \"%2\"; give the page to start from with --start")
                               .arg(site_, start_)});
        checkOutput();

        walk(startPath);
        orderPages(startPath);
        namePages();
        if (!titleGiven_)
            title_ = bookTitle(pages_[order_[0]]);

        QTemporaryDir staging(QFileInfo(out_).absolutePath() + u"/." + QFileInfo(out_).fileName() +
                              QStringLiteral("-XXXXXX"));
        if (!staging.isValid())
            throw Refusal({QStringLiteral("%1: can't be written: %2").arg(out_, staging.errorString())});
        staging_ = staging.path();

        book::BookWriter writer(title_);
        for (const auto index : order_) {
            Page &page = pages_[index];
            current_ = &page;
            lines_.reset(page.text);
            writer.addPage(page.name, rewritePage(page.text, *this, totals_.text));
            page.text.clear();
        }
        const QByteArray book = writer.take();
        current_ = nullptr;
        copyStyleSheetFiles();
        copyFiles();
        const QString bookPath = staging_ + u'/' + QString::fromLatin1(book::kBookFileName + 1);
        write(bookPath, book);
        bookSize_ = book.size();
        replaceOutput(staging);
        return json ? jsonReport() : textReport();
    }

    std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype offset) override
    {
        const book::UrlReference reference = book::readUrl(url, current_ ? folderOf(current_->path) : cssBase_);
        const auto leave = [&](const QString &target, const QString &problem) -> std::optional<QString> {
            leaveAsWritten(target, problem, offset);
            return std::nullopt;
        };
        if (reference.kind == book::UrlReference::External || reference.kind == book::UrlReference::Document)
            return std::nullopt;
        if (reference.kind == book::UrlReference::Absolute || reference.climbsOut)
            return leave(url, QStringLiteral("outside the site"));
        const QString target = resolvedFile(reference.path);
        switch (fileState(target)) {
        case FileState::Missing:
        case FileState::Folder:
            return leave(target, QStringLiteral("no such file"));
        case FileState::Outside:
            return leave(target, QStringLiteral("outside the site"));
        case FileState::File:
            break;
        }
        if (!current_) // a style sheet's own references stay as written: the sheet keeps its place
            return claimFile(target) ? std::nullopt : leave(target, QStringLiteral("clashes with a picture"));
        if (role == UrlRole::Link && pageIndex_.contains(target)) {
            const Page &page = pages_[pageIndex_.value(target)];
            const QString place = reference.fragment.isNull() ? QString() : QString(u'#' + reference.fragment);
            ++totals_.pageLinks;
            if (&page == current_ && !place.isEmpty())
                return place; // a place in the page shown: scrolled to without showing the page again
            return page.name + place;
        }
        if (role == UrlRole::Picture)
            return claimPicture(target);
        if (!claimFile(target))
            return leave(target, QStringLiteral("clashes with a picture"));
        if (role == UrlRole::Link)
            ++totals_.fileLinks;
        return urlPath(target) + reference.query +
               (reference.fragment.isNull() ? QString() : QString(u'#' + reference.fragment));
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

    // A folder stands for its index page.
    QString resolvedFile(const QString &path)
    {
        const QString &target = path;
        if (target.isEmpty() || fileState(target) == FileState::Folder) {
            for (const QStringView index : {u"index.html", u"index.htm"}) {
                QString candidate = target.isEmpty() ? index.toString() : QString(target + u'/' + index);
                if (fileState(candidate) == FileState::File)
                    return candidate;
            }
        }
        return target;
    }

    FileState fileState(const QString &path)
    {
        const auto known = states_.constFind(path);
        if (known != states_.constEnd())
            return *known;
        const QFileInfo info(root_ + u'/' + path);
        FileState state = FileState::Missing;
        if (info.exists()) {
            // Links may lead out of the site; nothing outside it is copied.
            const QString real = info.canonicalFilePath();
            if (!real.startsWith(root_ + u'/'))
                state = FileState::Outside;
            else
                state = info.isDir() ? FileState::Folder : FileState::File;
        }
        states_.insert(path, state);
        return state;
    }

    void leaveAsWritten(const QString &target, const QString &problem, qsizetype offset)
    {
        Left &left = left_[{target, problem}];
        if (left.count++ == 0) {
            left.target = target;
            left.problem = problem;
            left.firstFile = current_ ? current_->path : cssFile_;
            left.firstLine = lines_.at(offset);
        }
    }

    Page &readPage(const QString &path)
    {
        pageIndex_.insert(path, qsizetype(pages_.size()));
        pages_.push_back({});
        Page &page = pages_.back();
        page.path = path;
        QFile file(root_ + u'/' + path);
        if (!file.open(QIODevice::ReadOnly)) {
            page.problem = QStringLiteral("can't be read: %1; the page is empty").arg(file.errorString());
            return page;
        }
        PageText text = decodePage(file.readAll(), &page.problem);
        page.text = std::move(text.text);
        return page;
    }

    // Collects the pages a page links to, without changing anything.
    class LinkCollector final : public PageSite {
    public:
        explicit LinkCollector(SiteImport &import) : import_(import) {}
        std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype) override
        {
            if (role == UrlRole::Link)
                if (std::optional<QString> page = import_.pageOf(url, folder))
                    links.push_back(*page);
            return std::nullopt;
        }
        QString keepAside(QStringView, const QString &) override { return {}; }
        QString folder;
        std::vector<QString> links;

    private:
        SiteImport &import_;
    };

    // The HTML file of the site that url names from a page in folder, if it names one.
    std::optional<QString> pageOf(const QString &url, const QString &folder)
    {
        const book::UrlReference reference = book::readUrl(url, folder);
        if (reference.kind != book::UrlReference::Relative || reference.climbsOut)
            return std::nullopt;
        const QString target = resolvedFile(reference.path);
        if (!isHtmlFile(target) || fileState(target) != FileState::File)
            return std::nullopt;
        return target;
    }

    // Every page reachable from the start page, depth first in link order.
    void walk(const QString &startPath)
    {
        struct Frame {
            qsizetype page;
            size_t next = 0;
        };
        const auto visit = [&](const QString &path) {
            Page &page = readPage(path);
            LinkCollector collector(*this);
            collector.folder = folderOf(path);
            TextChanges ignored;
            rewritePage(page.text, collector, ignored);
            page.links = std::move(collector.links);
            if (const QString next = nextPageReference(page.text); !next.isEmpty())
                page.next = pageOf(next, collector.folder).value_or(QString());
            walkOrder_.push_back(qsizetype(pages_.size() - 1));
        };
        visit(startPath);
        std::vector<Frame> stack = {{0}};
        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next >= pages_[frame.page].links.size()) {
                stack.pop_back();
                continue;
            }
            const QString link = pages_[frame.page].links[frame.next++];
            if (pageIndex_.contains(link))
                continue;
            visit(link);
            stack.push_back({qsizetype(pages_.size() - 1)});
        }
    }

    // The start page, the chain of rel="next" from it, then what the chain misses in walk order.
    void orderPages(const QString &startPath)
    {
        std::vector<bool> placed(pages_.size(), false);
        for (qsizetype at = pageIndex_.value(startPath); at >= 0 && !placed[size_t(at)];) {
            placed[size_t(at)] = true;
            order_.push_back(at);
            const QString &next = pages_[size_t(at)].next;
            at = next.isEmpty() ? -1 : pageIndex_.value(next, -1);
        }
        for (const qsizetype at : walkOrder_)
            if (!placed[size_t(at)])
                order_.push_back(at);
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
            if (name != page.path)
                notes_.emplace_back(
                    page.path,
                    QStringLiteral("named %1, which the book can hold and links can reach").arg(quoted(name)));
            if (!page.problem.isEmpty())
                notes_.emplace_back(page.path, page.problem);
        }
    }

    // The start page's title as the book can hold it: "?" for what Windows-1252 lacks.
    QString bookTitle(const Page &start)
    {
        QString written = pageTitle(start.text);
        if (written.isEmpty())
            written = start.name;
        QString title = written;
        title.replace(book::kSectionSeparator, QStringLiteral("<<$$ >>"));
        title = platform::decodeCodePage(platform::encodeCodePage(title, false));
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
        pictures_.insert(path, target);
        return target;
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

    void copyFiles()
    {
        QSet<QString> folders;
        for (auto claim = claims_.constBegin(); claim != claims_.constEnd(); ++claim) {
            if (claim.value().isEmpty())
                continue; // written already: text kept aside
            const QString target = staging_ + u'/' + claim.key();
            const QString folder = folderOf(target);
            if (!folders.contains(folder)) {
                QDir().mkpath(folder);
                folders.insert(folder);
            }
            const QString source = root_ + u'/' + claim.value();
            if (const QString error = copyFile(source, target); !error.isEmpty())
                throw Refusal({QStringLiteral("%1: can't be copied to %2: %3").arg(source, target, error)});
        }
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

    QString changesLine() const
    {
        const TextChanges &t = totals_.text;
        return QStringLiteral("%1 links pointed at pages, %2 at copied files; %3 pictures copied into images/, %4 "
                              "other files copied; %5 \"~\", %6 \"##\" and %7 \"<<$$>>\" written as references; %8 "
                              "characters outside Windows-1252 written as references; %9 scripts and %10 style "
                              "sheets moved into files")
            .arg(QString::number(totals_.pageLinks), QString::number(totals_.fileLinks),
                 QString::number(totals_.pictures), QString::number(totals_.files), QString::number(t.tildes),
                 QString::number(t.doubleHashes), QString::number(t.sectionMarks), QString::number(t.outsideCodePage),
                 QString::number(t.scriptsMoved))
            .arg(t.stylesMoved);
    }

    qsizetype leftCount() const
    {
        qsizetype count = 0;
        for (const auto &[key, left] : left_)
            count += left.count;
        return count;
    }

    Output textReport() const
    {
        QString out;
        for (size_t i = 0; i < order_.size(); ++i) {
            const Page &page = pages_[size_t(order_[i])];
            out += QString::number(i) + u'\t' + quoted(page.name) + u'\t' + page.path + u'\n';
        }
        out += QStringLiteral("changed: ") + changesLine() + u'\n';
        for (const auto &[file, message] : notes_)
            out += QStringLiteral("changed: %1: %2\n").arg(file, message);
        for (const auto &[key, left] : left_)
            out += QStringLiteral("left: %1:%2: %3: %4 (%5 references)\n")
                       .arg(left.firstFile, QString::number(left.firstLine), quoted(left.target), left.problem,
                            QString::number(left.count));
        out += QStringLiteral("%1: %2 pages, %3 pictures, %4 other files, %5 files of page text; %6 references left "
                              "as written; the book is %7 bytes\n")
                   .arg(bookFile(), QString::number(order_.size()), QString::number(totals_.pictures),
                        QString::number(totals_.files), QString::number(totals_.asideFiles),
                        QString::number(leftCount()), QString::number(bookSize_));
        return out.toUtf8();
    }

    Output jsonReport() const
    {
        QJsonArray pages;
        for (size_t i = 0; i < order_.size(); ++i) {
            const Page &page = pages_[size_t(order_[i])];
            pages.append(QJsonObject{{u"index"_s, double(i)}, {u"name"_s, page.name}, {u"file"_s, page.path}});
        }
        const TextChanges &t = totals_.text;
        QJsonArray notes;
        for (const auto &[file, message] : notes_)
            notes.append(QJsonObject{{u"file"_s, file}, {u"message"_s, message}});
        QJsonArray left;
        for (const auto &[key, item] : left_)
            left.append(QJsonObject{{u"reference"_s, item.target},
                                    {u"problem"_s, item.problem},
                                    {u"file"_s, item.firstFile},
                                    {u"line"_s, item.firstLine},
                                    {u"count"_s, double(item.count)}});
        const QJsonObject changed{{u"pageLinks"_s, double(totals_.pageLinks)},
                                  {u"fileLinks"_s, double(totals_.fileLinks)},
                                  {u"pictures"_s, double(totals_.pictures)},
                                  {u"files"_s, double(totals_.files)},
                                  {u"tildes"_s, double(t.tildes)},
                                  {u"doubleHashes"_s, double(t.doubleHashes)},
                                  {u"sectionMarks"_s, double(t.sectionMarks)},
                                  {u"outsideWindows1252"_s, double(t.outsideCodePage)},
                                  {u"scriptsMoved"_s, double(t.scriptsMoved)},
                                  {u"styleSheetsMoved"_s, double(t.stylesMoved)},
                                  {u"notes"_s, notes}};
        const QJsonObject report{{u"book"_s, bookFile()},
                                 {u"title"_s, title_},
                                 {u"pages"_s, pages},
                                 {u"changed"_s, changed},
                                 {u"left"_s, left},
                                 {u"totals"_s, QJsonObject{{u"pages"_s, double(order_.size())},
                                                           {u"pictures"_s, double(totals_.pictures)},
                                                           {u"files"_s, double(totals_.files)},
                                                           {u"pageTextFiles"_s, double(totals_.asideFiles)},
                                                           {u"left"_s, double(leftCount())},
                                                           {u"bookBytes"_s, double(bookSize_)}}}};
        return QJsonDocument(report).toJson(QJsonDocument::Indented);
    }

    QString site_;
    QString out_;
    QString start_;
    QString title_;
    bool titleGiven_;
    bool force_;

    QString root_;
    QString staging_;
    std::vector<Page> pages_;
    QHash<QString, qsizetype> pageIndex_;
    std::vector<qsizetype> walkOrder_;
    std::vector<qsizetype> order_;
    QHash<QString, FileState> states_;
    QHash<QString, QString> claims_;   // copied file, relative to OUT -> its source in the site
    QHash<QString, QString> pictures_; // picture in the site -> its copy under images/
    QStringList styleSheets_;
    std::map<std::pair<QString, QString>, Left> left_;
    std::vector<std::pair<QString, QString>> notes_;
    Totals totals_;
    qsizetype bookSize_ = 0;

    const Page *current_ = nullptr; // the page being rewritten; null while style sheets are read
    QString cssFile_;
    QString cssBase_;
    QString cssText_;
    Lines lines_; // of the page or style sheet being read
};

// A title given on the command line stands in the book as it is.
void checkTitle(const QString &title)
{
    if (title.contains(u'\n') || title.contains(u'\r'))
        throw UsageError(QStringLiteral("import: the title holds a line break"));
    if (title.contains(book::kSectionSeparator))
        throw UsageError(QStringLiteral("import: the title holds \"<<$$>>\", which would end it there"));
    if (const QString lacking = charactersOutsideCodePage(title); !lacking.isEmpty())
        throw UsageError(QStringLiteral("import: the title holds %1, which Windows-1252 can't hold").arg(lacking));
}

Output importSite(const Arguments &args)
{
    const QString out = args.option(QStringLiteral("-o"), QString());
    if (out.isEmpty())
        throw UsageError(QStringLiteral("import needs -o and the folder to write"));
    const bool titleGiven = args.options.contains(QStringLiteral("--title"));
    const QString title = args.option(QStringLiteral("--title"), QString());
    if (titleGiven)
        checkTitle(title);
    SiteImport import(args.positional[0], out, args.option(QStringLiteral("--start"), QStringLiteral("index.html")),
                      title, titleGiven, args.flag(QStringLiteral("--force")));
    return import.run(args.flag(QStringLiteral("--json")));
}

} // namespace

Command importCommand()
{
    return {QStringLiteral("import"),
            {QStringLiteral("SITE")},
            {QStringLiteral("-o"), QStringLiteral("--start"), QStringLiteral("--title")},
            {QStringLiteral("--force"), QStringLiteral("--json")},
            QStringLiteral("SITE -o OUT [--start FILE] [--title TEXT] [--force] [--json]"),
            QStringLiteral("makes OUT an application folder's content from the folder of linked HTML pages\n"
                           "      SITE: OUT/tessavanetavlo.tavlo with every page reachable from FILE (default\n"
                           "      index.html), named by its path in SITE, in reading order; the pictures in\n"
                           "      OUT/images/ and the other files the pages use in their places. Reports each\n"
                           "      page, what it changed and what it left. Never replaces OUT without --force"),
            importSite};
}
