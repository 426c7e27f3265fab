// Texts that come from a book are shown as written in the reader's own widgets: a page name or a
// message that looks like markup is never read as markup, which could load files or paint a fake band.
#include "readerfixture.h"

#include <platform/messagebox.h>
#include <reader/isolated.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>

namespace {

using namespace Qt::StringLiterals;
using BookTextTest = ReaderFixture;

TEST_F(BookTextTest, NamesAndMessagesThatLookLikeMarkupAreShownAsWritten)
{
    // A big local picture: as markup, it would make whatever shows the name 400 pixels high.
    const QString picture = app.filePath(QStringLiteral("big.png"));
    QImage(400, 400, QImage::Format_RGB32).save(picture);
    const QString name = QStringLiteral("<img src=\"%1\"><font size=7>fake band</font>").arg(picture);
    writeBook("Book<<$$>>" + name.toUtf8() + "##<p>a</p>~b##<title>safe&#x202E;gnp.exe</title>");
    load();

    QLabel *band = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (band = form().findChild<QLabel *>(QStringLiteral("band"))); }));
    EXPECT_TRUE(band->text().endsWith(name)) << band->text().toStdString();
    EXPECT_LT(band->sizeHint().height(), 100);

    // A message may quote a page (a failure's description does).
    int messageHeight = 0;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        messageHeight = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->sizeHint().height();
        box->accept();
    });
    platform::showMessage(name);
    EXPECT_GT(messageHeight, 0);
    EXPECT_LT(messageHeight, 100);

    // The contents: a title shown as written, and the name in its tool tip read as text.
    QTest::keyClick(&form(), Qt::Key_F9);
    auto *tree = form().findChild<QTreeView *>(QStringLiteral("contentsTree"));
    ASSERT_NE(tree, nullptr);
    // The name has no title: it is its own, under the folders of its slashes.
    QModelIndex first;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QModelIndexList found = tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, name, 1,
                                                               Qt::MatchExactly | Qt::MatchRecursive);
            first = found.value(0);
            return first.isValid();
        },
        10000));
    QTextDocument tip;
    tip.setHtml(first.data(Qt::ToolTipRole).toString());
    EXPECT_EQ(tip.toPlainText(), name);
    // A title that turns text around is isolated.
    EXPECT_EQ(tree->model()->index(1, 0).data().toString(), u"\u2068safe\u202Egnp.exe\u2069"_s);
}

// Text of the book beside the reader's own words, in a directional isolate whatever marks it holds.
TEST(BookText, RightToLeftTextAndDirectionMarksCantReorderTheReadersWords)
{
    const struct {
        QString written, shown;
    } cases[] = {
        {QStringLiteral("harbour (2)"), QStringLiteral("harbour (2)")},
        {QStringLiteral("safe\u202Egnp.exe"), QStringLiteral("\u2068safe\u202Egnp.exe\u2069")},
        {QStringLiteral("\u05E9\u05DC\u05D5\u05DD 1"), QStringLiteral("\u2068\u05E9\u05DC\u05D5\u05DD 1\u2069")},
        // A closing mark that closes nothing of the text's own is dropped; an isolate it leaves open
        // is closed before ours.
        {QStringLiteral("a\u2069\u202Eb"), QStringLiteral("\u2068a\u202Eb\u2069")},
        {QStringLiteral("\u2067a"), QStringLiteral("\u2068\u2067a\u2069\u2069")},
        {QStringLiteral("\u2066a\u2069b\u2069"), QStringLiteral("\u2068\u2066a\u2069b\u2069")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(reader::isolated(c.written), c.shown) << c.written.toStdString();
}

// A book of the UTF-8 form, as pack writes it for an Arabic title: caption, pages and links read
// its letters.
TEST_F(BookTextTest, AUtf8BookKeepsItsScript)
{
    const QString title = u"\u0645\u0631\u0641\u0623 \u2192"_s, name = u"\u0627\u0644\u0645\u064a\u0646\u0627\u0621"_s;
    writeBook("\xEF\xBB\xBF" + (title + u"<<$$>>end##<p>\u0101</p>~" + name + u"##<p>\u00e9</p>").toUtf8());
    load();
    EXPECT_EQ(form().windowTitle(), title);
    EXPECT_EQ(pageView->document, u"<p>\u0101</p>");
    pageView->click(u" "_s + name);
    EXPECT_EQ(pageView->document, u"<p>\u00e9</p>");
}

} // namespace
