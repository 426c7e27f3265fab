#include "htmleditcontrol.h"

#include "clickbridge.h"
#include "contentschemehandler.h"
#include "documentpage.h"
#include "engineswitches.h"
#include "logging.h"
#include "rendererwatch.h"
#include "requestinterceptor.h"

#include <pageview/urlscheme.h>
#include <platform/blockingwait.h>
#include <platform/failure.h>
#include <platform/messagebox.h>
#include <platform/printer.h>
#include <platform/process.h>
#include <platform/screen.h>
#include <triedit/finddialog.h>
#include <triedit/printing.h>

#include <QChildEvent>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

// A document that never finishes loading must not keep a print waiting for ever. One whose script
// holds its render process is found out sooner (RendererWatch).
constexpr std::chrono::seconds kLoadTimeLimit{30};
// A document that kills its render process each time is shown at most this often again.
constexpr int kMaxRecoveries = 3;
// A healthy render process answers at once; one that doesn't within this time when its page is left
// is ended, so that the next page is shown without waiting for the watch's longer limit.
constexpr std::chrono::milliseconds kLeavingAnswerLimit{500};
// A print that the render process ends is tried again on the document shown anew: by the third try
// the document is shown without its scripts.
constexpr int kPrintAttempts = 3;

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

// Hands the steps of the page's history beyond its own entries to the reader, before the page's own
// scripts run.
QWebEngineScript historyScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("history steps"));
    script.setSourceCode(QString::fromUtf8(resource(QStringLiteral(":/dhtmled/historysteps.js"))));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

// Gives each document the address it was reached by, before the page's own scripts run.
QWebEngineScript addressScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("page address"));
    script.setSourceCode(ContentSchemeHandler::addressScript());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

QWebEngineProfile *newProfile(QObject *parent)
{
    // The engine starts with the first profile; its switches must be set by then.
    setEngineSwitches();
    // No storage name: nothing is kept on disk. What the pages store (localStorage, sessionStorage,
    // IndexedDB) lasts while the reader runs, and only this reader's book sees it: every book is
    // the same origin (tavlo://book), and a book's reader is a program of its own.
    return new QWebEngineProfile(parent);
}

// What "Copy link address" copies: the address outside the book that a click would open, as
// outsideAddress gives it, or for a link within the book the page name (and place) it names; nothing
// for any other.
QString linkAddress(const QUrl &url, const std::function<QUrl(const QUrl &)> &outsideAddress)
{
    if (const QUrl outside = outsideAddress ? outsideAddress(url) : QUrl(); !outside.isEmpty())
        return outside.toString(QUrl::FullyEncoded);
    if (url.scheme() != QLatin1String(pageview::kUrlScheme) || url.path() == u"/")
        return {};
    QString name = url.path(QUrl::FullyDecoded).mid(1);
    if (url.hasFragment())
        name += u'#' + url.fragment(QUrl::FullyDecoded);
    return name;
}

} // namespace

