#pragma once

#include "readerservices.h"

#include <pageview/pageview.h>

#include <QCoreApplication>

class QWidget;

namespace reader {

class ReadingSession;

// Print all: every page of the book in turn, each shown with its number above it, printed and
// followed by a pause, while a progress window says which page prints and offers Cancel. It runs to
// its end within the handler that started it, as the engine prints a page at a time.
class PrintAllJob final {
    Q_DECLARE_TR_FUNCTIONS(PrintAllJob)

public:
    PrintAllJob(ReadingSession &session, pageview::PageView &view, const ReaderServices &services);

    // Prints every page, the progress window a child of window. Pages that don't print in time are
    // named at the end. False when the window was closed meanwhile: the run stopped after the page
    // printing, for the window to close now.
    bool run(QWidget *window);
    bool running() const { return running_; }
    // The window was closed during the run.
    void stopAndClose() { closeAfterPrinting_ = true; }

private:
    ReadingSession &session_;
    pageview::PageView &view_;
    const ReaderServices &services_;
    bool running_ = false;
    bool closeAfterPrinting_ = false;
};

} // namespace reader
