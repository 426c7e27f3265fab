// The commands of the reader window: navigation, link following, printing, find and exit.
#include "form1.h"

#include "logging.h"
#include "printprogress.h"

#include <book/linkrule.h>
#include <book/pageindex.h>
#include <book/record.h>
#include <platform/appfile.h>
#include <platform/failure.h>
#include <platform/links.h>

namespace reader {
namespace {

constexpr int kPauseAfterPrintedPage = 4000;

QString pagesList(const QList<qsizetype> &numbers)
{
    QStringList list;
    for (const qsizetype n : numbers)
        list << QString::number(n);
    return list.join(QStringLiteral(", "));
}

// The same address, as the page view and the link rule each write it: a web address without a path
// has the path "/".
bool sameAddress(const QUrl &a, const QUrl &b)
{
    const auto normal = [](QUrl url) {
        url = url.adjusted(QUrl::NormalizePathSegments);
        if (url.path().isEmpty() && (url.scheme() == u"http" || url.scheme() == u"https"))
            url.setPath(QStringLiteral("/"));
        return url;
    };
    return normal(a) == normal(b);
}

} // namespace

void Form1::home_Click()
{
    goToPage(0);
}

void Form1::nxt_Click()
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

void Form1::previous_Click()
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

void Form1::DHTMLEdit1_onclick(const pageview::Click &click)
{
    // A click that comes before the page names are read is followed once they are, with the link it
    // met: a later click must not stand in for it, nor two clicks become one.
    if (!click.href.isEmpty() && !pageIndex_.isFinished()) {
        clicksWaiting_.push_back(click);
        return;
    }
    followClick(click);
}

void Form1::followClick(const pageview::Click &click)
{
    const QString &link = click.href;
    const std::optional<QString> &atPress = click.linkAtPress;
    if (!link.isEmpty()) {
        const book::LinkTarget target = book::resolveLink(link, *pageIndex_.result());
        switch (target.kind) {
        case book::LinkKind::Web:
            // What the page view did with web links of its own: only a real address goes to the
            // browser, anything else that begins with "http" does nothing.
            if (!target.url.isEmpty() && wasShownAtPress(target.url, atPress))
                openLink(target.url);
            return;
        case book::LinkKind::Page:
        case book::LinkKind::PageWithPlace:
            goToPage(target.page, true);
            if (target.kind == book::LinkKind::PageWithPlace)
                DHTMLEdit1.scrollToPlace(target.place);
            return;
        case book::LinkKind::Mail:
            if (wasShownAtPress(target.url, atPress))
                openLink(target.url);
            break;
        case book::LinkKind::Other:
            DHTMLEdit1.setBrowseMode(true);
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
    DHTMLEdit1.setBrowseMode(true);
}

bool Form1::followInBook(const QUrl &target, const pageview::Click *click)
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
        DHTMLEdit1.setDocumentAddress(target.query(QUrl::FullyEncoded), target.fragment(QUrl::FullyEncoded));
        shownAddress_ = {target.query(QUrl::FullyEncoded), target.fragment(QUrl::FullyEncoded)};
        goToPage(page);
        return true;
    }
    const platform::ApplicationFile file = platform::pageFile(services_.applicationFolder(), path, folder);
    if (file.refusal != platform::ApplicationFile::Refusal::None) {
        qCDebug(lcReader) << "names nothing in the book:" << target;
        return false;
    }
    switch (platform::fileUse(file.path)) {
    case platform::FileUse::Show:
        DHTMLEdit1.showFile(path);
        showsFile_ = true;
        showsHistoryEntry_ = false;
        break;
    case platform::FileUse::HandOn:
        // Another program starts only on the reader's own click, on the file the pointer was on as
        // the button went down.
        if (!click) {
            qCWarning(lcReader) << "a page sent the reader to a file that only a click hands on:" << path;
            break;
        }
        if (click->linkAtPress && QUrl(*click->linkAtPress).path(QUrl::FullyDecoded) != u'/' + path) {
            qCWarning(lcReader) << "a link was clicked whose file is not the one under the pointer:" << path;
            break;
        }
        if (!services_.openFile(file.path))
            services_.showMessage(tr("No program on this computer opens the file %1").arg(path));
        break;
    case platform::FileUse::Refuse:
        if (click)
            services_.showMessage(
                tr("The file %1 is neither shown by the reader nor one it hands to another program").arg(path));
        else
            qCWarning(lcReader) << "a page sent the reader to a file it neither shows nor hands on:" << path;
        break;
    }
    return true;
}

void Form1::openLink(const QUrl &url)
{
    if (!services_.openLink(url))
        services_.showMessage(tr("No program on this computer opens the link %1").arg(url.toDisplayString()));
}

bool Form1::wasShownAtPress(const QUrl &url, const std::optional<QString> &shown) const
{
    // A page's script can change a link's target as the mouse button goes down; what opens is only
    // what the band showed under the pointer then. A key's click has no pointer to go by.
    if (!shown || sameAddress(QUrl(*shown), url))
        return true;
    qCWarning(lcReader).noquote() << "a link was clicked whose target is not the one shown under the pointer:"
                                  << url.toDisplayString();
    return false;
}

void Form1::print1_Click()
{
    if (DHTMLEdit1.print(true) == pageview::PrintResult::Failed)
        services_.showMessage(tr("The page could not be printed: it did not finish in time."));
    focusPage();
}

void Form1::printall_Click()
{
    pageHtml.clear();
    showsHistoryEntry_ = false;
    services_.showMessage(QStringLiteral("printing all pages"));
    const qsizetype count = pages.size();
    PrintProgress progress(count, this);
    QList<qsizetype> failed;
    printingAll_ = true;
    for (qsizetype k = 1; k <= count && !progress.wasCanceled(); ++k) {
        progress.showPage(k, book::trimSpaces(book::pageNameAt(pages, k - 1)).toString());
        showPage(k - 1, false, QStringLiteral("page ") + QString::number(k));
        const pageview::PrintResult result = DHTMLEdit1.print();
        // The user has been told that there is no printer; nothing more can be printed.
        if (result == pageview::PrintResult::NoPrinter)
            break;
        if (result == pageview::PrintResult::Failed)
            failed << k;
        // The window was closed while this page printed: the program ends now that it is done.
        if (closeAfterPrinting_)
            break;
        services_.sleep(kPauseAfterPrintedPage);
        if (closeAfterPrinting_)
            break;
    }
    printingAll_ = false;
    progress.close();
    focusPage();
    if (closeAfterPrinting_) {
        close();
        return;
    }
    if (!failed.isEmpty())
        services_.showMessage(
            tr("These pages could not be printed: they did not finish in time: %1.").arg(pagesList(failed)));
}

void Form1::find_Click()
{
    if (!DHTMLEdit1.execCommand(pageview::command::Find, pageview::command::DefaultOption))
        throw platform::Failure(platform::error::InvalidProcedureCall,
                                QStringLiteral("Invalid procedure call or argument: the page view has no command %1")
                                    .arg(pageview::command::Find));
}

void Form1::ext_Click()
{
    // The program ends without closing the window: the place left is remembered now.
    rememberPlace();
    services_.endProgram();
}

} // namespace reader
