#include "readingaids.h"

#include "announcement.h"
#include "gotopagefield.h"
#include "placekeeper.h"
#include "readingsession.h"
#include "sidepanel.h"
#include "statusband.h"
#include "zoomsteps.h"

#include <book/linkrule.h>

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace reader {
namespace {

// The widest go to page field, in pixels.
constexpr int kGoToWidth = 520;
// Between the page view and the side panel, in pixels.
constexpr int kPanelGap = 6;

} // namespace

ReadingAids::ReadingAids(QWidget &window, pageview::PageView &view, ReadingSession &session,
                         const ReaderServices &services,
                         const std::function<void(ReaderActions::Command)> &buttonCommand)
    : QObject(&window), window_(window), view_(view), session_(session), services_(services),
      buttonCommand_(buttonCommand),
      actions_(new ReaderActions(&window, view.widget(), [this](ReaderActions::Command c) { run(c); })),
      band_(new StatusBand(&window)), announcement_(new Announcement(&window)),
      contents_(new ContentsReader(session.table(), this))
{
    connect(band_, &StatusBand::offerClicked, actions_->action(ReaderActions::ContinueReading), &QAction::trigger);
    connect(band_, &StatusBand::menuRequested, this, &ReadingAids::showMenu);
    band_->show();
    followSystemPalette();
    view_.setLinkHoverHandler([this](const QString &url) {
        // Only what a click would open outside the book.
        band_->setHoveredLink(book::outsideAddress(url).isEmpty() ? QString() : url);
    });
    view_.setOutsideLinkRule([](const QUrl &url) { return book::outsideAddress(url.toString()); });
    view_.setWholeBookHandler([this](const QString &text, bool matchCase) {
        makeSidePanel();
        sidePanel_->findInBook(text, matchCase);
    });
    connect(contents_, &ContentsReader::read, this, [this](const std::shared_ptr<const book::Contents> &contents) {
        if (sidePanel_)
            sidePanel_->setContents(contents);
        if (goTo_)
            goTo_->setContents(contents);
    });
    connect(&session_, &ReadingSession::aboutToHandle, band_, [this] { band_->setNote({}); });
    connect(&session_, &ReadingSession::handled, this, &ReadingAids::followSession);
    showPlace();
}

void ReadingAids::run(ReaderActions::Command command)
{
    using enum ReaderActions::Command;
    const auto handle = [this](std::function<void()> handler) { session_.handle(std::move(handler)); };
    switch (command) {
    case Back:
        return handle([this] { session_.back(); });
    case Forward:
        return handle([this] { session_.forward(); });
    case ZoomIn:
        return handle([this] { view_.setZoomFactor(zoomedIn(view_.zoomFactor())); });
    case ZoomOut:
        return handle([this] { view_.setZoomFactor(zoomedOut(view_.zoomFactor())); });
    case ZoomReset:
        return handle([this] { view_.setZoomFactor(1); });
    case FindInBook:
        return handle([this] {
            makeSidePanel();
            sidePanel_->findInBook();
        });
    case FullScreen:
    case LeaveFullScreen:
        return handle([this] { window_.setWindowState(window_.windowState() ^ Qt::WindowFullScreen); });
    case Contents:
        return handle([this] {
            makeSidePanel();
            sidePanel_->toggleContents();
        });
    case GoToPage:
        return handle([this] { goToPageByName(); });
    case ContinueReading:
        return handle([this] { continueReading(); });
    default: // the buttons' own
        return buttonCommand_(command);
    }
}

void ReadingAids::followSession(bool pageChanged)
{
    showPlace();
    if (pageChanged)
        announcement_->say(placeText(session_.table(), session_.currentPage()));
    if (sidePanel_)
        sidePanel_->showPage(session_.currentPage());
}

void ReadingAids::showPlace()
{
    // The place where the last run left the book is offered until the reader moves.
    if (places_)
        places_->pageShown(session_.currentPage());
    band_->setPlace(placeText(session_.table(), session_.currentPage()));
}

void ReadingAids::place(int rightMargin, int bottomMargin)
{
    rightMargin_ = rightMargin;
    bottomMargin_ = bottomMargin;
    QWidget *view = view_.widget();
    int right = window_.width() - rightMargin;
    const int viewHeight = qMax(0, window_.height() - view->y() - bottomMargin);
    if (sidePanel_ && sidePanel_->isVisible()) {
        const int panelWidth = sidePanel_->widthFor(window_.width(), right - view->x());
        right -= panelWidth + kPanelGap;
        sidePanel_->setGeometry(right + kPanelGap, view->y(), panelWidth, viewHeight);
    }
    view->resize(qMax(0, right - view->x()), viewHeight);
    const int bandHeight = band_->sizeHint().height();
    band_->setGeometry(view->x(), view->y() + view->height() + qMax(0, (bottomMargin - bandHeight) / 2), view->width(),
                       bandHeight);
}

void ReadingAids::followSystemPalette()
{
    for (QWidget *widget : {static_cast<QWidget *>(band_), static_cast<QWidget *>(sidePanel_),
                            static_cast<QWidget *>(goTo_), view_.widget()}) {
        if (!widget)
            continue;
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QApplication::palette(widget).color(QPalette::WindowText));
        widget->setPalette(palette);
    }
}

