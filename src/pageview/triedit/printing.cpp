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
#include <functional>

namespace triedit {
namespace {

// A printer that never answers must not hold the program for ever.
constexpr std::chrono::minutes kPrintTimeLimit{1};

// Has view draw its pages on printer, telling finished once the engine says it has; a print that
// isn't waited for to its end keeps its printer until then, or until the view goes.
void drawPages(QWebEngineView *view, const std::shared_ptr<QPrinter> &printer, QObject *context,
               const std::function<void(bool)> &finished)
{
    QObject::connect(view, &QWebEngineView::printFinished, context, finished);
    QObject::connect(
        view, &QWebEngineView::printFinished, view, [printer](bool) {}, Qt::SingleShotConnection);
    view->print(printer.get());
}

} // namespace

bool printPage(QWebEngineView *view, const std::shared_ptr<QPrinter> &printer)
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
        drawPages(view, printer, &done, finished);
    }

    if (!done.wait(kPrintTimeLimit))
        qCWarning(lcTriEdit) << "printing did not finish in time";
    else if (!printed)
        qCWarning(lcTriEdit) << "printing failed";
    else if (pdf && !platform::printPdfFile(pdf->fileName(), *printer)) {
        // No print system took the PDF: the printer gets the pages drawn, as before.
        printed = false;
        platform::BlockingWait drawn;
        drawPages(view, printer, &drawn, [&](bool success) {
            printed = success;
            drawn.finish();
        });
        drawn.wait(kPrintTimeLimit);
    }
    return printed;
}

} // namespace triedit
