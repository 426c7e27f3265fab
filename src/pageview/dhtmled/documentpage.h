#pragma once

#include <platform/messagebox.h>

#include <QUrl>
#include <QWebEnginePage>

// The page of the page view. It goes only where the program sends it: to the document last put, and
// to places within it; every other navigation (links, forms, scripts, history) is refused, and those
// of the page's own to the view's content are reported. It is
// set up for local content that reaches nothing outside the application folder. Nothing the page's
// script asks for waits for the user: alert() shows a message that doesn't block, confirm() and
// prompt() are declined, leaving the page is never questioned, and no file is chosen for it.
class DocumentPage final : public QWebEnginePage {
    Q_OBJECT

public:
    // The page's alerts are notices of its own, beside the program's notices.
    DocumentPage(QWebEngineProfile *profile, platform::Notices &notices, QObject *parent);

    // The document that the page may show next, in place of the one before.
    // The document's URL; its page goes by the address it sees (ContentSchemeHandler::visibleUrl) too.
    void setDocumentUrl(const QUrl &url) { documentUrl_ = url; }

signals:
    // The page's form or script sent it to url, of the view's own content, in the main frame; the
    // page doesn't go there: where it leads is the program's decision.
    void navigationRequested(const QUrl &url);
    // The page's script went back in its history to another document, in the main frame; the page
    // doesn't go there: the pages before are the program's.
    void historyBackRequested();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    QUrl documentUrl_;
    platform::Notices &notices_;
};
