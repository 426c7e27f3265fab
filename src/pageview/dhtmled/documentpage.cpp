#include "documentpage.h"

#include "logging.h"

#include <pageview/urlscheme.h>

#include <QWebEngineSettings>

DocumentPage::DocumentPage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent)
{
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::ShowScrollBars, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    // Cameras, microphones, location and the like: a book page gets none of them.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
}

bool DocumentPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // Frames inside the document may show the view's own content; the scheme handler decides what.
    const bool accepted = isMainFrame ? url.adjusted(QUrl::RemoveFragment) == documentUrl_
                                      : url.scheme() == QLatin1String(pageview::kUrlScheme);
    if (!accepted)
        qCDebug(lcDhtmlEd) << "navigation refused:" << url << type << isMainFrame;
    return accepted;
}

void DocumentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                            int line, const QString &source)
{
    qCDebug(lcDhtmlEd) << "script" << level << source << line << message;
}