HtmlEditControl::HtmlEditControl(QWidget *parent)
    : QObject(parent), profile_(newProfile(this)), content_(new ContentSchemeHandler(profile_)),
      view_(new QWebEngineView(parent)), page_(new DocumentPage(profile_, notices_, view_)),
      watch_(new RendererWatch(page_))
{
    profile_->installUrlSchemeHandler(pageview::kUrlScheme, content_);
    profile_->setUrlRequestInterceptor(new RequestInterceptor(profile_));
    profile_->setSpellCheckEnabled(false);

    auto *channel = new QWebChannel(page_);
    auto *bridge = new ClickBridge(channel);
    channel->registerObject(QStringLiteral("clickReport"), bridge);
    page_->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
    page_->scripts().insert(clickScript());
    page_->scripts().insert(addressScript());
    page_->scripts().insert(historyScript());

    view_->setPage(page_);
    // A menu of our own: the engine's would offer saving, going back and forth and viewing source.
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, &HtmlEditControl::showContextMenu);

    connect(bridge, &ClickBridge::clickReported, this, &HtmlEditControl::onClickReported);
    connect(bridge, &ClickBridge::pressReported, this, &HtmlEditControl::onPressReported);
    connect(bridge, &ClickBridge::historyStepReported, this, &HtmlEditControl::onHistoryStep);
    connect(page_, &DocumentPage::historyBackRequested, this, [this] { onHistoryStep(-1); });
    connect(page_, &QWebEnginePage::urlChanged, this, &HtmlEditControl::onUrlChanged);
    connect(page_, &QWebEnginePage::linkHovered, this, &HtmlEditControl::onLinkHovered);
    connect(page_, &DocumentPage::navigationRequested, this, &HtmlEditControl::onNavigationRequested);
    connect(this, &HtmlEditControl::documentLoaded, this, [this] {
        for (const auto &task : std::exchange(afterLoading_, {}))
            task();
    });
    // The view's input goes to the widget it renders in, made with the page and again with a new one.
    view_->installEventFilter(this);
    if (QWidget *input = view_->focusProxy())
        input->installEventFilter(this);
    connect(page_, &QWebEnginePage::loadingChanged, this, &HtmlEditControl::onLoadingChanged);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this, &HtmlEditControl::onRenderProcessTerminated);
    connect(watch_, &RendererWatch::unresponsive, this, &HtmlEditControl::onUnresponsive);
}

HtmlEditControl::~HtmlEditControl()
{
    // The page, a child of the view, must go before its profile.
    delete view_;
}

QWidget *HtmlEditControl::widget()
{
    return view_;
}

QWebEngineView &HtmlEditControl::view() const
{
    return *view_;
}

DocumentPage &HtmlEditControl::page() const
{
    return *page_;
}

void HtmlEditControl::setApplicationFolder(const QString &folder)
{
    content_->setApplicationFolder(folder);
}

void HtmlEditControl::setDocumentHtml(const QString &html)
{
    const QUrl url = content_->putDocument(html, std::exchange(nextPage_, {}), std::exchange(nextQuery_, {}));
    show(url, std::exchange(nextPlace_, {}));
}

void HtmlEditControl::setDocumentAddress(const QString &query, const QString &place)
{
    nextQuery_ = query;
    nextPlace_ = place;
}

void HtmlEditControl::setDocumentPage(const QString &name)
{
    nextPage_ = name;
}

void HtmlEditControl::showFile(const QString &path)
{
    // The file may lie where the document's page does; from now on it is the file that is served there.
    content_->dropDocument();
    show(ContentSchemeHandler::fileUrl(path), {});
}

void HtmlEditControl::show(const QUrl &url, const QString &place)
{
    DocumentPage &p = page();
    shownUrl_ = url;
    shownEntry_ = -1;
    shownLoadStarted_ = false;
    p.setDocumentUrl(url);
    if (!hovered_.isEmpty())
        onLinkHovered(QString());
    afterLoad_.clear();
    loaded_ = false;
    recoveries_ = 0;
    stoppedScripts_ = 0;
    toldStopped_ = false;
    setScriptsEnabled(true);
    QUrl target = url;
    if (!place.isEmpty())
        target.setFragment(place);
    p.load(target);
    // The page left is asked at once whether it still answers: a navigation waits for the process
    // it would replace, so one whose script never yields would hold the new document until the
    // watch's longer limit. A healthy process answers in a moment and costs the load nothing.
    const qint64 pid = p.renderProcessPid();
    if (pid <= 0)
        return;
    watch_->askBeforeLeaving(kLeavingAnswerLimit, [this, pid, url] {
        if (page_->renderProcessPid() != pid || shownUrl_ != url)
            return;
        // Nothing of the page left is kept; the navigation waiting for it is given up first, and the
        // document is loaded again in a new process.
        qCWarning(lcDhtmlEd) << "the page left does not answer; its render process" << pid << "is ended";
        page_->triggerAction(QWebEnginePage::Stop);
        platform::endProcess(pid);
    });
}

void HtmlEditControl::onNavigationRequested(const QUrl &url)
{
    if (!navigationHandler_ || url.host() != shownUrl_.host())
        return;
    QUrl target;
    const QString path = url.path(QUrl::FullyDecoded);
    target.setPath(path == u"/" ? QString() : path.mid(1), QUrl::DecodedMode);
    target.setQuery(ContentSchemeHandler::pageQuery(url), QUrl::StrictMode);
    target.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    navigationHandler_(target);
}

