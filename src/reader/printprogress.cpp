#include "printprogress.h"

#include <platform/messagebox.h>

namespace reader {

PrintProgress::PrintProgress(qsizetype pageCount, QWidget *parent) : QProgressDialog(parent), pageCount_(pageCount)
{
    setObjectName(QStringLiteral("printProgress"));
    setWindowTitle(QString::fromLatin1(platform::kProgramTitle));
    setWindowModality(Qt::ApplicationModal);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setRange(0, int(std::min<qsizetype>(pageCount, INT_MAX)));
}

void PrintProgress::showPage(qsizetype number, const QString &name)
{
    setLabelText(tr("Printing page %1 of %2\n%3").arg(number).arg(pageCount_).arg(name));
    // A modal progress window takes the user's input here: Cancel works between pages.
    setValue(int(std::min<qsizetype>(number - 1, INT_MAX)));
}

} // namespace reader
