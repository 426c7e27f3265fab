#include "finddialog.h"

#include <platform/assistive.h>

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEngineView>

namespace triedit {
namespace {

constexpr int kMargin = 8;

QToolButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(name);
    return b;
}

// A panel over the page, not a window of its own to a screen reader; said before the first is made.
QWebEngineView *asPanelOf(QWebEngineView *view)
{
    platform::showAs(FindDialog::staticMetaObject.className(), QAccessible::Pane);
    return view;
}

} // namespace

FindDialog::FindDialog(QWebEngineView *view)
    : QFrame(asPanelOf(view)), view_(view), text_(new QLineEdit(this)),
      matchCase_(new QCheckBox(tr("Match case"), this)), wholeBook_(new QCheckBox(tr("Whole book"), this)),
      result_(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    text_->setObjectName(QStringLiteral("findText"));
    text_->setAccessibleName(tr("Find in the page"));
    text_->setPlaceholderText(tr("Find"));
    text_->setClearButtonEnabled(true);
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    wholeBook_->setObjectName(QStringLiteral("wholeBook"));
    wholeBook_->hide();
    result_->setObjectName(QStringLiteral("findResult"));
    QToolButton *previous = button(tr("Previous"), QStringLiteral("findPrevious"), this);
    QToolButton *next = button(tr("Next"), QStringLiteral("findNext"), this);
    QToolButton *close = button(tr("Close"), QStringLiteral("findClose"), this);

    // Two rows, the field and what it found over the switches and the steps, so that a translation
    // longer than English still fits over a narrow page.
    auto *field = new QHBoxLayout;
    field->addWidget(text_, 1);
    field->addWidget(result_);
    field->addWidget(close);
    auto *switches = new QHBoxLayout;
    switches->addWidget(matchCase_);
    switches->addWidget(wholeBook_);
    switches->addStretch(1);
    switches->addWidget(previous);
    switches->addWidget(next);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin / 2, kMargin / 2, kMargin / 2, kMargin / 2);
    layout->addLayout(field);
    layout->addLayout(switches);

    connect(text_, &QLineEdit::textEdited, this, [this] { find({}); });
    connect(text_, &QLineEdit::returnPressed, this, [this] { find({}); });
    connect(matchCase_, &QCheckBox::toggled, this, [this] { find({}); });
    connect(next, &QToolButton::clicked, this, [this] { find({}); });
    connect(previous, &QToolButton::clicked, this, [this] { find(QWebEnginePage::FindBackward); });
    connect(close, &QToolButton::clicked, this, &FindDialog::dismiss);
    connect(wholeBook_, &QCheckBox::toggled, this, [this](bool on) {
        if (!on || !wholeBookHandler_)
            return;
        const QString text = text_->text();
        const bool matchCase = matchCase_->isChecked();
        wholeBook_->setChecked(false);
        dismiss();
        wholeBookHandler_(text, matchCase);
    });

    connect(view_->page(), &QWebEnginePage::findTextFinished, this, &FindDialog::showResult);
    // A new page may bring a new render widget, which would cover the dialog.
    connect(view_->page(), &QWebEnginePage::loadFinished, this, [this] {
        if (isVisible())
            raise();
    });
    view_->installEventFilter(this);
    hide();
}

void FindDialog::open()
{
    adjustSize();
    placeOverView();
    show();
    raise();
    // Escape closes the dialog wherever in the view the focus is, the page included, which takes
    // keys for itself before any shortcut could see them.
    qApp->installEventFilter(this);
    text_->setFocus(Qt::OtherFocusReason);
    text_->selectAll();
}

void FindDialog::open(const QString &text, bool matchCase)
{
    text_->setText(text);
    matchCase_->setChecked(matchCase);
    open();
    find({});
}

void FindDialog::setWholeBookHandler(std::function<void(const QString &, bool)> handler)
{
    wholeBookHandler_ = std::move(handler);
    wholeBook_->setVisible(bool(wholeBookHandler_));
}

void FindDialog::dismiss()
{
    qApp->removeEventFilter(this);
    // The page first: hidden with the focus, the bar would pass it to the next button meanwhile.
    view_->setFocus(Qt::OtherFocusReason);
    hide();
    result_->clear();
    view_->findText(QString());
}

void FindDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool FindDialog::eventFilter(QObject *watched, QEvent *event)
{
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (key && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && (widget == view_ || view_->isAncestorOf(widget))) {
            // Esc is the dialog's while it is open, before any shortcut of the window that holds it.
            if (event->type() == QEvent::ShortcutOverride)
                event->accept();
            else
                dismiss();
            return true;
        }
    }
    if (watched == view_ && event->type() == QEvent::Resize)
        placeOverView();
    return QFrame::eventFilter(watched, event);
}

void FindDialog::find(QWebEnginePage::FindFlags direction)
{
    QWebEnginePage::FindFlags flags = direction;
    if (matchCase_->isChecked())
        flags |= QWebEnginePage::FindCaseSensitively;
    // An empty text clears the highlight.
    view_->findText(text_->text(), flags);
}

void FindDialog::showResult(const QWebEngineFindTextResult &result)
{
    if (text_->text().isEmpty() || !isVisible())
        result_->clear();
    else if (result.numberOfMatches() == 0)
        result_->setText(tr("Not found"));
    else
        result_->setText(tr("%1 of %2").arg(result.activeMatch()).arg(result.numberOfMatches()));
    // The bar grows with what it says.
    placeOverView();
}

void FindDialog::placeOverView()
{
    const int width = qMin(sizeHint().width(), qMax(0, view_->width() - 2 * kMargin));
    setGeometry(view_->width() - width - kMargin, kMargin, width, sizeHint().height());
    layout()->activate();
}

} // namespace triedit
