// The commands of the reader window: navigation, link following, printing, find and exit.
#include "form1.h"

#include <book/pageindex.h>
#include <book/record.h>

namespace reader {
namespace {

constexpr int kPauseAfterPrintedPage = 4000;

} // namespace

void Form1::home_Click()
{
    showPage(0);
    curPage = 0;
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
}

void Form1::DHTMLEdit1_onclick()
{
    QString link;
    if (!DHTMLEdit1.activeElementHref().isEmpty()) {
        link = DHTMLEdit1.activeElementHref();
        const QStringView prefix = book::trimSpaces(QStringView(link).first(std::min<qsizetype>(4, link.size())));
        // Web links are the page view's own business.
        if (prefix == u"HTTP" || prefix == u"http")
            return;
        // A "file" link names a page from its eighth character on.
        if (prefix == u"file")
            link = link.mid(7);

        if (!pageIndex_.valid())
            indexPages();
        const qsizetype i = pageIndex_.get()->find(link);
        if (i >= 0) {
            DHTMLEdit1.setBrowseMode(false);
            pageHtml = book::pageHtmlOf(pages.record(i));
            ParsingImage();
            DHTMLEdit1.setBrowseMode(true);
            DHTMLEdit1.setDocumentHtml(pageHtml);
            curPage = i;
            return;
        }
    }
    DHTMLEdit1.setBrowseMode(true);
}

void Form1::print1_Click()
{
    DHTMLEdit1.print(true);
}

void Form1::printall_Click()
{
    pageHtml.clear();
    services_.showMessage(QStringLiteral("printing all pages"));
    const qsizetype count = pages.size();
    for (qsizetype k = 1; k <= count; ++k) {
        pageHtml = book::pageHtmlOf(pages.record(k - 1));
        ParsingImage();
        DHTMLEdit1.setDocumentHtml(QStringLiteral("page ") + QString::number(k) + pageHtml);
        DHTMLEdit1.print();
        services_.sleep(kPauseAfterPrintedPage);
    }
}

void Form1::find_Click()
{
    DHTMLEdit1.execCommand(pageview::command::Find, pageview::command::DefaultOption);
}

void Form1::ext_Click()
{
    services_.endProgram();
}

} // namespace reader
