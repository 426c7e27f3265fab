#pragma once

#include "triedit_global.h"

#include <memory>

class QPrinter;
class QWebEngineView;

namespace triedit {

// Prints what view shows on printer, as it is now, and returns when printing has finished; the
// user's input waits meanwhile (BlockingWait). A printer that writes PDF gets Chromium's own PDF, with
// its text, and so does a printer of the print system (CUPS), which takes that PDF as any document;
// without a print system to take it, the printer gets the pages drawn by the engine. Returns whether the pages were
// printed; a render process that ends meanwhile ends the print unprinted. A print that doesn't finish
// in time keeps its printer until the engine has finished drawing into it.
TRIEDIT_EXPORT bool printPage(QWebEngineView *view, const std::shared_ptr<QPrinter> &printer);

} // namespace triedit
