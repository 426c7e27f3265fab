#include "printalljob.h"

#include "printprogress.h"
#include "readingsession.h"

#include <book/pageindex.h>
#include <book/record.h>

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

} // namespace

PrintAllJob::PrintAllJob(ReadingSession &session, pageview::PageView &view, const ReaderServices &services)
    : session_(session), view_(view), services_(services)
{
}

bool PrintAllJob::run(QWidget *window)
{
    session_.startPrinting();
    services_.showMessage(QStringLiteral("printing all pages"));
    const book::PageTable &pages = session_.table();
    const qsizetype count = pages.size();
    PrintProgress progress(count, window);
    QList<qsizetype> failed;
    running_ = true;
    for (qsizetype k = 1; k <= count && !progress.wasCanceled() && !closeAfterPrinting_; ++k) {
        progress.showPage(k, book::trimSpaces(book::pageNameAt(pages, k - 1)).toString());
        session_.showForPrinting(k - 1, QStringLiteral("page ") + QString::number(k));
        const pageview::PrintResult result = view_.print();
        // The user has been told that there is no printer; nothing more can be printed.
        if (result == pageview::PrintResult::NoPrinter)
            break;
        if (result == pageview::PrintResult::Failed)
            failed << k;
        // The window was closed while this page printed: the program ends now that it is done.
        if (!closeAfterPrinting_)
            services_.sleep(kPauseAfterPrintedPage);
    }
    running_ = false;
    progress.close();
    if (closeAfterPrinting_)
        return false;
    if (!failed.isEmpty())
        services_.showMessage(
            tr("These pages could not be printed: they did not finish in time: %1.").arg(pagesList(failed)));
    return true;
}

} // namespace reader
