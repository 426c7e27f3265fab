// Printing: what the view holds goes out, once it has loaded, and print() returns when it is done.
#include "pageviewtest.h"

#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

namespace {

// The text of a PDF file, as pdftotext reads it.
QString pdfText(const QString &file)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromLocal8Bit(pdftotext.readAllStandardError()));
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

class PageViewPrint : public PageViewTest {
protected:
    QString printed(int number) const { return pdfs_.filePath(QStringLiteral("print-%1.pdf").arg(number)); }

    QTemporaryDir pdfs_;
    ScopedEnv printToPdf_{"TAVLO_PRINT_TO_PDF_DIR", QFile::encodeName(pdfs_.path())};
};

TEST_F(PageViewPrint, PrintsThePageWithoutADialog)
{
    show(QStringLiteral("<h1>Roses</h1><p>Roses are red, lilies are white.</p>"));
    view->print();
    ASSERT_TRUE(QFile::exists(printed(1)));
    EXPECT_EQ(pdfText(printed(1)), QStringLiteral("Roses Roses are red, lilies are white."));
}

TEST_F(PageViewPrint, PrintsTheDocumentPutJustBeforeOnceItHasLoaded)
{
    show(QStringLiteral("<p>The first page</p>"));
    // No wait here: print() itself waits for the new document.
    view->setDocumentHtml(QStringLiteral("<p>page 2</p><p>The second page</p>"));
    view->print();
    EXPECT_EQ(pdfText(printed(1)), QStringLiteral("page 2 The second page"));

    // The next print goes to the next file; asked for the dialog, tests get none.
    view->setDocumentHtml(QStringLiteral("<p>The third page</p>"));
    view->print(true);
    EXPECT_EQ(pdfText(printed(2)), QStringLiteral("The third page"));
    EXPECT_EQ(QDir(pdfs_.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(PageViewPrint, TellsOnceThatNoPrinterIsInstalledAndPrintsNothing)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    QTemporaryDir logFolder;
    const QString log = logFolder.filePath(QStringLiteral("messages.log"));
    const ScopedEnv noPdf("TAVLO_PRINT_TO_PDF_DIR", QByteArray());
    const ScopedEnv messages("TAVLO_MESSAGE_LOG", QFile::encodeName(log));

    show(QStringLiteral("<p>Roses</p>"));
    view->print();
    view->print();

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("No printer is installed"))) << lines[0].toStdString();
    EXPECT_TRUE(QDir(pdfs_.path()).isEmpty());
}

} // namespace