void ReadingAids::focusPage()
{
    view_.widget()->setFocus(Qt::OtherFocusReason);
}

void ReadingAids::makeSidePanel()
{
    if (sidePanel_)
        return;
    sidePanel_ = new SidePanel(session_.table(), actions_->action(ReaderActions::Contents),
                               actions_->action(ReaderActions::FindInBook), &window_);
    followSystemPalette();
    connect(sidePanel_, &SidePanel::pageChosen, this,
            [this](qsizetype page) { session_.handle([=, this] { session_.goToPage(page); }); });
    connect(sidePanel_, &SidePanel::foundPageChosen, this,
            [this](qsizetype page, const QString &query, bool matchCase) {
                session_.handle([=, this] { session_.showFoundPage(page, query, matchCase); });
            });
    connect(sidePanel_, &SidePanel::findInPage, this,
            [this](const QString &text, bool matchCase) { view_.findInPage(text, matchCase); });
    connect(sidePanel_, &SidePanel::closing, this, &ReadingAids::focusPage);
    connect(sidePanel_, &SidePanel::shownOrHidden, this, [this] {
        place(rightMargin_, bottomMargin_);
        sidePanel_->showPage(session_.currentPage());
    });
    connect(sidePanel_, &SidePanel::contentsWanted, contents_, &ContentsReader::request);
    if (const auto contents = contents_->contents())
        sidePanel_->setContents(contents);
}

void ReadingAids::goToPageByName()
{
    if (!goTo_) {
        goTo_ = new GoToPageField(&window_);
        followSystemPalette();
        goTo_->setPageCount(session_.table().size());
        connect(goTo_, &GoToPageField::closedWithFocus, this, &ReadingAids::focusPage);
        connect(goTo_, &GoToPageField::pageChosen, this, [this](qsizetype page) {
            session_.handle([=, this] { session_.goToPage(page); });
            focusPage();
        });
        connect(goTo_, &GoToPageField::noSuchPage, this, [this](qlonglong number) {
            band_->setNote(
                tr("There is no page %1: the book has pages 1 to %2").arg(number).arg(session_.table().size()));
            focusPage();
        });
        if (const auto contents = contents_->contents())
            goTo_->setContents(contents);
    }
    contents_->request();
    // Over the band, where the reader looks for where he is.
    const QRect view = view_.widget()->geometry();
    const int height = goTo_->sizeHint().height();
    const int top = band_->geometry().center().y() - height / 2;
    goTo_->open(QRect(view.left(), top, qMin(view.width(), kGoToWidth), height));
}

void ReadingAids::findPlace(const QString &title, const QString &bookPath)
{
    const QString file = services_.placesFile ? services_.placesFile() : QString();
    if (file.isEmpty())
        return;
    places_ = new PlaceKeeper(file, bookPath, this);
    connect(places_, &PlaceKeeper::offerChanged, this,
            [this] { band_->setOffer(places_->offer() ? places_->offer()->page : -1, places_->offerTitle()); });
    // However the program ends (the window is not always closed first).
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ReadingAids::rememberPlace);
    // Finding the place reads the whole book, which would slow the first page down.
    view_.afterLoading([keeper = QPointer(places_), title, this] {
        if (keeper)
            keeper->find(title, session_.table());
    });
}

void ReadingAids::continueReading()
{
    const std::optional<ReadingPlaces::Place> place = places_ ? places_->takeOffer() : std::nullopt;
    if (!place)
        return;
    view_.setZoomFactor(withinZoomSteps(place->zoom));
    session_.goToPage(place->page);
    view_.scrollTo(place->scroll);
}

void ReadingAids::rememberPlace()
{
    if (places_)
        places_->remember({session_.currentPage(), view_.scrollPosition(), view_.zoomFactor()}, session_.table());
}

void ReadingAids::showMenu(const QPoint &at)
{
    QMenu menu(&window_);
    menu.setAccessibleName(tr("Finding the way"));
    menu.addAction(actions_->action(ReaderActions::Contents));
    menu.addAction(actions_->action(ReaderActions::GoToPage));
    menu.addAction(actions_->action(ReaderActions::FindInBook));
    if (places_ && places_->offer()) {
        QAction *continueReading = actions_->action(ReaderActions::ContinueReading);
        continueReading->setText(tr("Continue at page %1").arg(places_->offer()->page + 1));
        menu.addAction(continueReading);
    }
    menu.exec(at);
}

} // namespace reader
