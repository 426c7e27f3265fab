#pragma once

#include <QProgressDialog>

namespace reader {

// The window that stands while every page of the book prints: which page of how many, its name, and
// Cancel, which stops the run once the page being printed is done. It is not modal, so that the
// reader window can still be closed; the window itself takes no other input while it stands.
class PrintProgress final : public QProgressDialog {
    Q_OBJECT

public:
    PrintProgress(qsizetype pageCount, QWidget *parent);

    // Page number (1-based) is being printed.
    void showPage(qsizetype number, const QString &name);

private:
    qsizetype pageCount_;
};

} // namespace reader
