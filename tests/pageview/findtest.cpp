// The view's own find dialog, opened by command 5008.
#include "pageviewtest.h"

#include <platform/failure.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class PageViewFind : public PageViewTest {
protected:
    void SetUp() override
    {
        PageViewTest::SetUp();
        show(QStringLiteral("<p style=\"font-size: 30px\">rose Rose ROSE rosebud lily</p>"));
        view->execCommand(pageview::command::Find, pageview::command::DefaultOption);
        text_ = web->findChild<QLineEdit *>(QStringLiteral("findText"));
        ASSERT_NE(text_, nullptr);
        ASSERT_TRUE(text_->isVisible());
        ASSERT_FALSE(text_->window()->isModal());
    }

    static QWebEngineFindTextResult lastResult(const QSignalSpy &found)
    {
        return found.isEmpty() ? QWebEngineFindTextResult()
                               : found.constLast().constFirst().value<QWebEngineFindTextResult>();
    }

    static QWebEngineFindTextResult nextResult(QSignalSpy &found)
    {
        found.clear();
        EXPECT_TRUE(found.wait(10000));
        return lastResult(found);
    }

    // Pixels of the view painted in the engine's highlight colours (yellow and orange).
    int highlightedPixels()
    {
        const QImage image = web->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 200 && c.green() > 120 && c.blue() < 80;
            }
        return count;
    }

    QLineEdit *text_ = nullptr;
};

TEST_F(PageViewFind, HighlightsEveryMatchAndMovesBetweenThem)
{
    QSignalSpy found(web->page(), &QWebEnginePage::findTextFinished);
    EXPECT_EQ(highlightedPixels(), 0);
    QTest::keyClicks(text_, QStringLiteral("rose"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastResult(found).numberOfMatches() == 4; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return highlightedPixels() > 200; }));

    const int current = lastResult(found).activeMatch();
    QTest::mouseClick(web->findChild<QToolButton *>(QStringLiteral("findNext")), Qt::LeftButton);
    EXPECT_EQ(nextResult(found).activeMatch(), current % 4 + 1);
    QTest::mouseClick(web->findChild<QToolButton *>(QStringLiteral("findPrevious")), Qt::LeftButton);
    EXPECT_EQ(nextResult(found).activeMatch(), current);

    web->findChild<QCheckBox *>(QStringLiteral("matchCase"))->setChecked(true);
    text_->selectAll();
    QTest::keyClicks(text_, QStringLiteral("Rose"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastResult(found).numberOfMatches() == 1; }));
    EXPECT_EQ(web->findChild<QLabel *>(QStringLiteral("findResult"))->text(), QStringLiteral("1 of 1"));
}

TEST_F(PageViewFind, EscapeClosesTheDialogAndClearsTheHighlight)
{
    QTest::keyClicks(text_, QStringLiteral("rose"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return highlightedPixels() > 200; }));
    QTest::keyClick(text_, Qt::Key_Escape);
    EXPECT_FALSE(text_->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return highlightedPixels() == 0; }));

    view->execCommand(pageview::command::Find, pageview::command::DefaultOption);
    EXPECT_TRUE(text_->isVisible());
}

TEST_F(PageViewFind, RefusesACommandItDoesNotHave)
{
    try {
        view->execCommand(5000, 0);
        FAIL() << "no failure";
    } catch (const platform::Failure &failure) {
        EXPECT_EQ(failure.number(), platform::error::InvalidProcedureCall);
    }
}

} // namespace
