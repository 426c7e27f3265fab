#include "printing.h"

#include "logging.h"
#include <platform/blockingwait.h>

#include <QPointer>
#include <QPrinter>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <chrono>

namespace triedit {
namespace {

// A printer that never answers must not hold the program for ever.
constexpr std::chrono::minutes kPrintTimeLimit{1};

} // namespace

bool printPage(QWebEngineView *view, QPrinter *printer)
{
    platform::BlockingWait done;
    bool printed = false;
    const auto finished = [&](bool success) {
        printed = success;
        done.finish();
    };
    QPointer<QWebEnginePage> page = view->page();
    // A view or page that goes away during the wait ends it.
    QObject::connect(view, &QObject::destroyed, &done, &platform::BlockingWait::finish);
    QObject::connect(page, &QObject::destroyed, &done, &platform::BlockingWait::finish);
    // Nor does a render process that ends, or is ended, print anything more.
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, &done, &platform::BlockingWait::finish);

    if (printer->outputFormat() == QPrinter::PdfFormat) {
        const QString file = printer->outputFileName();
        QObject::connect(page, &QWebEnginePage::pdfPrintingFinished, &done,
                         [&](const QString &, bool success) { finished(success); });
        page->printToPdf(file, printer->pageLayout(), printer->pageRanges());
    } else {
        QObject::connect(view, &QWebEngineView::printFinished, &done, finished);
        view->print(printer);
    }

    if (!done.wait(kPrintTimeLimit))
        qCWarning(lcTriEdit) << "printing did not finish in time";
    else if (!printed)
        qCWarning(lcTriEdit) << "printing failed";
    return printed;
}

} // namespace triedit
