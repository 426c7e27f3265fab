#pragma once

#include <QObject>
#include <QString>

// The view's end of the click report: the page's click script calls clicked() through the web
// channel, in a script world that the page's own scripts can't reach.
class ClickBridge final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // byMouse: the click was made with a mouse button, not a key; onLink: it met a link, whose
    // "href" may be empty; atPress: the address of the link under the pointer as its button went
    // down ("" when none was, or for a key's click).
    Q_INVOKABLE void clicked(const QString &href, bool byMouse, bool onLink, const QString &atPress)
    {
        emit clickReported(href, byMouse, onLink, atPress);
    }
    // A pointer went down over the link at address ("" over none).
    Q_INVOKABLE void pressed(const QString &address) { emit pressReported(address); }
    // The page's script went offset entries back (< 0) or forward beyond those of its own.
    Q_INVOKABLE void historyStep(int offset) { emit historyStepReported(offset); }

signals:
    void clickReported(const QString &href, bool byMouse, bool onLink, const QString &atPress);
    void pressReported(const QString &address);
    void historyStepReported(int offset);
};
