// The window's key map: every command an action with its keys, held to the table of keys in the
// README, and the keys at work wherever the focus is.
#include "readerfixture.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>

#include <map>
#include <memory>
#include <vector>

namespace {

// The keys that README.md's table under "## Reading" names, as written ("Ctrl+PageDown").
QStringList readmeKeys()
{
    QFile file(QStringLiteral(TAVLO_SOURCE_DIR "/README.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype reading = text.indexOf(QStringLiteral("\n## Reading\n"));
    const qsizetype table = text.indexOf(QStringLiteral("\n| key | what it does |\n"), reading);
    if (reading < 0 || table < 0)
        return {};
    QStringList keys;
    const QStringList lines = text.mid(table + 1).split(u'\n');
    // The heading and the line under it, then the rows up to the first line that is none.
    for (qsizetype i = 2; i < lines.size() && lines[i].startsWith(u'|'); ++i) {
        QString cell = lines[i].section(u'|', 1, 1);
        cell.remove(QRegularExpression(QStringLiteral("\\([^)]*\\)")));
        for (const QString &key : cell.split(u',', Qt::SkipEmptyParts))
            keys << key.trimmed();
    }
    return keys;
}

// The key combinations a key of the table stands for: none for what is no key (Ctrl+wheel). "plus"
// is the character, which many keyboards type with Shift.
QList<QKeyCombination> combinationsOf(QString key)
{
    if (key.endsWith(QStringLiteral("+wheel")))
        return {};
    const bool plus = key.endsWith(QStringLiteral("+plus"));
    key.replace(QStringLiteral("PageDown"), QStringLiteral("PgDown"))
        .replace(QStringLiteral("PageUp"), QStringLiteral("PgUp"))
        .replace(QRegularExpression(QStringLiteral("plus$")), QStringLiteral("+"))
        .replace(QRegularExpression(QStringLiteral("minus$")), QStringLiteral("-"));
    const QKeySequence sequence = QKeySequence::fromString(key, QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        return {QKeyCombination(Qt::Key_unknown)};
    QList<QKeyCombination> combinations{sequence[0]};
    if (plus)
        combinations << QKeyCombination(sequence[0].keyboardModifiers() | Qt::ShiftModifier, sequence[0].key());
    return combinations;
}

// A widget that claims every key for itself before shortcuts see it, as the page view does with
// the keys its page takes.
class ClaimsEveryKey final : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

class KeyMapTest : public ReaderFixture {
protected:
    void SetUp() override
    {
        writeBook("Book<<$$>>a##<p>a</p>~b##<p>b</p>~c##<p>c</p>");
        load();
        form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    }

    // The window's commands by the key combinations of their shortcuts.
    std::multimap<int, QAction *> commandsByKey()
    {
        std::multimap<int, QAction *> byKey;
        for (QAction *action : form().actions()) {
            for (const QKeySequence &keys : action->shortcuts()) {
                EXPECT_EQ(keys.count(), 1) << action->objectName().toStdString();
                byKey.emplace(keys[0].toCombined(), action);
            }
        }
        return byKey;
    }

    // Presses key with the focus on the page view and returns the actions it triggered.
    QList<QAction *> press(QKeyCombination key)
    {
        QWidget *view = pageView->widget();
        view->setFocus(Qt::OtherFocusReason);
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (QAction *action : form().actions())
            spies.push_back(std::make_unique<QSignalSpy>(action, &QAction::triggered));
        QTest::keyClick(view, key.key(), key.keyboardModifiers());
        QList<QAction *> triggered;
        for (qsizetype i = 0; i < form().actions().size(); ++i) {
            for (qsizetype n = 0; n < spies[size_t(i)]->count(); ++n)
                triggered << form().actions()[i];
        }
        return triggered;
    }
};

TEST_F(KeyMapTest, TheReadmesTableOfKeysIsTheWindowsKeyMap)
{
    const QStringList table = readmeKeys();
    ASSERT_GE(table.size(), 20) << "the README's table of keys was not found";
    QList<QKeyCombination> tableKeys;
    for (const QString &key : table) {
        const QList<QKeyCombination> combinations = combinationsOf(key);
        EXPECT_FALSE(combinations.contains(QKeyCombination(Qt::Key_unknown))) << key.toStdString();
        tableKeys << combinations;
    }

    const std::multimap<int, QAction *> byKey = commandsByKey();
    for (const auto &[key, action] : byKey) {
        EXPECT_TRUE(tableKeys.contains(QKeyCombination::fromCombined(key)))
            << action->objectName().toStdString() << ": " << QKeySequence(key).toString().toStdString()
            << " is not in the README";
        EXPECT_EQ(byKey.count(key), 1u) << QKeySequence(key).toString().toStdString() << " runs two commands";
        EXPECT_FALSE(action->text().isEmpty()) << action->objectName().toStdString();
    }
    for (const QKeyCombination key : tableKeys)
        EXPECT_EQ(byKey.count(key.toCombined()), 1u) << QKeySequence(key).toString().toStdString() << " runs nothing";
}

TEST_F(KeyMapTest, EachKeyOfTheTableRunsItsCommandOnceWhereverTheFocusIs)
{
    const std::multimap<int, QAction *> byKey = commandsByKey();
    // The page view with the focus as a plain widget, then as one that claims every key.
    ClaimsEveryKey claims;
    for (const bool claiming : {false, true}) {
        if (claiming)
            pageView->widget()->installEventFilter(&claims);
        for (const QString &name : readmeKeys()) {
            for (const QKeyCombination key : combinationsOf(name)) {
                // Esc leaves full screen: it runs only there.
                if (key == QKeyCombination(Qt::Key_Escape))
                    form().setWindowState(form().windowState() | Qt::WindowFullScreen);
                const auto found = byKey.find(key.toCombined());
                ASSERT_NE(found, byKey.end()) << name.toStdString();
                EXPECT_EQ(press(key), QList<QAction *>{found->second})
                    << name.toStdString() << (claiming ? " in a page that claims it" : "");
            }
        }
    }
    EXPECT_EQ(programEnds, 2); // Ctrl+Q, twice
}

TEST_F(KeyMapTest, EscClosesAFindFieldThatHasTheFocusBeforeItLeavesFullScreen)
{
    QTest::keyClick(pageView->widget(), Qt::Key_F11);
    ASSERT_TRUE(form().isFullScreen());
    QTest::keyClick(pageView->widget(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto *field = form().findChild<QLineEdit *>(QStringLiteral("bookSearchText"));
    auto *panel = form().findChild<QTabWidget *>(QStringLiteral("sidePanel"));
    ASSERT_TRUE(field && panel);
    ASSERT_TRUE(field->hasFocus());

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(form().isFullScreen());
    // The page has the focus again, and Esc is the window's.
    QTest::keyClick(pageView->widget(), Qt::Key_Escape);
    EXPECT_FALSE(form().isFullScreen());
    // Out of full screen, Esc runs nothing.
    EXPECT_TRUE(press(QKeyCombination(Qt::Key_Escape)).isEmpty());
}

} // namespace
