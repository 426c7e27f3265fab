// Finding the way in a big book: the side panel with the contents and the pages found in the whole
// book, go to page, and the place where the reader left the book at the last run.
#include "form1.h"

#include "booksearchbar.h"
#include "contentsview.h"
#include "gotopagefield.h"

#include <book/bookfile.h>
#include <book/bookformat.h>
#include <book/contents.h>
#include <book/pagetitle.h>
#include <book/record.h>
#include <platform/hostpath.h>
#include <platform/process.h>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QtConcurrent>

namespace reader {
namespace {

// The widest go to page field, in pixels.
constexpr int kGoToWidth = 520;

} // namespace

Form1::~Form1()
{
    rememberPlace();
}

void Form1::makeSidePanel()
{
    if (sidePanel_)
        return;
    sidePanel_ = new QTabWidget(this);
    sidePanel_->setObjectName(QStringLiteral("sidePanel"));
    sidePanel_->setAccessibleName(tr("Side panel"));
    sidePanel_->setDocumentMode(true);
    // Both tabs whole, the panel as wide as they need, whatever their language.
    sidePanel_->tabBar()->setUsesScrollButtons(false);
    sidePanel_->tabBar()->setElideMode(Qt::ElideNone);
    contentsView_ = new ContentsView(sidePanel_);
    bookSearch_ = new BookSearchBar(sidePanel_);
    sidePanel_->addTab(contentsView_, tr("Contents"));
    sidePanel_->addTab(bookSearch_, tr("Find in the book"));
    // Each tab's tool tip names the command that opens it, with its key.
    const auto tip = [](const QAction *action) {
        return QStringLiteral("%1 (%2)").arg(action->toolTip(), action->shortcut().toString(QKeySequence::NativeText));
    };
    sidePanel_->setTabToolTip(0, tip(showContents_));
    sidePanel_->setTabToolTip(1, tip(findInBook_));
    sidePanel_->hide();
    followSystemPalette();

    connect(contentsView_, &ContentsView::pageChosen, this,
            [this](qsizetype page) { handle([=, this] { goToPage(page); }); });
    connect(bookSearch_, &BookSearchBar::pageChosen, this,
            [this](qsizetype page, const QString &query, bool matchCase) {
                handle([=, this] { showFoundPage(page, query, matchCase); });
            });
    connect(bookSearch_, &BookSearchBar::findInPage, this, [this](const QString &text, bool matchCase) {
        hideSidePanel();
        DHTMLEdit1.findInPage(text, matchCase);
    });
    connect(bookSearch_, &BookSearchBar::closed, this, &Form1::hideSidePanel);
    bookSearch_->setPages(pages);
    contentsView_->showPage(curPage);
    if (contents_.isFinished() && contentsAsked_)
        contentsRead();
}

void Form1::showSidePanel(QWidget *tab)
{
    sidePanel_->setCurrentWidget(tab);
    if (!sidePanel_->isVisible()) {
        sidePanel_->show();
        resizeEvent(nullptr);
    }
    contentsView_->showPage(curPage);
    readContents();
}

void Form1::hideSidePanel()
{
    if (!sidePanel_ || !sidePanel_->isVisible())
        return;
    // The page first: hidden with the focus, the panel would pass it to the next button meanwhile.
    focusPage();
    sidePanel_->hide();
    resizeEvent(nullptr);
}

void Form1::toggleContents()
{
    if (sidePanel_ && sidePanel_->isVisible() && sidePanel_->currentWidget() == contentsView_) {
        hideSidePanel();
        return;
    }
    makeSidePanel();
    showSidePanel(contentsView_);
    contentsView_->focusFilter();
}

void Form1::findInBook()
{
    makeSidePanel();
    showSidePanel(bookSearch_);
    bookSearch_->open(QString(), false);
}

void Form1::goToPageByName()
{
    if (!goTo_) {
        goTo_ = new GoToPageField(this);
        goTo_->installEventFilter(this); // it hides when it closes
        followSystemPalette();
        goTo_->setPageCount(pages.size());
        connect(goTo_, &GoToPageField::pageChosen, this, [this](qsizetype page) {
            handle([=, this] { goToPage(page); });
            focusPage();
        });
        connect(goTo_, &GoToPageField::noSuchPage, this, [this](qlonglong number) {
            bandNote_ = tr("There is no page %1: the book has pages 1 to %2").arg(number).arg(pages.size());
            updateBand();
            DHTMLEdit1.widget()->setFocus(Qt::OtherFocusReason);
        });
        if (contents_.isFinished() && contentsAsked_)
            contentsRead();
    }
    readContents();
    // Over the band, where the reader looks for where he is.
    const QRect view = DHTMLEdit1.widget()->geometry();
    const int height = goTo_->sizeHint().height();
    const int top = band_ ? band_->geometry().center().y() - height / 2 : view.bottom() - height;
    goTo_->open(QRect(view.left(), top, qMin(view.width(), kGoToWidth), height));
}

void Form1::readContents()
{
    if (std::exchange(contentsAsked_, true))
        return;
    connect(&contents_, &QFutureWatcherBase::finished, this, &Form1::contentsRead);
    contents_.setFuture(QtConcurrent::run([table = pages] { return std::make_shared<const book::Contents>(table); }));
}

void Form1::contentsRead()
{
    const std::shared_ptr<const book::Contents> contents = contents_.result();
    if (contentsView_ && !contentsView_->hasContents())
        contentsView_->setContents(contents);
    if (bookSearch_)
        bookSearch_->setContents(contents);
    if (goTo_)
        goTo_->setContents(contents);
}

QString Form1::bookPath() const
{
    const QString path = platform::toHostPath(services_.applicationFolder() + QLatin1String(book::kBookFileName));
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

void Form1::findPlace()
{
    const QString file = services_.placesFile ? services_.placesFile() : QString();
    const QString path = bookPath();
    if (file.isEmpty() || path.isEmpty())
        return;
    places_ = std::make_shared<ReadingPlaces>(file);
    // However the program ends (the window is not always closed first).
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Form1::rememberPlace);
    connect(&placeFound_, &QFutureWatcherBase::finished, this, [this] {
        FoundPlace found = placeFound_.result();
        fingerprint_ = found.fingerprint;
        // Page 0 at the top is where every run begins: nothing to offer.
        if (moved_ || !found.place || found.place->page >= pages.size() ||
            (found.place->page == 0 && found.place->scroll.isNull()) ||
            !book::showsSomething(pages.recordBytes(found.place->page)))
            return;
        offer_ = found.place;
        offerTitle_ = found.title;
        updateBand();
    });
    placePool_.setMaxThreadCount(1);
    placeFound_.setFuture(
        QtConcurrent::run(&placePool_, [places = places_, path, title = title_, table = pages]() -> FoundPlace {
            platform::lowerThreadPriority();
            FoundPlace found{ReadingPlaces::fingerprint(title, table), std::nullopt, {}};
            found.place = places->find(path, found.fingerprint);
            if (found.place && found.place->page < table.size()) {
                found.title = book::pageTitleAt(table, found.place->page);
                if (found.title.isEmpty())
                    found.title = book::pageNameAt(table, found.place->page).trimmed();
            }
            return found;
        }));
}

void Form1::continueReading()
{
    if (!offer_)
        return;
    const ReadingPlaces::Place place = *std::exchange(offer_, std::nullopt);
    zoomTo(place.zoom);
    goToPage(place.page);
    DHTMLEdit1.scrollTo(place.scroll);
}

void Form1::rememberPlace()
{
    // A reader who stayed on the first page leaves the place of the last run as it was, unless it
    // is known that there was none.
    if (std::exchange(placeRemembered_, true) || !places_ || !loaded_ ||
        (!moved_ && (offer_ || !placeFound_.isFinished())))
        return;
    // A blank record is the current page while the page before stays shown: no place to go back to.
    if (curPage < 0 || curPage >= pages.size() || !book::showsSomething(pages.recordBytes(curPage)))
        return;
    if (fingerprint_.isEmpty())
        fingerprint_ = ReadingPlaces::fingerprint(title_, pages);
    ReadingPlaces::Place place;
    place.page = curPage;
    place.scroll = DHTMLEdit1.scrollPosition();
    place.zoom = DHTMLEdit1.zoomFactor();
    places_->remember(bookPath(), fingerprint_, place);
}

void Form1::showBandMenu(const QPoint &at)
{
    QMenu menu(this);
    menu.setAccessibleName(tr("Finding the way"));
    menu.addAction(showContents_);
    menu.addAction(goToPage_);
    menu.addAction(findInBook_);
    if (offer_) {
        continueReading_->setText(tr("Continue at page %1").arg(offer_->page + 1));
        menu.addAction(continueReading_);
    }
    menu.exec(band_->mapToGlobal(at));
}

} // namespace reader
