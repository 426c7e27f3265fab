#include "printer.h"

#include "logging.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

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

bool printPdfFile(const QString &pdfFile, const QPrinter &printer)
{
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty() || printer.printerName().isEmpty())
        return false;
    QStringList arguments = {QStringLiteral("-d"), printer.printerName(), QStringLiteral("-n"),
                             QString::number(qMax(1, printer.copyCount()))};
    if (!printer.docName().isEmpty())
        arguments << QStringLiteral("-t") << printer.docName();
    const auto option = [&](const QString &value) { arguments << QStringLiteral("-o") << value; };
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        option(QStringLiteral("sides=two-sided-long-edge"));
        break;
    case QPrinter::DuplexShortSide:
        option(QStringLiteral("sides=two-sided-short-edge"));
        break;
    case QPrinter::DuplexNone:
        option(QStringLiteral("sides=one-sided"));
        break;
    case QPrinter::DuplexAuto:
        break;
    }
    if (printer.collateCopies())
        option(QStringLiteral("collate=true"));
    if (printer.colorMode() == QPrinter::GrayScale)
        option(QStringLiteral("print-color-mode=monochrome"));
    // A queue that takes PostScript (a PDF printer of CUPS among them) has the PDF converted by
    // cairo, which keeps each font's characters; Ghostscript's conversion leaves them unreadable.
    option(QStringLiteral("pdftops-renderer=pdftocairo"));
    arguments << QStringLiteral("--") << pdfFile;

    QProcess process;
    process.start(lp, arguments);
    constexpr int kSpoolTimeMs = 30000;
    if (!process.waitForFinished(kSpoolTimeMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qCWarning(lcPlatform).noquote() << "the print queue" << printer.printerName()
                                        << "did not take the page:" << process.readAllStandardError().trimmed();
        return false;
    }
    qCDebug(lcPlatform).noquote() << "printed to" << printer.printerName()
                                  << "as PDF:" << process.readAllStandardOutput().trimmed();
    return true;
}

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
