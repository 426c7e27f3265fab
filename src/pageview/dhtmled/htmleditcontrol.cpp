#include "htmleditcontrol.h"

#include "clickbridge.h"
#include "contentschemehandler.h"
#include "documentpage.h"
#include "logging.h"
#include "requestinterceptor.h"

#include <pageview/urlscheme.h>
#include <platform/failure.h>
#include <platform/messagebox.h>
#include <platform/printer.h>
#include <platform/screen.h>
#include <triedit/blockingwait.h>
#include <triedit/finddialog.h>
#include <triedit/printing.h>

#include <QDesktopServices>
#include <QFile>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <chrono>
#include <utility>

namespace {

// A document that never finishes loading must not keep a print waiting for ever.
constexpr std::chrono::seconds kLoadTimeLimit{60};
// A document that kills its render process each time is shown at most this often again.
constexpr int kMaxRecoveries = 3;

QByteArray resource(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        qCCritical(lcDhtmlEd) << "missing resource" << name;
    return file.readAll();
}

QWebEngineScript clickScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("click report"));
    script.setSourceCode(QString::fromUtf8(resource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                                           resource(QStringLiteral(":/dhtmled/clickreport.js"))));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

bool isWebLink(const QString &href)
{
    return href.startsWith(QLatin1String("http")) || href.startsWith(QLatin1String("HTTP"));
}

} // namespace

HtmlEditControl::HtmlEditControl()
    : profile_(new QWebEngineProfile(this)), // no storage name: nothing is kept on disk
      content_(new ContentSchemeHandler(profile_)), view_(new QWebEngineView),
      page_(new DocumentPage(profile_, view_))
{
    profile_->installUrlSchemeHandler(pageview::kUrlScheme, content_);
    profile_->setUrlRequestInterceptor(new RequestInterceptor(profile_));
    profile_->setSpellCheckEnabled(false);

    auto *channel = new QWebChannel(page_);
    auto *bridge = new ClickBridge(channel);
    channel->registerObject(QStringLiteral("clickReport"), bridge);
    page_->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
    page_->scripts().insert(clickScript());

    view_->setPage(page_);
    view_->setContextMenuPolicy(Qt::NoContextMenu);

    connect(bridge, &ClickBridge::clickReported, this, &HtmlEditControl::onClickReported);
    connect(page_, &QWebEnginePage::loadingChanged, this, &HtmlEditControl::onLoadingChanged);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            &HtmlEditControl::onRenderProcessTerminated);
    // A window that takes the view deletes it with itself; a print that waits for it must end.
    connect(view_, &QObject::destroyed, this, &HtmlEditControl::documentLoaded);
}

HtmlEditControl::~HtmlEditControl()
{
    // The page, a child of the view, must go before its profile.
    delete view_;
}

QWidget *HtmlEditControl::widget() { return view_; }

QWebEngineView &HtmlEditControl::view() const
{
    if (!view_)
        throw platform::Failure(91,
                                QStringLiteral("The page view is gone: the window that held it was closed"));
    return *view_;
}

DocumentPage &HtmlEditControl::page() const
{
    view(); // the page goes with its view
    return *page_;
}

void HtmlEditControl::setDocumentHtml(const QString &html)
{
    DocumentPage &p = page();
    const QUrl url = content_->putDocument(html);
    p.setDocumentUrl(url);
    activeHref_.clear();
    loaded_ = false;
    recoveries_ = 0;
    p.load(url);
}

void HtmlEditControl::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    qCDebug(lcDhtmlEd) << "loading" << info.url() << info.status();
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    // Loads of documents put before the last one don't count.
    if (info.url().adjusted(QUrl::RemoveFragment) != content_->documentUrl())
        return;
    if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus)
        qCWarning(lcDhtmlEd) << "the document did not load:" << info.status() << info.errorString();
    // Each document begins read-only.
    if (!browseMode_)
        applyBrowseMode(*page_);
    if (!loaded_) {
        loaded_ = true;
        emit documentLoaded();
    }
}

