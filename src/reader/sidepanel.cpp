#include "sidepanel.h"

#include "booksearchbar.h"
#include "contentsview.h"

#include <QAction>
#include <QTabBar>
#include <QtConcurrent>

namespace reader {
namespace {

// The side panel's width, in pixels: a quarter of the window within these bounds, and never more
// than half of what the page view had.
constexpr int kPanelMinWidth = 240;
constexpr int kPanelMaxWidth = 460;

} // namespace

ContentsReader::ContentsReader(book::PageTable pages, QObject *parent) : QObject(parent), pages_(std::move(pages))
{
    connect(&contents_, &QFutureWatcherBase::finished, this, [this] { emit read(contents_.result()); });
}

void ContentsReader::request()
{
    if (!std::exchange(asked_, true))
        contents_.setFuture(
            QtConcurrent::run([table = pages_] { return std::make_shared<const book::Contents>(table); }));
}

std::shared_ptr<const book::Contents> ContentsReader::contents() const
{
    return asked_ && contents_.isFinished() ? contents_.result() : nullptr;
}

SidePanel::SidePanel(const book::PageTable &pages, const QAction *contents, const QAction *findInBook, QWidget *parent)
    : QTabWidget(parent), contentsView_(new ContentsView(this)), bookSearch_(new BookSearchBar(this))
{
    setObjectName(QStringLiteral("sidePanel"));
    setAccessibleName(tr("Side panel"));
    setDocumentMode(true);
    // Both tabs whole, the panel as wide as they need, whatever their language.
    tabBar()->setUsesScrollButtons(false);
    tabBar()->setElideMode(Qt::ElideNone);
    addTab(contentsView_, tr("Contents"));
    addTab(bookSearch_, tr("Find in the book"));
    const auto tip = [](const QAction *action) {
        return QStringLiteral("%1 (%2)").arg(action->toolTip(), action->shortcut().toString(QKeySequence::NativeText));
    };
    setTabToolTip(0, tip(contents));
    setTabToolTip(1, tip(findInBook));
    hide();
    bookSearch_->setPages(pages);
    connect(contentsView_, &ContentsView::pageChosen, this, &SidePanel::pageChosen);
    connect(bookSearch_, &BookSearchBar::pageChosen, this, &SidePanel::foundPageChosen);
    connect(bookSearch_, &BookSearchBar::findInPage, this, [this](const QString &text, bool matchCase) {
        close();
        emit findInPage(text, matchCase);
    });
    connect(bookSearch_, &BookSearchBar::closed, this, &SidePanel::close);
}

void SidePanel::setContents(const std::shared_ptr<const book::Contents> &contents)
{
    if (!contentsView_->hasContents())
        contentsView_->setContents(contents);
    bookSearch_->setContents(contents);
}

void SidePanel::showPage(qsizetype page)
{
    contentsView_->showPage(page);
}

void SidePanel::toggleContents()
{
    if (isVisible() && currentWidget() == contentsView_) {
        close();
        return;
    }
    showTab(contentsView_);
    contentsView_->focusFilter();
}

void SidePanel::findInBook(const QString &text, bool matchCase)
{
    showTab(bookSearch_);
    bookSearch_->open(text, matchCase);
}

void SidePanel::showTab(QWidget *tab)
{
    setCurrentWidget(tab);
    if (!isVisible()) {
        show();
        emit shownOrHidden(true);
    }
    emit contentsWanted();
}

void SidePanel::close()
{
    if (!isVisible())
        return;
    // The page first: hidden with the focus, the panel would pass it to the next button meanwhile.
    emit closing();
    hide();
    emit shownOrHidden(false);
}

int SidePanel::widthFor(int width, int room) const
{
    // As wide as its texts need, as a translation may make them long.
    const int wanted = qMax(qBound(kPanelMinWidth, width / 4, kPanelMaxWidth), minimumSizeHint().width());
    return qMin(wanted, room / 2);
}

} // namespace reader
