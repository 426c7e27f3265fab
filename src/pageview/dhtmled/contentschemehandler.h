#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

// Serves the page view's content: the document last put, at a URL of its own that no file can have,
// and the files of the application folder that the document refers to, by the absolute paths of its
// pictures or by relative URLs (style sheets, scripts, fonts, pictures of style sheets, frames),
// which resolve from the folder's root. Only regular files inside the application folder are
// served, and never the book file (platform::applicationFile). The document goes through here rather than setHtml(),
// which can't take more than 2 MB.
class ContentSchemeHandler final : public QWebEngineUrlSchemeHandler {
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // Makes html the document and returns its URL. Each document gets a URL of its own, and the
    // documents put before it are no longer served.
    // The document's URL carries query (encoded, without "?") before the view's own parameter, so
    // that the page's scripts find it in location.search.
    QUrl putDocument(const QString &html, const QString &query = {});
    // The query of a URL of the view's own content, without the view's own parameter.
    static QString pageQuery(const QUrl &url);
    // The address a document's page sees as its own: its URL without the view's own parameter.
    // The document is served there too, so that a page that reloads itself gets itself.
    static QUrl visibleUrl(const QUrl &documentUrl);
    // The script that gives the page that address before any script of the page runs.
    static QString addressScript();
    // The URL of the document last put; empty before the first.
    QUrl documentUrl() const { return documentUrl_; }
    // The folder whose files the document may use; none before it is set.
    void setApplicationFolder(const QString &folder) { applicationFolder_ = folder; }

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    void serveFile(QWebEngineUrlRequestJob *job, const QString &path) const;

    QByteArray document_;
    QString applicationFolder_;
    QUrl documentUrl_;
    quint64 documentNumber_ = 0;
};