void HtmlEditControl::setBrowseMode(bool browse)
{
    DocumentPage &p = page();
    if (browse == browseMode_)
        return;
    browseMode_ = browse;
    applyBrowseMode(p);
}

void HtmlEditControl::applyBrowseMode(DocumentPage &page)
{
    page.runJavaScript(browseMode_ ? QStringLiteral("document.designMode = 'off';")
                                   : QStringLiteral("document.designMode = 'on';"),
                       QWebEngineScript::ApplicationWorld);
}

void HtmlEditControl::onClickReported(const QString &href)
{
    if (printing_) {
        heldClicks_ << href;
        return;
    }
    activeHref_ = href;
    if (browseMode_ && isWebLink(href))
        QDesktopServices::openUrl(QUrl(href));
    if (clickHandler_)
        platform::runReportingFailures(clickHandler_);
}

void HtmlEditControl::releaseHeldClicks()
{
    const QStringList clicks = std::exchange(heldClicks_, {});
    for (const QString &href : clicks)
        onClickReported(href);
}

void HtmlEditControl::onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                                int exitCode)
{
    qCWarning(lcDhtmlEd) << "the render process ended:" << status << exitCode;
    const QUrl url = content_->documentUrl();
    if (url.isEmpty())
        return;
    if (recoveries_ >= kMaxRecoveries) {
        qCWarning(lcDhtmlEd) << "the document is not shown again";
        loaded_ = true;
        emit documentLoaded();
        return;
    }
    ++recoveries_;
    loaded_ = false;
    // Not from inside the engine's own notification.
    QTimer::singleShot(0, this, [this, url] {
        if (page_ && content_->documentUrl() == url)
            page_->load(url);
    });
}

void HtmlEditControl::waitUntilLoaded()
{
    if (loaded_)
        return;
    triedit::BlockingWait wait;
    connect(this, &HtmlEditControl::documentLoaded, &wait, &triedit::BlockingWait::finish);
    if (!wait.wait(kLoadTimeLimit))
        qCWarning(lcDhtmlEd) << "the document has not finished loading; it is printed as it is";
}

void HtmlEditControl::print(std::optional<bool> showDialog)
{
    QWebEngineView &v = view();
    {
        const QScopedValueRollback busy(printing_, true);
        if (const auto printer = platform::choosePrinter(showDialog.value_or(false), v.window())) {
            waitUntilLoaded();
            if (view_)
                triedit::printPage(view_, printer.get());
        }
    }
    if (!heldClicks_.isEmpty())
        QTimer::singleShot(0, this, &HtmlEditControl::releaseHeldClicks);
}

void HtmlEditControl::execCommand(int command, int option)
{
    Q_UNUSED(option) // the find dialog opens the same way whatever the option
    QWebEngineView &v = view();
    if (command != pageview::command::Find)
        throw platform::Failure(5, QStringLiteral("Invalid procedure call or argument: the page view has no "
                                                  "command %1")
                                       .arg(command));
    if (!findDialog_)
        findDialog_ = new triedit::FindDialog(&v);
    findDialog_->open();
}

void HtmlEditControl::setLeft(float twips)
{
    QWebEngineView &v = view();
    v.move(platform::twipsToPixels(twips), v.y());
}

void HtmlEditControl::setTop(float twips)
{
    QWebEngineView &v = view();
    v.move(v.x(), platform::twipsToPixels(twips));
}

void HtmlEditControl::setWidth(float twips)
{
    QWebEngineView &v = view();
    widthTwips_ = twips;
    v.resize(platform::twipsToPixels(twips), v.height());
}

void HtmlEditControl::setHeight(float twips)
{
    QWebEngineView &v = view();
    v.resize(v.width(), platform::twipsToPixels(twips));
}

float HtmlEditControl::width() const
{
    const QWebEngineView &v = view();
    // The width as set reads back unchanged, as long as nothing else has resized the view since.
    if (widthTwips_ && platform::twipsToPixels(*widthTwips_) == v.width())
        return *widthTwips_;
    return platform::pixelsToTwips(v.width());
}
