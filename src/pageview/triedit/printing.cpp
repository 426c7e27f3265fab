#include "printing.h"

#include "logging.h"
#include <platform/blockingwait.h>
#include <platform/printer.h>

#include <QDir>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryFile>
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

    // A printer of the print system takes the engine's own PDF, whose text stays text, as any PDF;
    // the pages drawn by the engine for it are pictures of 300 ppi, without text and large.
    std::unique_ptr<QTemporaryFile> pdf;
    if (printer->outputFormat() != QPrinter::PdfFormat && !printer->printerName().isEmpty()) {
        pdf = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/tavlo-print-XXXXXX.pdf"));
        if (!pdf->open())
            pdf.reset();
    }
    if (printer->outputFormat() == QPrinter::PdfFormat || pdf) {
        const QString file = pdf ? pdf->fileName() : printer->outputFileName();
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
    else if (pdf && !platform::printPdfFile(pdf->fileName(), *printer)) {
        // No print system took the PDF: the printer gets the pages drawn, as before.
        printed = false;
        platform::BlockingWait drawn;
        QObject::connect(view, &QWebEngineView::printFinished, &drawn, [&](bool success) {
            printed = success;
            drawn.finish();
        });
        view->print(printer);
        drawn.wait(kPrintTimeLimit);
    }
    return printed;
}

} // namespace triedit
