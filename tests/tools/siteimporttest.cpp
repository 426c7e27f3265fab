// The import in process, where the command line can't reach: how much the walk drafts ahead.
#include "author/siteimport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The walk drafts the pages it reads while the drafts it holds stay small; the others are drafted
// after it. The book is the same whichever pages it drafts: all, the start page alone, or none.
TEST(SiteImport, WritesTheSameBookHoweverManyPagesTheWalkDrafts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto import = [&](qint64 most) {
        SiteImportRequest request;
        request.site = QStringLiteral(TAVLO_TEST_SITE);
        request.out = dir.filePath(QStringLiteral("out%1").arg(most));
        request.mostBytesDraftedByWalk = most;
        const ImportReport report = importSite(request);
        QFile book(report.bookFile);
        EXPECT_TRUE(book.open(QIODevice::ReadOnly)) << report.bookFile.toStdString();
        return std::pair(book.readAll(), report);
    };
    const auto [drafted, report] = import(SiteImportRequest().mostBytesDraftedByWalk);
    ASSERT_EQ(report.pages.size(), 4U);
    EXPECT_GT(report.totals.pageLinks, 0);
    for (const qint64 most : {qint64(800), qint64(0)}) { // index.html is 763 bytes
        const auto [book, again] = import(most);
        EXPECT_EQ(book, drafted) << most;
        EXPECT_EQ(again.totals.pageLinks, report.totals.pageLinks) << most;
        EXPECT_EQ(again.totals.fileLinks, report.totals.fileLinks) << most;
        EXPECT_EQ(again.notes, report.notes) << most;
        EXPECT_EQ(again.leftCount(), report.leftCount()) << most;
    }
}

} // namespace
