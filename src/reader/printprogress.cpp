#include "printprogress.h"

#include <platform/blockingwait.h>
#include <platform/messagebox.h>

#include <QLabel>

namespace reader {

PrintProgress::PrintProgress(qsizetype pageCount, QWidget *parent) : QProgressDialog(parent), pageCount_(pageCount)
{
    setObjectName(QStringLiteral("printProgress"));
    // The label names the page being printed, as the book names it: plain text, never markup.
    auto *label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    setLabel(label);
    setWindowTitle(platform::programTitle());
    // Cancel works during the prints and pauses between pages, which wait for nothing else.
    platform::takeInputWhileWaiting(this);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setRange(0, int(std::min<qsizetype>(pageCount, INT_MAX)));
}

void PrintProgress::showPage(qsizetype number, const QString &name)
{
    setLabelText(tr("Printing page %1 of %2\n%3").arg(number).arg(pageCount_).arg(name));
    setValue(int(std::min<qsizetype>(number - 1, INT_MAX)));
}

} // namespace reader
