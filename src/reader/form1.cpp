#include "form1.h"

#include "logging.h"
#include "picturebutton.h"
#include "readingaids.h"
#include "toolbar.h"

#include <book/bookfile.h>
#include <platform/caption.h>
#include <platform/failure.h>
#include <platform/screen.h>

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QTimer>
#include <QWindow>

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
      services_(std::move(services)), session_(DHTMLEdit1, services_), printAll_(session_, DHTMLEdit1, services_)
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
        [this](const pageview::Click &click) { session_.handle([this, click] { DHTMLEdit1_onclick(click); }); });
    DHTMLEdit1.setNavigationHandler(
        [this](const QUrl &target) { session_.handle([this, target] { session_.followInBook(target); }); });
}

void Form1::handle(void (Form1::*handler)())
{
    session_.handle([this, handler] { (this->*handler)(); });
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
    if (type == QEvent::WindowStateChange && aids_)
        aids_->actions().action(ReaderActions::LeaveFullScreen)->setEnabled(isFullScreen());
    if (type == QEvent::ApplicationPaletteChange && aids_)
        aids_->followSystemPalette();
    if (type == QEvent::Resize && loaded_ && isMaximized() && windowHandle()) {
        const QMargins frame = windowHandle()->frameMargins();
        qCDebug(lcReader).nospace() << "maximized: the window's frame " << frame.left() << ' ' << frame.top() << ' '
                                    << frame.right() << ' ' << frame.bottom() << ", inside " << width() << 'x'
                                    << height();
    }
    // The type first: events come while the window's members are still being made (a child added).
    if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint ||
         type == QEvent::UpdateRequest) &&
        loaded_ && !fit_.frameFitted())
        fit_.fit(*this);
    return result;
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
    // A window the size of the screen belongs at its top-left corner.
    move(0, 0);

    DHTMLEdit1.setWidth(windowWidth - kViewWidthReduction);
    DHTMLEdit1.setHeight(windowHeight - ext->height() - kViewHeightReduction);
    DHTMLEdit1.setLeft((windowWidth - DHTMLEdit1.width()) / kCentringDivisor);
    DHTMLEdit1.setTop(previous->height() + previous->top() + kViewTopGap);

    // What the layout leaves to the right of and below the page view, which it keeps when the
    // window is resized later.
    fit_.laidOut(size(), DHTMLEdit1.widget()->geometry());
}

void Form1::loadBook()
{
    book::Book loaded = book::loadBook(services_.fileSystem, services_.applicationFolder());
    title_ = loaded.title;
    // A caption shows "[*]" only where it is doubled; alone, it is the mark of a modified window.
    platform::setCaption(this, loaded.title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    session_.open(std::move(loaded.pages));
}

void Form1::home_Click()
{
    session_.goToPage(0);
}

void Form1::nxt_Click()
{
    session_.next();
}

void Form1::previous_Click()
{
    session_.previous();
}

void Form1::DHTMLEdit1_onclick(const pageview::Click &click)
{
    session_.click(click);
}

void Form1::print1_Click()
{
    if (DHTMLEdit1.print(true) == pageview::PrintResult::Failed)
        services_.showMessage(tr("The page could not be printed: it did not finish in time."));
    focusPage();
}

void Form1::printall_Click()
{
    const bool windowStays = printAll_.run(this);
    focusPage();
    // Closed while it ran: the window closes now that the page printing is done.
    if (!windowStays)
        close();
}

void Form1::find_Click()
{
    if (!DHTMLEdit1.execCommand(pageview::command::Find, pageview::command::DefaultOption))
        throw platform::Failure(platform::error::InvalidProcedureCall,
                                QStringLiteral("Invalid procedure call or argument: the page view has no command %1")
                                    .arg(pageview::command::Find));
}

void Form1::ext_Click()
{
    // The program ends without closing the window: the place left is remembered now.
    rememberPlace();
    services_.endProgram();
}

} // namespace reader
