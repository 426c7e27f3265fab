// What the reader window offers beside its seven buttons: the pages shown before and after, keys
// for every command as actions of the window, zoom, a window that can be resized, the band that says where the reader
// is, and find in the whole book.
#include "form1.h"

#include "announcement.h"
#include "booksearchbar.h"
#include "contentsview.h"
#include "gotopagefield.h"
#include "isolated.h"
#include "picturebutton.h"

#include <book/linkrule.h>
#include <book/record.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QWheelEvent>

#include <array>

namespace reader {
namespace {

// The zoom factors Ctrl+plus and Ctrl+minus step through, as browsers do.
constexpr std::array kZoomSteps = {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                   1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};

// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;

// The keys that scroll the page, which it takes wherever the focus is among the window's own widgets.
bool scrollsPage(const QKeyEvent &key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Space:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

void Form1::makeActions()
{
    // Each key runs what its button runs, messages included.
    const auto command = [this](void (Form1::*handler)()) { return [this, handler] { handle(handler); }; };
    // Each button tells assistive technology its key.
    const auto tellKeys = [](PictureButton *button, QAction *action) { button->setKeys(action->shortcut()); };
    tellKeys(nxt, addCommand("nextPage", tr("Next page"), {Qt::CTRL | Qt::Key_PageDown}, command(&Form1::nxt_Click)));
    tellKeys(previous, addCommand("previousPage", tr("Previous page"), {Qt::CTRL | Qt::Key_PageUp},
                                  command(&Form1::previous_Click)));
    tellKeys(home, addCommand("firstPage", tr("First page"), {Qt::ALT | Qt::Key_Home}, command(&Form1::home_Click)));
    tellKeys(print1,
             addCommand("print", tr("Print the page\u2026"), {Qt::CTRL | Qt::Key_P}, command(&Form1::print1_Click)));
    tellKeys(printall, addCommand("printAll", tr("Print all pages"), {Qt::CTRL | Qt::SHIFT | Qt::Key_P},
                                  command(&Form1::printall_Click)));
    tellKeys(find,
             addCommand("findInPage", tr("Find in the page"), {Qt::CTRL | Qt::Key_F}, command(&Form1::find_Click)));
    tellKeys(ext, addCommand("exit", tr("Exit"), {Qt::CTRL | Qt::Key_Q}, command(&Form1::ext_Click)));
    back_ = addCommand("back", tr("Back"), {Qt::ALT | Qt::Key_Left}, command(&Form1::goBack));
    forward_ = addCommand("forward", tr("Forward"), {Qt::ALT | Qt::Key_Right}, command(&Form1::goForward));
    // Plus is typed with Shift on many keyboards, and shares its key with "=" on some.
    zoomIn_ = addCommand("zoomIn", tr("Zoom in"),
                         {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::SHIFT | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
                         command(&Form1::zoomIn));
    zoomOut_ = addCommand("zoomOut", tr("Zoom out"), {Qt::CTRL | Qt::Key_Minus}, command(&Form1::zoomOut));
    addCommand("zoomReset", tr("Actual size"), {Qt::CTRL | Qt::Key_0}, command(&Form1::zoomReset));
    findInBook_ = addCommand("findInBook", tr("Find in the whole book\u2026"), {Qt::CTRL | Qt::SHIFT | Qt::Key_F},
                             command(&Form1::findInBook));
    findInBook_->setToolTip(tr("Find in the whole book"));
    addCommand("fullScreen", tr("Full screen"), {QKeySequence(Qt::Key_F11)}, command(&Form1::toggleFullScreen));
    leaveFullScreen_ = addCommand("leaveFullScreen", tr("Leave full screen"), {QKeySequence(Qt::Key_Escape)},
                                  command(&Form1::toggleFullScreen));
    leaveFullScreen_->setEnabled(isFullScreen());
    showContents_ = addCommand("contents", tr("Contents"), {QKeySequence(Qt::Key_F9)}, command(&Form1::toggleContents));
    goToPage_ = addCommand("goToPage", tr("Go to page\u2026"), {Qt::CTRL | Qt::Key_L}, command(&Form1::goToPageByName));
    continueReading_ = addCommand("continueReading", tr("Continue where you left off"), {QKeySequence(Qt::Key_F8)},
                                  command(&Form1::continueReading));
}

QAction *Form1::addCommand(const char *name, const QString &text, const QList<QKeySequence> &keys,
                           std::function<void()> command)
{
    auto *action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, std::move(command));
    addAction(action);
    return action;
}

QAction *Form1::actionFor(QKeyCombination pressed) const
{
    const QList<QAction *> all = actions();
    const auto found = std::find_if(all.begin(), all.end(), [pressed](const QAction *action) {
        return action->isEnabled() && action->shortcuts().contains(QKeySequence(pressed));
    });
    return found == all.end() ? nullptr : *found;
}

// The side panel's width, in pixels: a quarter of the window within these bounds, and never more
// than half of what the page view had.
constexpr int kPanelMinWidth = 240;
constexpr int kPanelMaxWidth = 460;
constexpr int kPanelGap = 6;

void Form1::setUpReading()
{
    band_ = new QLabel(this);
    band_->setObjectName(QStringLiteral("band"));
    // Page names are the book's: never read as markup, which could load files or paint a fake band.
    band_->setTextFormat(Qt::PlainText);
    band_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Its name is its text, which assistive technology reads and is told of as it changes.
    band_->setAccessibleDescription(tr("Where you are in the book"));
    announcement_ = new Announcement(this);
    // The commands to find the way in the book, for those who look for them by the mouse.
    band_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(band_, &QLabel::customContextMenuRequested, this, &Form1::showBandMenu);
    band_->show();
    followSystemPalette();
    makeActions();
    DHTMLEdit1.setLinkHoverHandler([this](const QString &url) {
        // Only what a click would open outside the book.
        hoveredLink_ = book::outsideAddress(url).isEmpty() ? QString() : url;
        updateBand();
    });
    DHTMLEdit1.setOutsideLinkRule([](const QUrl &url) { return book::outsideAddress(url.toString()); });
    DHTMLEdit1.setWholeBookHandler([this](const QString &text, bool matchCase) {
        findInBook();
        bookSearch_->open(text, matchCase);
    });
    // Ctrl+wheel over the page, the mouse's back and forward buttons, and the keys that the page view
    // takes for itself before the actions' shortcuts could see them, wherever in the window they come.
    qApp->installEventFilter(this);
    // The web engine put the page view's own focus widget before Exit in the tab order: Exit comes
    // after Next again, before the page, as the window lays its controls out.
    setTabOrder(nxt, ext);
    reading_ = true;
    resizeEvent(nullptr);
    updateBand();
    findPlace();
}

void Form1::followSystemPalette()
{
    for (QWidget *widget : {static_cast<QWidget *>(band_), static_cast<QWidget *>(sidePanel_),
                            static_cast<QWidget *>(goTo_), DHTMLEdit1.widget()}) {
        if (!widget)
            continue;
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QApplication::palette(widget).color(QPalette::WindowText));
        widget->setPalette(palette);
    }
}

void Form1::focusPage()
{
    DHTMLEdit1.widget()->setFocus(Qt::OtherFocusReason);
}

void Form1::goToPage(qsizetype i, bool aroundRewriting)
{
    showPage(i, aroundRewriting);
    curPage = i;
    shown(i);
}

void Form1::shown(qsizetype i)
{
    const auto [query, place] = std::exchange(shownAddress_, {});
    history_.visit(i, query, place);
    showsHistoryEntry_ = true;
}

void Form1::goBack()
{
    if (showsFile_ && history_.current())
        showHistoryEntry(*history_.current());
    else if (history_.canGoBack())
        showHistoryEntry(history_.back());
}

void Form1::goForward()
{
    if (history_.canGoForward())
        showHistoryEntry(history_.forward());
}

void Form1::showHistoryEntry(const PageHistory::Entry &entry)
{
    // Back to a site's search page finds its words again, as a browser's Back does.
    if (!entry.query.isEmpty() || !entry.place.isEmpty())
        DHTMLEdit1.setDocumentAddress(entry.query, entry.place);
    showPage(entry.page);
    curPage = entry.page;
    showsHistoryEntry_ = true;
    DHTMLEdit1.scrollTo(entry.scroll);
}

void Form1::showFoundPage(qsizetype i, const QString &query, bool matchCase)
{
    goToPage(i);
    DHTMLEdit1.highlight(query, matchCase);
}

void Form1::zoomTo(double factor)
{
    DHTMLEdit1.setZoomFactor(std::clamp(factor, kZoomSteps.front(), kZoomSteps.back()));
}

void Form1::zoomIn()
{
    const double now = DHTMLEdit1.zoomFactor();
    const auto next = std::find_if(kZoomSteps.begin(), kZoomSteps.end(), [&](double s) { return s > now + 0.001; });
    zoomTo(next == kZoomSteps.end() ? kZoomSteps.back() : *next);
}

void Form1::zoomOut()
{
    const double now = DHTMLEdit1.zoomFactor();
    const auto next = std::find_if(kZoomSteps.rbegin(), kZoomSteps.rend(), [&](double s) { return s < now - 0.001; });
    zoomTo(next == kZoomSteps.rend() ? kZoomSteps.front() : *next);
}

void Form1::toggleFullScreen()
{
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void Form1::zoomReset()
{
    zoomTo(1);
}

void Form1::updateBand()
{
    // The place where the last run left the book is offered until the reader moves.
    if (curPage != 0) {
        moved_ = true;
        offer_.reset();
    }
    if (!band_)
        return;
    // Where a web or mail link would go, as a browser's status bar says, while the pointer is on it.
    if (!hoveredLink_.isEmpty()) {
        band_->setText(isolated(hoveredLink_));
        return;
    }
    QString text = placeText();
    if (!bandNote_.isEmpty())
        text += QStringLiteral("      \u25b8 ") + bandNote_;
    if (offer_) {
        text +=
            QStringLiteral("      \u25b8 ") +
            tr("Continue at page %1 \u2014 %2 (F8, or click here)").arg(offer_->page + 1).arg(isolated(offerTitle_));
    }
    band_->setText(text);
}

QString Form1::placeText() const
{
    QString text = tr("page %1 of %2").arg(curPage + 1).arg(pages.size());
    if (curPage >= 0 && curPage < pages.size()) {
        const QString name = book::trimSpaces(book::pageName(pages.record(curPage))).toString();
        if (!name.isEmpty())
            text += QStringLiteral("   \u2014   ") + isolated(name);
    }
    return text;
}

void Form1::resizeEvent(QResizeEvent *event)
{
    if (event)
        QWidget::resizeEvent(event);
    if (!reading_)
        return;
    // The page view keeps the margins it had at load to the right and bottom edges, and leaves room
    // beside it for the side panel while that is shown.
    QWidget *view = DHTMLEdit1.widget();
    int right = width() - rightMargin_;
    const int viewHeight = qMax(0, height() - view->y() - bottomMargin_);
    if (sidePanel_ && sidePanel_->isVisible()) {
        // As wide as its texts need, as a translation may make them long.
        const int wanted =
            qMax(qBound(kPanelMinWidth, width() / 4, kPanelMaxWidth), sidePanel_->minimumSizeHint().width());
        const int panelWidth = qMin(wanted, (right - view->x()) / 2);
        right -= panelWidth + kPanelGap;
        sidePanel_->setGeometry(right + kPanelGap, view->y(), panelWidth, viewHeight);
    }
    view->resize(qMax(0, right - view->x()), viewHeight);
    const int bandHeight = band_->sizeHint().height();
    band_->setGeometry(view->x(), view->y() + view->height() + qMax(0, (bottomMargin_ - bandHeight) / 2), view->width(),
                       bandHeight);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closed while print all runs: the run stops after the page printing, and closes the window then.
    if (printingAll_) {
        closeAfterPrinting_ = true;
        event->ignore();
        return;
    }
    rememberPlace();
    QWidget::closeEvent(event);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this || QApplication::activeModalWidget())
        return QWidget::eventFilter(watched, event);
    QWidget *view = DHTMLEdit1.widget();
    // While print all runs, only its progress window takes input, as a modal one would.
    if (printingAll_ && isUserInput(event->type()))
        return true;
    if (event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier) || !(widget == view || view->isAncestorOf(widget)))
            return QWidget::eventFilter(watched, event);
        // Whole notches zoom a step each; what a smooth wheel gives in between adds up.
        wheelPending_ += wheel->angleDelta().y();
        for (; wheelPending_ >= kWheelNotch; wheelPending_ -= kWheelNotch)
            zoomIn_->trigger();
        for (; wheelPending_ <= -kWheelNotch; wheelPending_ += kWheelNotch)
            zoomOut_->trigger();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
        // Esc belongs to a field that has the focus: the find bars and go to page close on it.
        if (pressed == QKeyCombination(Qt::Key_Escape) && qobject_cast<QLineEdit *>(widget)) {
            if (event->type() != QEvent::ShortcutOverride)
                return QWidget::eventFilter(watched, event);
            event->accept();
            return true;
        }
        // A key press that reaches a widget was not taken as a shortcut: the page view had claimed it.
        if (event->type() == QEvent::KeyPress) {
            if (QAction *action = actionFor(pressed)) {
                action->trigger();
                return true;
            }
        }
        // On a button (where a key runs no command) or the window itself, the page's keys scroll it.
        if (event->type() == QEvent::KeyPress && (widget == this || qobject_cast<PictureButton *>(widget)) &&
            scrollsPage(*key)) {
            QWidget *page = view->focusProxy() ? view->focusProxy() : view;
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent copy(type, key->key(), key->modifiers(), key->text());
                QApplication::sendEvent(page, &copy);
            }
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    // Go to page closes by hiding; the focus it had goes back to the page, not to the next button.
    if (watched == goTo_ && event->type() == QEvent::Hide && QApplication::focusWidget() == goTo_)
        focusPage();
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == band_ && mouse->button() == Qt::LeftButton && offer_) {
            continueReading_->trigger();
            return true;
        }
        if (mouse->button() == Qt::BackButton || mouse->button() == Qt::ForwardButton) {
            (mouse->button() == Qt::BackButton ? back_ : forward_)->trigger();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace reader