void HtmlEditControl::onUrlChanged(const QUrl &url)
{
    // The first address of the URL shown is its own, as loaded (the page's script may change it at
    // once): its entry is the current one now.
    if (shownEntry_ < 0 && ContentSchemeHandler::isDocument(url, shownUrl_))
        shownEntry_ = page_->history()->currentItemIndex();
}

bool HtmlEditControl::goWithinPage(int offset)
{
    // Every entry ahead is the page's own, since a new document drops them; those behind are its
    // own after the one it was loaded at.
    QWebEngineHistory &history = *page_->history();
    if (shownEntry_ < 0 || (offset < 0 ? history.currentItemIndex() <= shownEntry_ : !history.canGoForward()))
        return false;
    if (offset < 0)
        history.back();
    else
        history.forward();
    return true;
}

void HtmlEditControl::onHistoryStep(int offset)
{
    // Steps that come while the next document loads are the page's left, which a browser drops with
    // it: a page that steps back many times at once leaves itself once.
    if (historyHandler_ && shownEntry_ >= 0)
        historyHandler_(offset);
}

void HtmlEditControl::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    qCDebug(lcDhtmlEd) << "loading" << info.url() << info.status();
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        processEnded_ = false;
        shownLoadStarted_ = shownLoadStarted_ || ContentSchemeHandler::isDocument(info.url(), shownUrl_);
        if (page_->zoomFactor() != zoom_)
            page_->setZoomFactor(zoom_);
        return;
    }
    // A load that its render process took down with it is done again (onRenderProcessTerminated).
    if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus && processEnded_)
        return;
    // Loads of documents put before the last one don't count. A document that loaded has the address
    // its page sees by now, without the view's parameter, which the document before may have had too:
    // that one counts once the load of the document shown has begun.
    const bool byVisibleAddress = shownLoadStarted_ && info.status() == QWebEngineLoadingInfo::LoadSucceededStatus &&
                                  ContentSchemeHandler::isDocument(info.url(), shownUrl_);
    if (info.url().adjusted(QUrl::RemoveFragment) != shownUrl_ && !byVisibleAddress)
        return;
    if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus)
        qCWarning(lcDhtmlEd) << "the document did not load:" << info.status() << info.errorString();
    // Each document begins read-only.
    if (!browseMode_)
        applyBrowseMode(*page_);
    for (const auto &action : std::exchange(afterLoad_, {}))
        action();
    if (!loaded_) {
        loaded_ = true;
        emit documentLoaded();
    }
}

void HtmlEditControl::afterLoading(std::function<void()> task)
{
    if (loaded_)
        task();
    else
        afterLoading_.push_back(std::move(task));
}

void HtmlEditControl::whenLoaded(std::function<void()> action)
{
    if (loaded_)
        action();
    else
        afterLoad_.push_back(std::move(action));
}

void HtmlEditControl::scrollToPlace(const QString &place)
{
    // The place as a string of the script, whatever it holds; found as written, else as a URL's
    // fragment is, percent-decoded. A place the page reached at it reads itself (a source listing's
    // "#117-125" highlights and shows those lines) is left to the page's script.
    const QByteArray quoted = QJsonDocument(QJsonArray{place}).toJson(QJsonDocument::Compact);
    const QString script = QStringLiteral("(function (place) {"
                                          "  function find(p) { return document.getElementById(p) ||"
                                          "                            document.getElementsByName(p)[0]; }"
                                          "  var e = find(place);"
                                          "  if (!e) { try { e = find(decodeURIComponent(place)); } catch (x) {} }"
                                          "  var own = location.hash.slice(1);"
                                          "  try { own = decodeURIComponent(own); } catch (x) {}"
                                          "  if (e) e.scrollIntoView();"
                                          "  else if (own !== place) window.scrollTo(0, 0);"
                                          "})(%1[0]);")
                               .arg(QString::fromUtf8(quoted));
    whenLoaded([this, script] { page_->runJavaScript(script, QWebEngineScript::ApplicationWorld); });
}

