#include "readingsession.h"

#include "logging.h"
#include "pressedlink.h"

#include <book/linkrule.h>
#include <book/pageindex.h>
#include <book/record.h>
#include <book/showpage.h>
#include <platform/appfile.h>
#include <platform/failure.h>
#include <platform/links.h>
#include <platform/messagebox.h>

#include <QtConcurrent>

namespace reader {
ReadingSession::ReadingSession(pageview::PageView &view, const ReaderServices &services, QObject *parent)
    : QObject(parent), view_(view), services_(services)
{
    // A click that came before the page names were read is followed once they are.
    connect(&pageIndex_, &QFutureWatcherBase::finished, this, [this] {
        for (const pageview::Click &click : std::exchange(clicksWaiting_, {}))
            handle([this, click] { followClick(click); });
    });
}

void ReadingSession::open(book::PageTable table)
{
    pages = std::move(table);
    curPage = 0;
    showPage(0);
    shown(0);
    // The page table does not change after loading, so the worker reads its own copy of it (the
    // bytes are shared, not copied).
    pageIndex_.setFuture(QtConcurrent::run([table = pages] { return std::make_shared<const book::PageIndex>(table); }));
}

void ReadingSession::handle(std::function<void()> handler)
{
    // Handlers run one after another. A print or a pause lets the event loop run (to repaint), and
    // an event that comes meanwhile, such as a click the page view reports, waits until the running
    // handler has ended.
    waiting_.push_back(std::move(handler));
    if (handling_)
        return;
    handling_ = true;
    while (!waiting_.empty()) {
        const std::function<void()> next = std::move(waiting_.front());
        waiting_.pop_front();
        // Where the page shown was scrolled to, for Back and Forward to come back to.
        if (showsHistoryEntry_)
            history_.setScroll(view_.scrollPosition());
        const qsizetype before = curPage;
        emit aboutToHandle();
        platform::runReportingFailures(next);
        emit handled(curPage != before);
    }
    handling_ = false;
}

void ReadingSession::showPage(qsizetype i, bool aroundRewriting, const QString &header)
{
    showsFile_ = false;
    if (aroundRewriting)
        view_.setBrowseMode(false);
    ParsingImage(i);
    if (aroundRewriting)
        view_.setBrowseMode(true);
    // The page lies at its own address, where its relative URLs resolve.
    view_.setDocumentPage(book::trimSpaces(book::pageNameAt(pages, i)).toString());
    view_.setDocumentHtml(header + pageHtml);
}

void ReadingSession::ParsingImage(qsizetype i)
{
    book::PreparedPage page = book::preparePage(pages, i, services_.applicationFolder());
    pageHtml = std::move(page.html);
    if (page.asWrittenBecause)
        qCWarning(lcReader).noquote() << "a page is shown with its pictures as written:" << *page.asWrittenBecause;
}

void ReadingSession::next()
{
    const qsizetype last = pages.size() - 1;
    if (curPage == last) {
        services_.showMessage(QStringLiteral("this is the last page of the book"));
        return;
    }
    if (curPage > last)
        return;
    ++curPage;
    // A blank record becomes the current page without being shown.
    if (book::isBlank(pages.recordBytes(curPage)))
        return;
    showPage(curPage);
    shown(curPage);
}

void ReadingSession::previous()
{
    if (curPage == 0) {
        services_.showMessage(QStringLiteral("this is the first page"));
        return;
    }
    if (curPage < 0)
        return;
    --curPage;
    if (book::isBlank(pages.recordBytes(curPage)))
        return;
    showPage(curPage);
    shown(curPage);
}

void ReadingSession::goToPage(qsizetype i, bool aroundRewriting)
{
    showPage(i, aroundRewriting);
    curPage = i;
    shown(i);
}

void ReadingSession::showFoundPage(qsizetype i, const QString &query, bool matchCase)
{
    goToPage(i);
    view_.highlight(query, matchCase);
}

void ReadingSession::shown(qsizetype i)
{
    const auto [query, place] = std::exchange(shownAddress_, {});
    history_.visit(i, query, place);
    showsHistoryEntry_ = true;
}

void ReadingSession::back()
{
    if (!view_.goWithinPage(-1))
        leavePage(-1);
}

void ReadingSession::forward()
{
    if (!view_.goWithinPage(1))
        leavePage(1);
}

void ReadingSession::leavePage(int offset)
{
    const PageHistory::Entry *entry = nullptr;
    // A file of the folder stands in place of the current page: the step back shows that page again.
    if (offset < 0 && showsFile_ && history_.current()) {
        entry = history_.current();
        ++offset;
    }
    for (; offset < 0 && history_.canGoBack(); ++offset)
        entry = &history_.back();
    for (; offset > 0 && history_.canGoForward(); --offset)
        entry = &history_.forward();
    if (entry)
        showHistoryEntry(*entry);
}

void ReadingSession::showHistoryEntry(const PageHistory::Entry &entry)
{
    // Back to a site's search page finds its words again, as a browser's Back does.
    if (!entry.query.isEmpty() || !entry.place.isEmpty())
        view_.setDocumentAddress(entry.query, entry.place);
    showPage(entry.page);
    curPage = entry.page;
    showsHistoryEntry_ = true;
    view_.scrollTo(entry.scroll);
}

void ReadingSession::startPrinting()
{
    pageHtml.clear();
    showsHistoryEntry_ = false;
}

void ReadingSession::showForPrinting(qsizetype i, const QString &header)
{
    showPage(i, false, header);
}

void ReadingSession::click(const pageview::Click &click)
{
    // A click that comes before the page names are read is followed once they are, with the link it
    // met: a later click must not stand in for it, nor two clicks become one.
    if (!click.href.isEmpty() && !pageIndex_.isFinished()) {
        clicksWaiting_.push_back(click);
        return;
    }
    followClick(click);
}

void ReadingSession::followClick(const pageview::Click &click)
{
    const QString &link = click.href;
    if (!link.isEmpty()) {
        const book::LinkTarget target = book::resolveLink(link, *pageIndex_.result());
        switch (target.kind) {
        case book::LinkKind::Web:
            // What the page view did with web links of its own: only a real address goes to the
            // browser, anything else that begins with "http" does nothing.
            if (!target.url.isEmpty() && wasShownAtPress(target.url, click.linkAtPress))
                openLink(target.url);
            return;
        case book::LinkKind::Page:
            goToPage(target.page, true);
            return;
        case book::LinkKind::PageWithPlace: {
            // Reached at its place, as on a web server: a source listing highlights those lines.
            const QString place = QString::fromLatin1(QUrl::toPercentEncoding(target.place, "!$&'()*+,;=:@/?%"));
            view_.setDocumentAddress({}, place);
            shownAddress_ = {{}, place};
            goToPage(target.page, true);
            view_.scrollToPlace(target.place);
            return;
        }
        case book::LinkKind::Mail:
            if (wasShownAtPress(target.url, click.linkAtPress))
                openLink(target.url);
            break;
        case book::LinkKind::Other:
            view_.setBrowseMode(true);
            // A relative address with a query ("page.html?highlight=word") or one that names a file
            // of the folder that is no page ("_sources/index.rst.txt"), as a browser follows it.
            if (const QUrl address(link.trimmed()); address.isValid() && address.scheme().isEmpty())
                followInBook(book::pageAddress(book::pageNameAt(pages, curPage)).resolved(address), &click);
            return;
        case book::LinkKind::None:
        case book::LinkKind::InPage: // the page view has scrolled there itself
            break;
        }
    }
    view_.setBrowseMode(true);
}

bool ReadingSession::followInBook(const QUrl &target, const pageview::Click *click)
{
    QString path = target.path(QUrl::FullyDecoded);
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    qsizetype page = curPage;
    // A book written before its pages had folders names pages and files from its root.
    const QString folder =
        book::pageAddress(book::pageNameAt(pages, curPage)).resolved(QUrl(QStringLiteral("."))).path().mid(1);
    if (!path.isEmpty()) {
        pageIndex_.waitForFinished();
        page = pageIndex_.result()->find(path);
        if (page < 0 && path.startsWith(folder))
            page = pageIndex_.result()->find(QStringView(path).sliced(folder.size()));
    }
    if (page >= 0 && page < pages.size()) {
        view_.setDocumentAddress(target.query(QUrl::FullyEncoded), target.fragment(QUrl::FullyEncoded));
        shownAddress_ = {target.query(QUrl::FullyEncoded), target.fragment(QUrl::FullyEncoded)};
        goToPage(page);
        return true;
    }
    const platform::ApplicationFile file = platform::pageFile(services_.applicationFolder(), path, folder);
    if (file.refusal != platform::ApplicationFile::Refusal::None) {
        qCDebug(lcReader) << "names nothing in the book:" << target;
        return false;
    }
    followFile(path, file.path, click);
    return true;
}

void ReadingSession::followFile(const QString &path, const QString &file, const pageview::Click *click)
{
    switch (platform::fileUse(file)) {
    case platform::FileUse::Show:
        view_.showFile(path);
        showsFile_ = true;
        showsHistoryEntry_ = false;
        break;
    case platform::FileUse::HandOn:
        // Another program starts only on the reader's own click, on the file the pointer was on as
        // the button went down.
        if (!click) {
            qCWarning(lcReader) << "a page sent the reader to a file that only a click hands on:" << path;
        } else if (click->linkAtPress && QUrl(*click->linkAtPress).path(QUrl::FullyDecoded) != u'/' + path) {
            qCWarning(lcReader) << "a link was clicked whose file is not the one under the pointer:" << path;
        } else if (!services_.openFile(file)) {
            services_.showMessage(tr("No program on this computer opens the file %1").arg(path));
        }
        break;
    case platform::FileUse::Refuse:
        if (click)
            services_.showMessage(
                tr("The file %1 is neither shown by the reader nor one it hands to another program").arg(path));
        else
            qCWarning(lcReader) << "a page sent the reader to a file it neither shows nor hands on:" << path;
        break;
    }
}

void ReadingSession::openLink(const QUrl &url)
{
    if (!services_.openLink(url))
        services_.showMessage(tr("No program on this computer opens the link %1").arg(url.toDisplayString()));
}

} // namespace reader
