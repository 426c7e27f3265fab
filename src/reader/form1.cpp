#include "form1.h"

#include "announcement.h"
#include "contentsview.h"
#include "logging.h"
#include "picturebutton.h"

#include <book/bookfile.h>
#include <book/record.h>
#include <book/showpage.h>
#include <platform/caption.h>
#include <platform/failure.h>
#include <platform/messagebox.h>
#include <platform/screen.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtConcurrent>

// Outside any namespace, as the resource's own initializer is.
static void initReaderResources()
{
    Q_INIT_RESOURCE(reader);
}

namespace reader {
namespace {

// Layout constants, in twips.
constexpr float kButtonTop = 0;
constexpr float kButtonGap = 50;
constexpr float kViewWidthReduction = 200;
constexpr float kViewHeightReduction = 1000;
constexpr float kViewTopGap = 50;
constexpr float kCentringDivisor = 2;

// The user-interface colours the buttons were designed with, by the platform's numbers.
QColor systemColour(int index)
{
    const QPalette palette;
    switch (index) {
    case 1: // desktop
        return QColor(0x3A, 0x6E, 0xA5);
    case 6: // window frame
        return palette.color(QPalette::Shadow);
    case 7: // menu text
        return palette.color(QPalette::WindowText);
    case 9: // caption text
        return palette.color(QPalette::HighlightedText);
    default:
        return Qt::black;
    }
}

// The picture of each toolbar button: the names tested and loaded, first in the images folder, then
// beside the program. Some carry a trailing blank; it names the same file as without.
struct PictureNames {
    PictureButton *Form1::*button;
    const char *firstTested;
    const char *firstLoaded;
    const char *secondTested;
    const char *secondLoaded;
};

constexpr PictureNames kToolbarPictures[] = {
    {&Form1::previous, "\\images\\pre.gif ", "\\images\\pre.gif ", "\\pre.gif ", "\\pre.gif "},
    {&Form1::home, "\\images\\home.gif ", "\\images\\home.gif ", "\\home.gif ", "\\home.gif "},
    {&Form1::print1, "\\images\\print.gif ", "\\images\\print.gif ", "\\print.gif ", "\\print.gif"},
    {&Form1::printall, "\\images\\printall.gif", "\\images\\printall.gif ", "\\printall.gif", "\\printall.gif "},
    {&Form1::nxt, "\\images\\nxt.gif ", "\\images\\nxt.gif ", "\\nxt.gif ", "\\nxt.gif"},
    {&Form1::ext, "\\images\\exit.gif ", "\\images\\exit.gif ", "\\exit.gif ", "\\exit.gif"},
    {&Form1::find, "\\images\\find.gif", "\\images\\find.gif", "\\find.gif", "\\find.gif"},
};

} // namespace

Form1::Form1(const PageViewMaker &makePageView, ReaderServices services)
    : DHTMLEdit1(*makePageView(this)),
      ext(new PictureButton(QStringLiteral("ext"), 1320, 0, 615, 495, systemColour(7), QStringLiteral("Exit"), this)),
      nxt(new PictureButton(QStringLiteral("nxt"), 960, 0, 495, 375, systemColour(1), QStringLiteral("Next"), this)),
      find(new PictureButton(QStringLiteral("find"), 11280, 0, 480, 360, Qt::black, QStringLiteral("Find"), this)),
      home(new PictureButton(QStringLiteral("home"), 480, 0, 480, 360, Qt::black, QStringLiteral("Home"), this)),
      previous(new PictureButton(QStringLiteral("previous"), 0, 0, 480, 360, systemColour(6),
                                 QStringLiteral("Previous"), this)),
      printall(new PictureButton(QStringLiteral("printall"), 10800, 0, 615, 375, systemColour(6),
                                 QStringLiteral("Printall"), this)),
      print1(new PictureButton(QStringLiteral("print1"), 10440, 0, 615, 375, systemColour(9), QStringLiteral("Print"),
                               this)),
      services_(std::move(services))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tavlo"));
    // The pictures live in this static library, whose linker keeps them only when asked to.
    initReaderResources();
    // A book installed as an application of its own shows the application's icon, set at start.
    if (QApplication::windowIcon().isNull()) {
        QIcon icon;
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            icon.addFile(QStringLiteral(":/reader/pellomare-%1.png").arg(size), QSize(size, size));
        setWindowIcon(icon);
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    // The page view was made first, as a child of this window; it lies below the buttons.
    QWidget *view = DHTMLEdit1.widget();
    view->setObjectName(QStringLiteral("DHTMLEdit1"));
    view->lower();
    DHTMLEdit1.setLeft(480);
    DHTMLEdit1.setTop(600);
    DHTMLEdit1.setWidth(6015);
    DHTMLEdit1.setHeight(5535);

    resize(platform::twipsToPixels(8625), platform::twipsToPixels(6600));
    move(platform::twipsToPixels(60), platform::twipsToPixels(345));

    // Keyboard order: print1, printall, previous, home, find, nxt, ext, then the page view.
    setTabOrder(print1, printall);
    setTabOrder(printall, previous);
    setTabOrder(previous, home);
    setTabOrder(home, find);
    setTabOrder(find, nxt);
    setTabOrder(nxt, ext);
    setTabOrder(ext, view);

    connectHandlers();
}

void Form1::connectHandlers()
{
    const auto guarded = [this](void (Form1::*handler)()) { return [this, handler] { handle(handler); }; };
    connect(previous, &PictureButton::clicked, this, guarded(&Form1::previous_Click));
    connect(home, &PictureButton::clicked, this, guarded(&Form1::home_Click));
    connect(nxt, &PictureButton::clicked, this, guarded(&Form1::nxt_Click));
    connect(ext, &PictureButton::clicked, this, guarded(&Form1::ext_Click));
    connect(print1, &PictureButton::clicked, this, guarded(&Form1::print1_Click));
    connect(printall, &PictureButton::clicked, this, guarded(&Form1::printall_Click));
    connect(find, &PictureButton::clicked, this, guarded(&Form1::find_Click));
    DHTMLEdit1.setClickHandler(
        [this](const pageview::Click &click) { handle([this, click] { DHTMLEdit1_onclick(click); }); });
    DHTMLEdit1.setNavigationHandler([this](const QUrl &target) { handle([this, target] { followInBook(target); }); });
}

void Form1::handle(std::function<void()> handler)
{
    // Handlers run one after another. A print or a pause lets the event loop run (to repaint), and
    // an event that reaches the window meanwhile, such as a click the page view reports, waits
    // until the running handler has ended.
    waiting_.push_back(std::move(handler));
    if (handling_)
        return;
    handling_ = true;
    while (!waiting_.empty()) {
        const std::function<void()> next = std::move(waiting_.front());
        waiting_.pop_front();
        // Where the page shown was scrolled to, for Back and Forward to come back to.
        if (showsHistoryEntry_)
            history_.setScroll(DHTMLEdit1.scrollPosition());
        const qsizetype before = curPage;
        bandNote_.clear();
        platform::runReportingFailures(next);
        updateBand();
        if (curPage != before && announcement_)
            announcement_->say(placeText());
        if (contentsView_)
            contentsView_->showPage(curPage);
    }
    handling_ = false;
}

void Form1::showModeless()
{
    if (!loaded_) {
        Form_Load();
        loaded_ = true;
        // The first page is on its way; what comes beside the described window waits for the
        // event loop, so that it takes nothing from the start.
        QTimer::singleShot(0, this, &Form1::setUpReading);
        // The keyboard begins where the tab order does; the page's keys scroll it from there too.
        print1->setFocus(Qt::OtherFocusReason);
        // A Wayland compositor alone knows what its panels take of the screen: it gives a maximized
        // window the rest, and the page follows the window as laid out at load.
        if (QGuiApplication::platformName() == u"wayland") {
            showMaximized();
            return;
        }
    }
    show();
}

bool Form1::event(QEvent *event)
{
    // The frame is known once the window is shown: at once where the program draws it (Wayland), a
    // little later where a window manager does (X11).
    const QEvent::Type type = event->type();
    const bool result = QWidget::event(event);
    if (type == QEvent::WindowStateChange && leaveFullScreen_)
        leaveFullScreen_->setEnabled(isFullScreen());
    if (type == QEvent::ApplicationPaletteChange && reading_)
        followSystemPalette();
    if (type == QEvent::Resize && loaded_ && isMaximized() && windowHandle()) {
        const QMargins frame = windowHandle()->frameMargins();
        qCDebug(lcReader).nospace() << "maximized: the window's frame " << frame.left() << ' ' << frame.top() << ' '
                                    << frame.right() << ' ' << frame.bottom() << ", inside " << width() << 'x'
                                    << height();
    }
    // The type first: events come while the window's members are still being made (a child added).
    if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint ||
         type == QEvent::UpdateRequest) &&
        loaded_ && !frameFitted_)
        fitFrameToScreen();
    return result;
}

