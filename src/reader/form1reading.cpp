// What the reader window offers beside its seven buttons, once it is shown.
#include "form1.h"

#include "picturebutton.h"
#include "readingaids.h"

#include <QAction>
#include <QCloseEvent>

namespace reader {
namespace {

// The buttons' commands, which their keys run as the buttons do, messages included.
struct ButtonCommand {
    ReaderActions::Command command;
    PictureButton *Form1::*button;
    void (Form1::*handler)();
};

} // namespace

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
    aids_->findPlace(title_);
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
