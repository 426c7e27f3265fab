#pragma once

#include <QUrl>
#include <QWebEnginePage>

// The page of the page view. It goes only where the program sends it: to the document last put, and
// to places within it; every other navigation (links, forms, scripts, history) is refused. It is
// set up for local content that reaches nothing outside the application folder.
class DocumentPage final : public QWebEnginePage {
    Q_OBJECT

public:
    DocumentPage(QWebEngineProfile *profile, QObject *parent);

    // The document that the page may show next, in place of the one before.
    void setDocumentUrl(const QUrl &url) { documentUrl_ = url; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override;

private:
    QUrl documentUrl_;
};
