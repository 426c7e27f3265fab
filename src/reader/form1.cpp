#include "form1.h"

#include "picturebutton.h"
#include "readingaids.h"
#include "windowdesign.h"

#include <book/bookfile.h>
#include <platform/caption.h>
#include <platform/failure.h>
#include <platform/screen.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QTimer>

namespace reader {
namespace {

// Layout constants, in twips.
constexpr float kButtonTop = 0;
constexpr float kButtonGap = 50;
constexpr float kViewWidthReduction = 200;
constexpr float kViewHeightReduction = 1000;
constexpr float kViewTopGap = 50;
constexpr float kCentringDivisor = 2;

// The buttons' commands, which their keys run as the buttons do, messages included.
struct ButtonCommand {
    ReaderActions::Command command;
    PictureButton *Form1::*button;
    void (Form1::*handler)();
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
      services_(std::move(services)), session_(DHTMLEdit1, services_), printAll_(session_, DHTMLEdit1, services_)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tavlo"));
    // A book installed as an application of its own shows the application's icon, set at start.
    if (QApplication::windowIcon().isNull())
        setWindowIcon(readerIcon());
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
    QWidget *const order[] = {print1, printall, previous, home, find, nxt, ext, view};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

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
    DHTMLEdit1.setHistoryHandler(
        [this](int offset) { session_.handle([this, offset] { session_.leavePage(offset); }); });
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
    const QEvent::Type type = event->type();
    const bool result = QWidget::event(event);
    if (type == QEvent::WindowStateChange && aids_)
        aids_->actions().action(ReaderActions::LeaveFullScreen)->setEnabled(isFullScreen());
    if (type == QEvent::ApplicationPaletteChange && aids_)
        aids_->followSystemPalette();
    // The type first: events come while the window's members are still being made (a child added).
    if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint ||
         type == QEvent::UpdateRequest) &&
        loaded_)
        fit_.windowEvent(*this, type);
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
    loadButtonPictures(*this, services_);
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
    bookPath_ = book::bookFileIn(services_.applicationFolder());
    book::Book loaded = services_.loadBook(bookPath_);
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

Form1::~Form1()
{
    rememberPlace();
}

void Form1::setUpReading()
{
    static constexpr ButtonCommand kButtonCommands[] = {
        {ReaderActions::NextPage, &Form1::nxt, &Form1::nxt_Click},
        {ReaderActions::PreviousPage, &Form1::previous, &Form1::previous_Click},
        {ReaderActions::FirstPage, &Form1::home, &Form1::home_Click},
        {ReaderActions::Print, &Form1::print1, &Form1::print1_Click},
        {ReaderActions::PrintAll, &Form1::printall, &Form1::printall_Click},
        {ReaderActions::FindInPage, &Form1::find, &Form1::find_Click},
        {ReaderActions::Exit, &Form1::ext, &Form1::ext_Click},
    };
    aids_ = new ReadingAids(*this, DHTMLEdit1, session_, services_, [this](ReaderActions::Command command) {
        for (const ButtonCommand &button : kButtonCommands) {
            if (button.command == command)
                handle(button.handler);
        }
    });
    // Each button tells assistive technology its key.
    for (const ButtonCommand &button : kButtonCommands)
        (this->*button.button)->setKeys(aids_->actions().action(button.command)->shortcut());
    // While print all runs, only its progress window takes input, as a modal one would.
    aids_->actions().setInputBlocked([this] { return printAll_.running(); });
    // The web engine put the page view's own focus widget before Exit in the tab order: Exit comes
    // after Next again, before the page, as the window lays its controls out.
    setTabOrder(nxt, ext);
    resizeEvent(nullptr);
    aids_->findPlace(title_, bookPath_);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    if (event)
        QWidget::resizeEvent(event);
    if (aids_)
        aids_->place(fit_.rightMargin(), fit_.bottomMargin());
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closed while print all runs: the run stops after the page printing, and closes the window then.
    if (printAll_.running()) {
        printAll_.stopAndClose();
        event->ignore();
        return;
    }
    rememberPlace();
    QWidget::closeEvent(event);
}

void Form1::rememberPlace()
{
    if (aids_)
        aids_->rememberPlace();
}

void Form1::focusPage()
{
    DHTMLEdit1.widget()->setFocus(Qt::OtherFocusReason);
}

} // namespace reader
