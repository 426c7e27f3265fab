#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

// Serves the page view's content: the document last put, at the address of its page (the page's name
// as the path from the book's root, and the query it was reached with), and the files of the
// application folder that the document refers to, by the absolute paths of its pictures or by relative
// URLs (style sheets, scripts, fonts, pictures of style sheets, frames), which resolve from the page's
// folder as on a web server; a file missing there is taken from the folder's root, where books written
// before their pages had folders have them. Only regular files inside the application folder are
// served, and never the book file (platform::applicationFile). The document goes through here rather
// than setHtml(), which can't take more than 2 MB.
class ContentSchemeHandler final : public QWebEngineUrlSchemeHandler {
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // Makes html the document of the page named page (its path from the book's root) and returns
    // the URL to load it by. Each document gets a URL of its own, and the documents put before it are
    // no longer served. The URL carries query (encoded, without "?") before the view's own parameter,
    // which tells one document from the next and which the page never sees (addressScript()).
    QUrl putDocument(const QString &html, const QString &page = {}, const QString &query = {});
    // Serves no document until the next is put: a file of the folder is shown in its place.
    void dropDocument() { documentUrl_.clear(); }
    // The query of a URL of the view's own content, without the view's own parameter.
    static QString pageQuery(const QUrl &url);
    // The address a document's page sees as its own: its URL without the view's own parameter.
    // The document is served there too, so that a page that reloads itself gets itself.
    static QUrl visibleUrl(const QUrl &documentUrl);
    // Whether url, its fragment aside, is the document of documentUrl, by that URL or by its visible
    // one, however the engine spelled it.
    static bool isDocument(const QUrl &url, const QUrl &documentUrl);
    // The script that gives the page that address before any script of the page runs.
    static QString addressScript();
    // The URL of the document last put; empty before the first.
    QUrl documentUrl() const { return documentUrl_; }
    // The URL of the file of the folder that path names (relative to the folder, as a URL's path).
    static QUrl fileUrl(const QString &path);
    // The folder whose files the document may use; none before it is set.
    void setApplicationFolder(const QString &folder) { applicationFolder_ = folder; }

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    void serveFile(QWebEngineUrlRequestJob *job, const QString &path) const;

    QByteArray document_;
    // The folders of the document's page, with "/" after them; empty at the root.
    QString pageFolder_;
    QString applicationFolder_;
    QUrl documentUrl_;
    quint64 documentNumber_ = 0;
};
