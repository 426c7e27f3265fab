#include "printer.h"

#include "logging.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QPrintDialog>
#include <QPrinterInfo>

namespace platform {
namespace {

std::unique_ptr<QPrinter> nextPdfFile(const QString &folder)
{
    QDir dir(folder);
    dir.mkpath(QStringLiteral("."));
    int number = 1;
    while (dir.exists(QStringLiteral("print-%1.pdf").arg(number)))
        ++number;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(dir.absoluteFilePath(QStringLiteral("print-%1.pdf").arg(number)));
    return printer;
}

} // namespace

void Printers::tellNoPrinter()
{
    if (toldNoPrinter_) {
        qCWarning(lcPlatform) << "no printer is installed; the page was not printed";
        return;
    }
    toldNoPrinter_ = true;
    showMessage(QCoreApplication::translate("platform::Printer",
                                            "No printer is installed, so nothing can be printed.\n\n"
                                            "Install a printer, then print again."));
}

PrinterChoice Printers::choose(bool showDialog, QWidget *parent)
{
    const QByteArray pdfFolder = qgetenv("TAVLO_PRINT_TO_PDF_DIR");
    if (!pdfFolder.isEmpty())
        return {nextPdfFile(QFile::decodeName(pdfFolder))};

    if (showDialog) {
        // The dialog offers a PDF file even where no printer is installed.
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        QPrintDialog dialog(printer.get(), parent);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return {std::move(printer)};
    }

    QPrinterInfo target = QPrinterInfo::defaultPrinter();
    if (target.isNull()) {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty()) {
            tellNoPrinter();
            return {nullptr, true};
        }
        target = printers.first();
    }
    return {std::make_unique<QPrinter>(target, QPrinter::HighResolution)};
}

} // namespace platform