QPointF HtmlEditControl::scrollPosition() const
{
    return page().scrollPosition();
}

void HtmlEditControl::scrollTo(QPointF position)
{
    const QString script = QStringLiteral("window.scrollTo(%1, %2);").arg(position.x()).arg(position.y());
    whenLoaded([this, script] { page_->runJavaScript(script, QWebEngineScript::ApplicationWorld); });
}

void HtmlEditControl::highlight(const QString &text, bool matchCase)
{
    whenLoaded([this, text, matchCase] {
        page_->findText(text, matchCase ? QWebEnginePage::FindCaseSensitively : QWebEnginePage::FindFlags());
    });
}

void HtmlEditControl::setZoomFactor(double factor)
{
    zoom_ = std::clamp(factor, 0.25, 5.0);
    page().setZoomFactor(zoom_);
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

bool HtmlEditControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view_ && event->type() == QEvent::ChildAdded) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
    } else if (event->type() == QEvent::MouseButtonPress && watched != view_) {
        pressedLink_.reset();
        pressReportDue_ = true;
    } else if (event->type() == QEvent::KeyPress) {
        // A menu the keyboard opens is on the link that has the focus, and waits for no press.
        pressedLink_.reset();
        pressReportDue_ = false;
    }
    return QObject::eventFilter(watched, event);
}

void HtmlEditControl::showContextMenu(const QPoint &at)
{
    // The page's report of the press that opened the menu is on its way: the menu waits for it, a
    // moment at most.
    constexpr std::chrono::milliseconds kPressReportLimit{500};
    if (pressReportDue_) {
        menuWaitingForPress_ = at;
        QTimer::singleShot(kPressReportLimit, this, [this] {
            if (const std::optional<QPoint> waiting = std::exchange(menuWaitingForPress_, std::nullopt)) {
                pressReportDue_ = false;
                openContextMenu(*waiting);
            }
        });
        return;
    }
    openContextMenu(at);
}

void HtmlEditControl::openContextMenu(const QPoint &at)
{
    const QWebEngineContextMenuRequest *request = view_->lastContextMenuRequest();
    auto *menu = new QMenu(view_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copy = menu->addAction(tr("Copy"), this, [this] { page_->triggerAction(QWebEnginePage::Copy); });
    copy->setEnabled(request && !request->selectedText().isEmpty());
    const QUrl target = pressedLink_ ? QUrl(*pressedLink_) : request ? request->linkUrl() : QUrl();
    if (const QString link = linkAddress(target, outsideAddress_); !link.isEmpty())
        menu->addAction(tr("Copy link address"), this, [link] { QGuiApplication::clipboard()->setText(link); });
    menu->addSeparator();
    menu->addAction(tr("Select all"), this, [this] { page_->triggerAction(QWebEnginePage::SelectAll); });
    menu->popup(view_->mapToGlobal(at));
}

void HtmlEditControl::onPressReported(const QString &address)
{
    pressedLink_ = address;
    pressReportDue_ = false;
    if (const std::optional<QPoint> waiting = std::exchange(menuWaitingForPress_, std::nullopt))
        openContextMenu(*waiting);
}

void HtmlEditControl::onLinkHovered(const QString &url)
{
    hovered_ = url;
    if (hoverHandler_)
        hoverHandler_(url);
}

void HtmlEditControl::onClickReported(const QString &href, bool byMouse, bool onLink, const QString &atPress)
{
    // A click reported while the program waits in print() reaches its handler at once; the window
    // runs the handler after the one that prints.
    pageview::Click click{href, std::nullopt};
    // The link under the pointer as it went down, found then by the page's click script: a fast
    // move and click, or a tap, is on the link it met, whatever the last hover report said.
    if (byMouse)
        click.linkAtPress = atPress;
    if (clickHandler_)
        clickHandler_(click);
    // A link to the page itself: a browser shows the page again, at its top.
    if (onLink && href.isEmpty() && navigationHandler_) {
        QUrl itself;
        itself.setQuery(ContentSchemeHandler::pageQuery(shownUrl_), QUrl::StrictMode);
        navigationHandler_(itself);
    }
}

void HtmlEditControl::onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode)
{
    qCWarning(lcDhtmlEd) << "the render process ended:" << status << exitCode;
    watch_->reset();
    processEnded_ = true;
    const QUrl url = shownUrl_;
    if (url.isEmpty())
        return;
    if (recoveries_ >= kMaxRecoveries) {
        qCWarning(lcDhtmlEd) << "the document is not shown again";
        processEnded_ = false;
        loaded_ = true;
        emit documentLoaded();
        return;
    }
    ++recoveries_;
    loaded_ = false;
    shownEntry_ = -1;
    // A script that held its process once may be the last page's; twice, it is this page's.
    if (stoppedScripts_ >= 2)
        setScriptsEnabled(false);
    // Not from inside the engine's own notification.
    QTimer::singleShot(0, this, [this, url] {
        if (page_ && shownUrl_ == url)
            page_->load(url);
    });
}

