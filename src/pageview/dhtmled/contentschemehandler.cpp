#include "contentschemehandler.h"

#include "logging.h"

#include <pageview/urlscheme.h>
#include <platform/appfolder.h>
#include <platform/hostpath.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace {

constexpr char kHost[] = "book";

// Files are served by their absolute path, so the document lives at the root folder, which can't
// be a file.
constexpr char kDocumentPath[] = "/";

bool isInside(const QString &folder, const QString &file)
{
    const QString prefix = folder.endsWith(u'/') ? folder : QString(folder + u'/');
    return file.startsWith(prefix);
}

} // namespace

QUrl ContentSchemeHandler::putDocument(const QString &html)
{
    document_ = html.toUtf8();
    QUrl url;
    url.setScheme(QString::fromLatin1(pageview::kUrlScheme));
    url.setHost(QString::fromLatin1(kHost));
    url.setPath(QString::fromLatin1(kDocumentPath));
    url.setQuery(QStringLiteral("document=%1").arg(++documentNumber_));
    documentUrl_ = url;
    return url;
}

void ContentSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET" || url.host() != QLatin1String(kHost)) {
        qCDebug(lcDhtmlEd) << "refused:" << job->requestMethod() << url;
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (url.path() != QLatin1String(kDocumentPath)) {
        serveFile(job, url.path(QUrl::FullyDecoded));
        return;
    }
    if (url.adjusted(QUrl::RemoveFragment) != documentUrl_) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto *body = new QBuffer(job);
    body->setData(document_);
    job->reply(QByteArrayLiteral("text/html;charset=utf-8"), body);
}

void ContentSchemeHandler::serveFile(QWebEngineUrlRequestJob *job, const QString &path) const
{
    // The program's names: "\" separates, trailing blanks don't count, letter case may differ.
    const QString file = QFileInfo(platform::toHostPath(path)).canonicalFilePath();
    const QString folder = QFileInfo(platform::applicationFolder()).canonicalFilePath();
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        qCDebug(lcDhtmlEd) << "not found:" << path;
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (!isInside(folder, file)) {
        qCDebug(lcDhtmlEd) << "refused, outside the application folder:" << file;
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    auto *body = new QFile(file, job);
    if (!body->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    job->reply(QMimeDatabase().mimeTypeForFile(file).name().toUtf8(), body);
}
