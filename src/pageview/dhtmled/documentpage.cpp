#include "documentpage.h"

#include "contentschemehandler.h"
#include "logging.h"

#include <pageview/urlscheme.h>
#include <platform/messagebox.h>

#include <QCoreApplication>
#include <QWebEngineSettings>

DocumentPage::DocumentPage(QWebEngineProfile *profile, platform::Notices &notices, QObject *parent)
    : QWebEnginePage(profile, parent), notices_(notices)
{
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::ShowScrollBars, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    // The engine's PDF viewer would show a PDF of the book's folder, but only with plugins on, and it
    // is a privileged component of its own that any page could embed, with the PDF's own links, forms
    // and scripts. The reader hands a PDF to the user's program for it instead.
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    // Cameras, microphones, location and the like: a book page gets none of them.
    connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl &origin, Feature feature) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    });
}

bool DocumentPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // Frames inside the document may show the view's own content; the scheme handler decides what.
    // The page itself may go to a place within the address it has now (which pushState may have set).
    const bool ownContent = url.scheme() == QLatin1String(pageview::kUrlScheme);
    // The engine moves within the page's own entries without asking; it asks for a step to another
    // document, which can only lie behind, as a new document drops every entry ahead. The page's
    // history.back() is caught before it gets here (historysteps.js); this is the way around it,
    // such as a frame's history going back.
    if (isMainFrame && type == NavigationTypeBackForward) {
        qCDebug(lcDhtmlEd) << "history step refused:" << url;
        QMetaObject::invokeMethod(
            this, [this] { emit historyBackRequested(); }, Qt::QueuedConnection);
        return false;
    }
    const bool withinPage =
        url.hasFragment() && url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment);
    const bool accepted = isMainFrame ? ContentSchemeHandler::isDocument(url, documentUrl_) || withinPage : ownContent;
    if (accepted)
        return true;
    qCDebug(lcDhtmlEd) << "navigation refused:" << url << type << isMainFrame;
    // A form sent with GET, a script or a meta refresh setting location, or a reload of an address
    // that pushState gave, to the view's own content: reported, after the engine's question
    // has been answered. The engine calls a script's navigation a redirect (the view's own content is
    // never redirected by what serves it) or a link click: the click script keeps every real click on
    // a link from navigating, so what comes as a link click is a script's.
    if (isMainFrame && ownContent && type != NavigationTypeTyped)
        QMetaObject::invokeMethod(
            this, [this, url] { emit navigationRequested(url); }, Qt::QueuedConnection);
    return false;
}

void DocumentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                            const QString &source)
{
    qCDebug(lcDhtmlEd) << "script" << level << source << line << message;
}

void DocumentPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    if (!notices_.show(msg, platform::NoticeOrigin::Page))
        qCDebug(lcDhtmlEd) << "alert dropped while another stands:" << msg.left(80);
}

bool DocumentPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    // The engine asks through here, in these words, whether a page that wants to keep the reader
    // may be left. It may: the reader moves on whatever the page's beforeunload handler says.
    static const QString leaving = QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    if (msg == leaving)
        return true;
    qCDebug(lcDhtmlEd) << "confirm declined:" << msg.left(80);
    return false;
}

bool DocumentPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &, QString *)
{
    qCDebug(lcDhtmlEd) << "prompt declined:" << msg.left(80);
    return false;
}

QStringList DocumentPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    // A book has nothing to upload, and a page gets no file of the reader's.
    return {};
}