void HtmlEditControl::onUnresponsive()
{
    const qint64 pid = page_->renderProcessPid();
    qCWarning(lcDhtmlEd) << "the page's script does not yield; its render process" << pid << "is ended";
    ++stoppedScripts_;
    if (!toldStopped_) {
        toldStopped_ = true;
        notices_.show(tr("A script of this page stopped responding, so the reader stopped it. "
                         "The page is shown again, without its scripts if it happens again."));
    }
    platform::endProcess(pid);
}

void HtmlEditControl::setScriptsEnabled(bool enabled)
{
    // Only the page's own scripts: the view's click report and watch run in a world of their own.
    page_->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, enabled);
}

bool HtmlEditControl::waitUntilLoaded()
{
    if (loaded_)
        return true;
    platform::BlockingWait wait;
    connect(this, &HtmlEditControl::documentLoaded, &wait, &platform::BlockingWait::finish);
    if (wait.wait(kLoadTimeLimit))
        return true;
    qCWarning(lcDhtmlEd) << "the document has not finished loading";
    return false;
}

pageview::PrintResult HtmlEditControl::print(std::optional<bool> showDialog)
{
    QWebEngineView &v = view();
    pageview::PrintResult result = pageview::PrintResult::Failed;
    {
        const platform::PrinterChoice choice = printers_.choose(showDialog.value_or(false), v.window());
        if (!choice.printer) {
            result = choice.noPrinter ? pageview::PrintResult::NoPrinter : pageview::PrintResult::Cancelled;
        } else {
            for (int attempt = 1; attempt <= kPrintAttempts && view_; ++attempt) {
                bool processEnded = false;
                const QMetaObject::Connection ended = connect(page_, &QWebEnginePage::renderProcessTerminated, this,
                                                              [&processEnded] { processEnded = true; });
                const bool printed = waitUntilLoaded() && view_ && triedit::printPage(view_, choice.printer);
                disconnect(ended);
                if (printed) {
                    result = pageview::PrintResult::Printed;
                    break;
                }
                // Only a document shown anew may print where this one did not.
                if (!processEnded)
                    break;
            }
        }
    }
    return result;
}

bool HtmlEditControl::execCommand(int command, int option)
{
    Q_UNUSED(option) // the find dialog opens the same way whatever the option
    if (command != pageview::command::Find)
        return false;
    findDialog().open();
    return true;
}

void HtmlEditControl::findInPage(const QString &text, bool matchCase)
{
    findDialog().open(text, matchCase);
}

void HtmlEditControl::setWholeBookHandler(std::function<void(const QString &, bool)> handler)
{
    wholeBookHandler_ = std::move(handler);
    if (findDialog_)
        findDialog_->setWholeBookHandler(wholeBookHandler_);
}

triedit::FindDialog &HtmlEditControl::findDialog()
{
    QWebEngineView &v = view();
    if (!findDialog_) {
        findDialog_ = new triedit::FindDialog(&v);
        findDialog_->setWholeBookHandler(wholeBookHandler_);
    }
    return *findDialog_;
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
