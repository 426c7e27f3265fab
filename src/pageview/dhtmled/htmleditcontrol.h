#pragma once

#include <pageview/pageview.h>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWebEnginePage>

#include <functional>
#include <optional>

class ContentSchemeHandler;
class DocumentPage;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace triedit {
class FindDialog;
}

// The page view control: a web view with a profile of its own, which shows the document the program
// puts, serves it and the application folder's pictures through the view's URL scheme, blocks all
// other loads, reports clicks, prints and finds.
class HtmlEditControl final : public QObject, public pageview::PageView {
    Q_OBJECT

public:
    HtmlEditControl();
    ~HtmlEditControl() override;

    QWidget *widget() override;
    void setDocumentHtml(const QString &html) override;
    QString activeElementHref() const override { return activeHref_; }
    void setBrowseMode(bool browse) override;
    void print(std::optional<bool> showDialog) override;
    void execCommand(int command, int option) override;
    void setLeft(float twips) override;
    void setTop(float twips) override;
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    float width() const override;
    void setClickHandler(std::function<void()> handler) override { clickHandler_ = std::move(handler); }

signals:
    // The document last put has finished loading, or won't.
    void documentLoaded();

private:
    // The view and its page; both fail once the window that held the view has deleted it.
    QWebEngineView &view() const;
    DocumentPage &page() const;
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onClickReported(const QString &href);
    void onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);
    void releaseHeldClicks();
    void applyBrowseMode(DocumentPage &page);
    void waitUntilLoaded();

    QWebEngineProfile *profile_;
    ContentSchemeHandler *content_;
    QPointer<QWebEngineView> view_;
    QPointer<DocumentPage> page_;
    QPointer<triedit::FindDialog> findDialog_;
    std::function<void()> clickHandler_;
    QString activeHref_;
    bool loaded_ = true;
    bool browseMode_ = true;
    // While printing, the program waits in print(); clicks that arrive meanwhile wait too.
    bool printing_ = false;
    QStringList heldClicks_;
    int recoveries_ = 0;
    std::optional<float> widthTwips_;
};
