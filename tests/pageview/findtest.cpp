// The view's own find dialog, opened by command 5008.
#include "pageviewtest.h"

#include <platform/failure.h>

#include <QCheckBox>
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

    QString resultLabel() const { return web->findChild<QLabel *>(QStringLiteral("findResult"))->text(); }

    void click(const char *button)
    {
        QTest::mouseClick(web->findChild<QToolButton *>(QString::fromLatin1(button)), Qt::LeftButton);
    }

    QLineEdit *text_ = nullptr;
};

TEST_F(PageViewFind, FindsEveryMatchAndMovesBetweenThem)
{
    QSignalSpy found(web->page(), &QWebEnginePage::findTextFinished);
    QTest::keyClicks(text_, QStringLiteral("rose"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastResult(found).numberOfMatches() == 4; }));
    const int current = lastResult(found).activeMatch();
    EXPECT_GE(current, 1);
    EXPECT_EQ(resultLabel(), QStringLiteral("%1 of 4").arg(current));

    // Round the page and back, the active match one further each time.
    click("findNext");
    EXPECT_EQ(nextResult(found).activeMatch(), current % 4 + 1);
    click("findPrevious");
    EXPECT_EQ(nextResult(found).activeMatch(), current);
    for (int step = 1; step <= 4; ++step) {
        click("findNext");
        const QWebEngineFindTextResult result = nextResult(found);
        EXPECT_EQ(result.numberOfMatches(), 4);
        EXPECT_EQ(result.activeMatch(), (current + step - 1) % 4 + 1) << step;
    }
    EXPECT_EQ(resultLabel(), QStringLiteral("%1 of 4").arg(current));

    web->findChild<QCheckBox *>(QStringLiteral("matchCase"))->setChecked(true);
    text_->selectAll();
    QTest::keyClicks(text_, QStringLiteral("Rose"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastResult(found).numberOfMatches() == 1; }));
    EXPECT_EQ(lastResult(found).activeMatch(), 1);
    EXPECT_EQ(resultLabel(), QStringLiteral("1 of 1"));

    text_->selectAll();
    QTest::keyClicks(text_, QStringLiteral("tulip"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return resultLabel() == QStringLiteral("Not found"); }));
    EXPECT_EQ(lastResult(found).numberOfMatches(), 0);
}

TEST_F(PageViewFind, EscapeClosesTheDialogAndEndsTheSearch)
{
    QSignalSpy found(web->page(), &QWebEnginePage::findTextFinished);
    QTest::keyClicks(text_, QStringLiteral("rose"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastResult(found).numberOfMatches() == 4; }));
    found.clear();
    QTest::keyClick(text_, Qt::Key_Escape);
    EXPECT_FALSE(text_->isVisible());
    // The engine reports the search ended, with nothing left found.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !found.isEmpty(); }));
    EXPECT_EQ(lastResult(found).numberOfMatches(), 0);
    EXPECT_EQ(resultLabel(), QString());

    // Opened again, the dialog searches afresh from what it holds.
    view->execCommand(pageview::command::Find, pageview::command::DefaultOption);
    EXPECT_TRUE(text_->isVisible());
    EXPECT_EQ(text_->selectedText(), QStringLiteral("rose"));
    QTest::keyClick(text_, Qt::Key_Return);
    EXPECT_EQ(nextResult(found).numberOfMatches(), 4);
}

TEST_F(PageViewFind, RefusesACommandItDoesNotHave)
{
    // Refused, not thrown: no failure crosses from the control into the program.
    EXPECT_FALSE(view->execCommand(5000, 0));
}

} // namespace
