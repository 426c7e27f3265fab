#include "contentschemehandler.h"

#include "logging.h"

#include <pageview/urlscheme.h>
#include <platform/appfile.h>
#include <platform/codepage.h>
#include <platform/failure.h>
#include <platform/filesystem.h>

#include <QBuffer>
#include <QFile>
#include <QMimeDatabase>
#include <QStringMatcher>
#include <QWebEngineUrlRequestJob>

#include <algorithm>

namespace {

constexpr char kHost[] = "book";

// The parameter of the document's URL that tells one document from the next.
constexpr char kDocumentParameter[] = "tavlo-document";

// Text files are read far enough to tell their character set; larger ones are rare among a book's
// style sheets and scripts, and are taken as what their beginning shows.
constexpr qint64 kCharsetSample = 4 << 20;

// The content type to serve the file at path as: its MIME type by its name, and for text the
// character set that its bytes show.
QByteArray contentType(const QString &path, QFile &file)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    QByteArray name =
        type.isValid() && !type.isDefault() ? type.name().toLatin1() : QByteArray("application/octet-stream");
    if (type.inherits(QStringLiteral("text/plain")) || name.startsWith("text/") || name.contains("javascript")) {
        const QByteArray sample = file.peek(kCharsetSample);
        name += ";charset=" + platform::charsetOf(sample);
    }
    return name;
}

// The characters of a folder's name that a URL reads as something else: the start of the query or
// fragment, or an escape.
constexpr QStringView kUrlSyntax = u"#?%";

// html as the view serves it: the program points pictures into the images folder by writing the
// application folder's path in front of their names, and a path is not a URL. Where the folder's name
// holds a character of URL syntax, it is escaped in those values (the folder followed by "\" at the
// start of an attribute value), so that the request names the folder as written. Nothing else of the
// page changes; with an ordinary folder name, nothing at all.
QByteArray servedDocument(const QString &html, const QString &folder)
{
    if (folder.isEmpty() || std::none_of(folder.begin(), folder.end(), [](QChar c) { return kUrlSyntax.contains(c); }))
        return html.toUtf8();
    const QString value = folder + u'\\';
    QString escaped = folder;
    escaped.replace(u'%', QStringLiteral("%25"))
        .replace(u'#', QStringLiteral("%23"))
        .replace(u'?', QStringLiteral("%3F"));
    escaped += u'\\';
    QString served;
    qsizetype done = 0;
    const QStringMatcher matcher(value);
    for (qsizetype at = matcher.indexIn(html); at >= 0; at = matcher.indexIn(html, at + value.size())) {
        // "=" and the opening quote in front of it, as the program writes them.
        if (at < 2 || html[at - 2] != u'=')
            continue;
        served += QStringView(html).sliced(done, at - done);
        served += escaped;
        done = at + value.size();
    }
    served += QStringView(html).sliced(done);
    return served.toUtf8();
}

// The number of the document a URL of the view's own content names by the view's parameter; 0 for none.
quint64 documentNumber(const QUrl &url)
{
    const QString prefix = QLatin1String(kDocumentParameter) + u'=';
    for (const QString &item : url.query(QUrl::FullyEncoded).split(u'&', Qt::SkipEmptyParts)) {
        if (item.startsWith(prefix))
            return item.sliced(prefix.size()).toULongLong();
    }
    return 0;
}

} // namespace

QUrl ContentSchemeHandler::putDocument(const QString &html, const QString &page, const QString &query)
{
    document_ = servedDocument(html, applicationFolder_);
    QUrl url;
    url.setScheme(QString::fromLatin1(pageview::kUrlScheme));
    url.setHost(QString::fromLatin1(kHost));
    // As the engine reads a path: "\" separates, "." and ".." are resolved.
    QString path = u'/' + page;
    path.replace(u'\\', u'/');
    url.setPath(path, QUrl::DecodedMode);
    url = url.adjusted(QUrl::NormalizePathSegments);
    path = url.path(QUrl::FullyDecoded);
    pageFolder_ = path.first(path.lastIndexOf(u'/') + 1).sliced(1);
    const QString number = QLatin1String(kDocumentParameter) + u'=' + QString::number(++documentNumber_);
    url.setQuery(query.isEmpty() ? number : query + u'&' + number);
    documentUrl_ = url;
    return url;
}

QUrl ContentSchemeHandler::fileUrl(const QString &path)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(pageview::kUrlScheme));
    url.setHost(QString::fromLatin1(kHost));
    url.setPath(u'/' + path, QUrl::DecodedMode);
    return url;
}

QString ContentSchemeHandler::pageQuery(const QUrl &url)
{
    QStringList kept;
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString &item : query.split(u'&', Qt::SkipEmptyParts)) {
        if (item.section(u'=', 0, 0) != QLatin1String(kDocumentParameter))
            kept << item;
    }
    return kept.join(u'&');
}

QUrl ContentSchemeHandler::visibleUrl(const QUrl &documentUrl)
{
    QUrl url = documentUrl;
    if (const QString query = pageQuery(documentUrl); query.isEmpty())
        url.setQuery(QString());
    else
        url.setQuery(query, QUrl::StrictMode);
    return url;
}

bool ContentSchemeHandler::isDocument(const QUrl &url, const QUrl &documentUrl)
{
    if (documentUrl.isEmpty() || url.scheme() != documentUrl.scheme() || url.host() != documentUrl.host())
        return false;
    if (const quint64 number = documentNumber(url))
        return number == documentNumber(documentUrl);
    const QUrl visible = visibleUrl(documentUrl);
    return url.path(QUrl::FullyDecoded) == visible.path(QUrl::FullyDecoded) &&
           url.query(QUrl::FullyDecoded) == visible.query(QUrl::FullyDecoded);
}

QString ContentSchemeHandler::addressScript()
{
    // The same cut as pageQuery(), in the page's own terms; history.replaceState changes the address
    // without loading anything.
    return QStringLiteral("(function () {"
                          "  var search = location.search.slice(1).split('&')"
                          "      .filter(function (item) { return item.split('=')[0] !== '%1'; }).join('&');"
                          "  if (search === location.search.slice(1)) return;"
                          "  history.replaceState(history.state, '',"
                          "      location.pathname + (search ? '?' + search : '') + location.hash);"
                          "})();")
        .arg(QLatin1String(kDocumentParameter));
}

void ContentSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET" || url.host() != QLatin1String(kHost)) {
        qCDebug(lcDhtmlEd) << "refused:" << job->requestMethod() << url;
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (!isDocument(url, documentUrl_)) {
        serveFile(job, url.path(QUrl::FullyDecoded));
        return;
    }
    auto *body = new QBuffer(job);
    body->setData(document_);
    job->reply(QByteArrayLiteral("text/html;charset=utf-8"), body);
}

void ContentSchemeHandler::serveFile(QWebEngineUrlRequestJob *job, const QString &path) const
{
    const platform::ApplicationFile file = platform::pageFile(applicationFolder_, path, pageFolder_);
    using Refusal = platform::ApplicationFile::Refusal;
    if (file.refusal != Refusal::None) {
        qCDebug(lcDhtmlEd) << "refused:" << path << int(file.refusal);
        job->fail(file.refusal == Refusal::NotFound ? QWebEngineUrlRequestJob::UrlNotFound
                                                    : QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    std::unique_ptr<QFile> body;
    try {
        body = platform::openRegularFile(file.path);
    } catch (const platform::Failure &failure) {
        qCDebug(lcDhtmlEd) << "refused:" << failure.description();
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QByteArray type = contentType(file.path, *body);
    body->setParent(job);
    job->reply(type, body.release());
}
