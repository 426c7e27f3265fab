#pragma once

#include "triedit_global.h"

#include <QFrame>
#include <QWebEnginePage>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWebEngineFindTextResult;
class QWebEngineView;

namespace triedit {

// The page view's find dialog: a small panel over the top right corner of the page, not modal. It
// searches the page as the text is typed, with or without regard to letter case, forward and back;
// the engine highlights every match. Escape closes it and takes the highlight away, wherever in the
// view the focus is. With a whole-book handler it offers "Whole book", which hands its text over.
class TRIEDIT_EXPORT FindDialog final : public QFrame {
    Q_OBJECT

public:
    explicit FindDialog(QWebEngineView *view);

    // Shows the dialog over the page with its text selected, ready to type.
    void open();
    // The same with text to find, found at once.
    void open(const QString &text, bool matchCase);
    // Switching "Whole book" on closes the dialog and hands its text and letter case to handler;
    // without a handler there is no such switch.
    void setWholeBookHandler(std::function<void(const QString &text, bool matchCase)> handler);
    // Hides the dialog and clears the highlight.
    void dismiss();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void find(QWebEnginePage::FindFlags direction);
    void showResult(const QWebEngineFindTextResult &result);
    void placeOverView();

    QWebEngineView *view_;
    QLineEdit *text_;
    QCheckBox *matchCase_;
    QCheckBox *wholeBook_;
    std::function<void(const QString &, bool)> wholeBookHandler_;
    QLabel *result_;
};

} // namespace triedit
