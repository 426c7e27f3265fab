#include "messagebox.h"

#include "failure.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// Where messages go instead of a dialog, in tests that run the whole program.
bool logMessage(const QString &text)
{
    const QByteArray path = qgetenv("TAVLO_MESSAGE_LOG");
    if (path.isEmpty())
        return false;
    QFile log(QFile::decodeName(path));
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        QString line = text;
        log.write(line.replace(u'\n', u' ').toUtf8() + '\n');
    }
    return true;
}

QString &title()
{
    static QString title = QString::fromLatin1(kProgramTitle);
    return title;
}

} // namespace

QString programTitle()
{
    return title();
}

void setProgramTitle(const QString &text)
{
    title() = text;
}

void showMessage(const QString &text)
{
    if (logMessage(text))
        return;
    QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    // A message may quote the book (a failure's description does); nothing of it is markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool Notices::show(const QString &text, NoticeOrigin origin)
{
    constexpr qsizetype kLongest = 1000;
    const QString shown = text.size() > kLongest ? text.first(kLongest) + QChar(0x2026) : text;
    if (logMessage(shown))
        return true;
    QPointer<QMessageBox> &standing = standing_[origin == NoticeOrigin::Page ? 1 : 0];
    if (standing)
        return false;
    auto *box =
        new QMessageBox(QMessageBox::NoIcon, programTitle(), shown, QMessageBox::Ok, QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    standing = box;
    return true;
}

void reportUnhandledFailure(const Failure &failure)
{
    const QString text = QStringLiteral("Run-time error '%1':\n\n%2").arg(failure.number()).arg(failure.description());
    // The report itself, not a log line: written straight to standard error, once, in these words,
    // whatever logging rules, message pattern or message handler are in force, since they could
    // silence or reword it and the program ends right after.
    std::fprintf(stderr, "%s: %s\n", kProgramTitle,
                 qUtf8Printable(QString(text).replace(QStringLiteral("\n\n"), QStringLiteral(" "))));
    std::fflush(stderr);
    // No window of the program may stay behind the report.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        window->hide();
    showMessage(text);
    // The event loop may be nested deep inside a handler; leave at once, without running the
    // destructors of a half-done handler.
    std::_Exit(1);
}

} // namespace platform
