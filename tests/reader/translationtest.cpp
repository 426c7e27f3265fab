// The reader in the user's language: our own texts and Qt's are translated, with their plurals, and
// the messages the program has always shown in its own words stay as they are.
#include "readerfixture.h"

#include <platform/translations.h>

#include <QLabel>
#include <QLocale>
#include <QTest>
#include <QTranslator>

namespace {

class TranslationTest : public ReaderFixture {
protected:
    void TearDown() override
    {
        for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};

TEST_F(TranslationTest, GermanForOurTextsAndQtsButNotForTheProgramsOwnMessages)
{
    platform::installTranslations(QLocale(QLocale::German, QLocale::Germany));
    writeBook("Buch<<$$>>a##<p>a</p>~b##<p>b</p>");
    load();
    QLabel *band = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (band = form().findChild<QLabel *>(QStringLiteral("band"))); }));
    EXPECT_EQ(band->text(), QStringLiteral("Seite 1 von 2   \u2014   a"));
    // Qt's own dialogs, the print dialog among them.
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Drucken"));
    EXPECT_EQ(QCoreApplication::translate("reader::BookSearchBar", "%n page(s) hold it", nullptr, 2),
              QStringLiteral("2 Seiten enthalten es"));

    press(form().nxt);
    press(form().nxt);
    EXPECT_EQ(messages, QStringList{QStringLiteral("this is the last page of the book")});
}

TEST_F(TranslationTest, EnglishSaysItsPluralsWithoutParentheses)
{
    // Where no translation of ours exists, as for the "C" locale, English stands in.
    platform::installTranslations(QLocale::c());
    EXPECT_EQ(QCoreApplication::translate("reader::BookSearchBar", "%n page(s) hold it", nullptr, 1),
              QStringLiteral("1 page holds it"));
    EXPECT_EQ(QCoreApplication::translate("reader::BookSearchBar", " \u00b7 %n time(s)", nullptr, 3),
              QStringLiteral(" \u00b7 3 times"));
}

} // namespace
