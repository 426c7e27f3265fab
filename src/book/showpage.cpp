#include "showpage.h"

#include "parsingimage.h"
#include "record.h"

namespace book {

QString preparePage(const PageTable &pages, qsizetype i, QStringView applicationFolder)
{
    QString pageHtml = pageHtmlOf(pages.record(i));
    parsingImage(pageHtml, applicationFolder);
    return pageHtml;
}

} // namespace book
