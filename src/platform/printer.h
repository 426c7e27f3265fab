#pragma once

#include <QPrinter>

#include <memory>

class QWidget;

namespace platform {

// The printer that one print goes to, set up and ready, or null when nothing is to be printed: the
// user cancelled the print dialog, or no printer is installed. In that last case the user is told
// so, the first time a Printers is asked only: a print run of many pages would otherwise stop at
// every page with the same message.
//
// With showDialog, the platform's print dialog comes first, over parent; without it, the print goes
// straight to the default printer (or the only one there is).
//
// For tests: when the environment names a folder in TAVLO_PRINT_TO_PDF_DIR, every print goes, with
// no dialog, to the next free file of print-1.pdf, print-2.pdf … in that folder.
struct PrinterChoice {
    std::shared_ptr<QPrinter> printer; // null: nothing is to be printed
    bool noPrinter = false;            // true: because no printer is installed
};
// Hands a PDF file to the printer's print queue, with the copies, sides and colour chosen for it,
// as the print system takes any document: the queue converts it for the device, and text stays text
// where the device keeps it (a PDF printer's file is searchable). False when there is no print system
// to take it (no CUPS command) or it refused the file.
bool printPdfFile(const QString &pdfFile, const QPrinter &printer);

class Printers {
public:
    PrinterChoice choose(bool showDialog, QWidget *parent);

private:
    void tellNoPrinter();
    bool toldNoPrinter_ = false;
};

} // namespace platform
