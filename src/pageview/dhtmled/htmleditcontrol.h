#pragma once

#include <pageview/pageview.h>
#include <platform/messagebox.h>
#include <platform/printer.h>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWebEnginePage>

#include <functional>
#include <optional>
#include <vector>

class ContentSchemeHandler;
class DocumentPage;
class RendererWatch;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace triedit {
class FindDialog;
}

// The page view control: a web view with a profile of its own, which shows the document the program
// puts, serves it and the application folder's pictures through the view's URL scheme, blocks all
// other loads and every other way to the network, reports clicks, prints and finds. A page whose
// script stops answering has its render process ended and is shown again, without its scripts
// the second time.
class HtmlEditControl final : public QObject, public pageview::PageView {
    Q_OBJECT
    Q_INTERFACES(pageview::PageView)

public:
    // The control and its view are children of parent, the window that shows the pages.
    explicit HtmlEditControl(QWidget *parent);
    ~HtmlEditControl() override;

    QWidget *widget() override;
    void setApplicationFolder(const QString &folder) override;
    void setDocumentHtml(const QString &html) override;
    void scrollToPlace(const QString &place) override;
    QPointF scrollPosition() const override;
    void scrollTo(QPointF position) override;
    void highlight(const QString &text, bool matchCase) override;
    void setZoomFactor(double factor) override;
    double zoomFactor() const override { return zoom_; }
    void setBrowseMode(bool browse) override;
    pageview::PrintResult print(std::optional<bool> showDialog) override;
    bool execCommand(int command, int option) override;
    void findInPage(const QString &text, bool matchCase) override;
    void setWholeBookHandler(std::function<void(const QString &, bool)> handler) override;
    void setLeft(float twips) override;
    void setTop(float twips) override;
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    float width() const override;
    void setClickHandler(std::function<void(const pageview::Click &)> handler) override
    {
        clickHandler_ = std::move(handler);
    }
    void setLinkHoverHandler(std::function<void(const QString &)> handler) override
    {
        hoverHandler_ = std::move(handler);
    }
    void setOutsideLinkRule(std::function<QUrl(const QUrl &)> outsideAddress) override
    {
        outsideAddress_ = std::move(outsideAddress);
    }
    void afterLoading(std::function<void()> task) override;
    void setDocumentAddress(const QString &query, const QString &place) override;
    void setDocumentPage(const QString &name) override;
    void showFile(const QString &path) override;
    void setNavigationHandler(std::function<void(const QUrl &)> handler) override
    {
        navigationHandler_ = std::move(handler);
    }
    bool goWithinPage(int offset) override;
    void setHistoryHandler(std::function<void(int)> handler) override { historyHandler_ = std::move(handler); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The document last put has finished loading, or won't.
    void documentLoaded();

private:
    QWebEngineView &view() const;
    DocumentPage &page() const;
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onClickReported(const QString &href, bool byMouse, bool onLink, const QString &atPress);
    void onPressReported(const QString &address);
    void onNavigationRequested(const QUrl &url);
    void onUrlChanged(const QUrl &url);
    void onHistoryStep(int offset);
    // Copy, Copy link address and Select all; nothing that leaves the book or shows its source. The
    // link is the one under the pointer as its button went down, once the page has said which.
    void showContextMenu(const QPoint &at);
    void openContextMenu(const QPoint &at);
    // Loads url, a document put or a file of the folder, scrolled to place.
    void show(const QUrl &url, const QString &place);
    void onLinkHovered(const QString &url);
    void onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);
    void onUnresponsive();
    void applyBrowseMode(DocumentPage &page);
    bool waitUntilLoaded();
    void setScriptsEnabled(bool enabled);
    triedit::FindDialog &findDialog();
    // Runs action once the document last put has loaded: now, if it has.
    void whenLoaded(std::function<void()> action);

    // Before the page, which shows its alerts through them.
    platform::Notices notices_;
    platform::Printers printers_;
    QWebEngineProfile *profile_;
    ContentSchemeHandler *content_;
    QPointer<QWebEngineView> view_;
    QPointer<DocumentPage> page_;
    RendererWatch *watch_;
    QPointer<triedit::FindDialog> findDialog_;
    std::function<void(const pageview::Click &)> clickHandler_;
    std::function<void(const QString &)> hoverHandler_;
    std::function<QUrl(const QUrl &)> outsideAddress_;
    std::function<void(const QUrl &)> navigationHandler_;
    std::function<void(int)> historyHandler_;
    // The URL shown: the document last put, or a file of the folder shown since.
    QUrl shownUrl_;
    // The entry of the engine's history where the URL shown was loaded; the page's own entries follow
    // it. -1 until the load has committed.
    int shownEntry_ = -1;
    // The address that the next document put has.
    QString nextPage_;
    QString nextQuery_;
    QString nextPlace_;
    // The link under the pointer now, as the band shows it.
    QString hovered_;
    // The address of the link under the pointer at the last press, as the page reported it; nullopt
    // from the press until the page's report arrives, and for a menu opened by a key.
    std::optional<QString> pressedLink_;
    bool pressReportDue_ = false;
    std::optional<QPoint> menuWaitingForPress_;
    std::function<void(const QString &, bool)> wholeBookHandler_;
    std::vector<std::function<void()>> afterLoad_;
    // What waits for whichever document loads next, not for one document (afterLoading).
    std::vector<std::function<void()>> afterLoading_;
    double zoom_ = 1;
    bool loaded_ = true;
    // The load of the document shown has begun (its later reports may come by its visible address).
    bool shownLoadStarted_ = false;
    // The render process ended since the last load began: that load's failure doesn't count.
    bool processEnded_ = false;
    bool browseMode_ = true;
    // For the document shown: how often its render process was started again, how often because its
    // script did not answer, and whether the user has been told.
    int recoveries_ = 0;
    int stoppedScripts_ = 0;
    bool toldStopped_ = false;
    std::optional<float> widthTwips_;
};
