#include "showpage.h"

#include "parsingimage.h"
#include "record.h"

#include "platform/failure.h"

namespace book {

std::optional<QString> pointPicturesOrKeep(QString &pageHtml, QStringView applicationFolder)
{
    const QString written = pageHtml;
    try {
        parsingImage(pageHtml, applicationFolder);
    } catch (const platform::Failure &failure) {
        if (failure.number() != platform::error::OutOfStringSpace)
            throw;
        pageHtml = written;
        return failure.description();
    }
    return std::nullopt;
}

PreparedPage preparePage(const PageTable &pages, qsizetype i, QStringView applicationFolder)
{
    PreparedPage page{pageHtmlOf(pages.record(i)), std::nullopt};
    page.asWrittenBecause = pointPicturesOrKeep(page.html, applicationFolder);
    return page;
}

} // namespace book