void Form1::fitFrameToScreen()
{
    const QWindow *window = windowHandle();
    if (!window || !isVisible() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins frame = window->frameMargins();
    // The desktop's panels take their part of the screen (X11 tells it): the window fits the rest.
    const QRect area = screen() ? screen()->availableGeometry() : QRect(QPoint(), sizeAtLoad_);
    const QSize outside = sizeAtLoad_.boundedTo(area.size());
    // Without a frame (none yet, or no window manager) the window is fitted to the area once.
    if (frame.isNull() && (outside == sizeAtLoad_ || areaFitted_))
        return;
    frameFitted_ = !frame.isNull();
    areaFitted_ = true;
    const QSize inside = outside.shrunkBy(frame);
    qCDebug(lcReader).nospace() << "the window's frame " << frame.left() << ' ' << frame.top() << ' ' << frame.right()
                                << ' ' << frame.bottom() << ", inside " << inside.width() << 'x' << inside.height();
    // The page view keeps the size it was laid out with: what the window loses comes off the margins
    // beside and below it, and the page view gives up the rest.
    rightMargin_ = qMax(0, rightMarginAtLoad_ - (sizeAtLoad_.width() - inside.width()));
    bottomMargin_ = qMax(0, bottomMarginAtLoad_ - (sizeAtLoad_.height() - inside.height()));
    resize(inside);
    move(area.topLeft());
}

void Form1::Form_Load()
{
    loadToolbarPictures();
    layOut();
    loadBook();
}

void Form1::loadToolbarPictures()
{
    const QString folder = services_.applicationFolder();
    for (const PictureNames &names : kToolbarPictures) {
        PictureButton *button = this->*names.button;
        if (services_.fileSystem.fileExists(folder + QLatin1String(names.firstTested)))
            button->setPicture(services_.loadPicture(folder + QLatin1String(names.firstLoaded)));
        else if (services_.fileSystem.fileExists(folder + QLatin1String(names.secondTested)))
            button->setPicture(services_.loadPicture(folder + QLatin1String(names.secondLoaded)));
    }
}

void Form1::layOut()
{
    for (PictureButton *button : {previous, print1, printall, nxt, ext, home, find})
        button->setTop(kButtonTop);

    // One row from the left edge; each width is read after its picture was set.
    PictureButton *row[] = {previous, home, nxt, ext, print1, printall, find};
    for (std::size_t i = 1; i < std::size(row); ++i)
        row[i]->setLeft(row[i - 1]->left() + row[i - 1]->width() + kButtonGap);

    const platform::ScreenTwips screen = services_.screenSize();
    const float windowWidth = screen.width;
    const float windowHeight = screen.height;
    resize(platform::twipsToPixels(windowWidth), platform::twipsToPixels(windowHeight));
    sizeAtLoad_ = size();
    // A window the size of the screen belongs at its top-left corner.
    move(0, 0);

    DHTMLEdit1.setWidth(windowWidth - kViewWidthReduction);
    DHTMLEdit1.setHeight(windowHeight - ext->height() - kViewHeightReduction);
    DHTMLEdit1.setLeft((windowWidth - DHTMLEdit1.width()) / kCentringDivisor);
    DHTMLEdit1.setTop(previous->height() + previous->top() + kViewTopGap);

    // What the layout leaves to the right of and below the page view, which it keeps when the
    // window is resized later.
    const QRect view = DHTMLEdit1.widget()->geometry();
    rightMargin_ = rightMarginAtLoad_ = platform::twipsToPixels(windowWidth) - (view.x() + view.width());
    bottomMargin_ = bottomMarginAtLoad_ = platform::twipsToPixels(windowHeight) - (view.y() + view.height());
}

void Form1::loadBook()
{
    book::Book loaded = book::loadBookFile(bookPath());
    title_ = loaded.title;
    // A caption shows "[*]" only where it is doubled; alone, it is the mark of a modified window.
    platform::setCaption(this, loaded.title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    pages = std::move(loaded.pages);
    curPage = 0;
    showPage(0);
    shown(0);
    indexPages();
}

void Form1::indexPages()
{
    // The page table does not change after loading, so the worker reads its own copy of it (the
    // bytes are shared, not copied) while the window runs.
    connect(&pageIndex_, &QFutureWatcherBase::finished, this, [this] {
        for (const pageview::Click &click : std::exchange(clicksWaiting_, {}))
            handle([this, click] { followClick(click); });
    });
    pageIndex_.setFuture(QtConcurrent::run([table = pages] { return std::make_shared<const book::PageIndex>(table); }));
}

void Form1::showPage(qsizetype i, bool aroundRewriting, const QString &header)
{
    showsFile_ = false;
    const QString record = pages.record(i);
    if (aroundRewriting)
        DHTMLEdit1.setBrowseMode(false);
    pageHtml = book::pageHtmlOf(record);
    ParsingImage();
    if (aroundRewriting)
        DHTMLEdit1.setBrowseMode(true);
    // The page lies at its own address, where its relative URLs resolve.
    DHTMLEdit1.setDocumentPage(book::trimSpaces(book::pageNameAt(pages, i)).toString());
    DHTMLEdit1.setDocumentHtml(header + pageHtml);
}

void Form1::ParsingImage()
{
    if (const auto kept = book::pointPicturesOrKeep(pageHtml, services_.applicationFolder()))
        qCWarning(lcReader).noquote() << "a page is shown with its pictures as written:" << *kept;
}

} // namespace reader
