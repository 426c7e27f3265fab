#pragma once

#include <pageview/pageview.h>

#include <QStringList>
#include <QWidget>

#include <functional>

// A page view that shows nothing and records what the reader asks of it: what it shows and prints
// by itself, and in calls everything it received in order, where the order is the point.
class FakePageView final : public QObject, public pageview::PageView {
    Q_OBJECT
    Q_INTERFACES(pageview::PageView)

public:
    explicit FakePageView(QWidget *window) : QObject(window), widget_(new QWidget(window)) {}

    QWidget *widget() override { return widget_; }
    void setApplicationFolder(const QString &folder) override { applicationFolder = folder; }

    void setDocumentHtml(const QString &html) override
    {
        document = html;
        documents << html;
        calls << QStringLiteral("put");
        entriesBehind = entriesAhead = 0;
        if (onPut)
            onPut(html);
    }
    // Its documents have loaded as soon as they are put.
    void afterLoading(std::function<void()> task) override { task(); }
    void scrollToPlace(const QString &place) override { calls << QStringLiteral("place:") + place; }
    QPointF scrollPosition() const override { return scroll; }
    void scrollTo(QPointF position) override
    {
        scroll = position;
        calls << QStringLiteral("scroll:%1,%2").arg(position.x()).arg(position.y());
    }
    void highlight(const QString &text, bool matchCase) override
    {
        highlighted = text;
        calls << QStringLiteral("highlight:%1%2").arg(text, matchCase ? QStringLiteral(",case") : QString());
    }
    void setZoomFactor(double factor) override { zoom = factor; }
    double zoomFactor() const override { return zoom; }
    void setBrowseMode(bool browse) override
    {
        browseMode = browse;
        calls << (browse ? QStringLiteral("browse:true") : QStringLiteral("browse:false"));
    }
    pageview::PrintResult print(std::optional<bool> showDialog) override
    {
        printed << (showDialog.has_value() ? QStringLiteral("dialog:") + document : document);
        calls << QStringLiteral("print");
        return printResults.isEmpty() ? pageview::PrintResult::Printed : printResults.takeFirst();
    }
    bool execCommand(int command, int option) override
    {
        calls << QStringLiteral("exec:%1,%2").arg(command).arg(option);
        return command == pageview::command::Find;
    }
    void findInPage(const QString &text, bool matchCase) override
    {
        calls << QStringLiteral("find:%1%2").arg(text, matchCase ? QStringLiteral(",case") : QString());
    }
    void setWholeBookHandler(std::function<void(const QString &, bool)> handler) override
    {
        wholeBookHandler = std::move(handler);
    }
    void setLeft(float twips) override { left = twips; }
    void setTop(float twips) override { top = twips; }
    void setWidth(float twips) override { width_ = widthLimit > 0 && twips > widthLimit ? widthLimit : twips; }
    void setHeight(float twips) override { height = twips; }
    float width() const override { return width_; }
    void setClickHandler(std::function<void(const pageview::Click &)> handler) override
    {
        clickHandler = std::move(handler);
    }
    void setLinkHoverHandler(std::function<void(const QString &)> handler) override
    {
        hoverHandler = std::move(handler);
    }
    void setOutsideLinkRule(std::function<QUrl(const QUrl &)> rule) override { outsideAddress = std::move(rule); }
    void setDocumentAddress(const QString &query, const QString &place) override
    {
        addresses << QStringLiteral("%1#%2").arg(query, place);
    }
    void setDocumentPage(const QString &name) override { page = name; }
    void showFile(const QString &path) override { calls << QStringLiteral("file:") + path; }
    void setNavigationHandler(std::function<void(const QUrl &)> handler) override
    {
        navigationHandler = std::move(handler);
    }
    bool goWithinPage(int offset) override
    {
        int &from = offset < 0 ? entriesBehind : entriesAhead;
        int &to = offset < 0 ? entriesAhead : entriesBehind;
        if (from == 0)
            return false;
        --from;
        ++to;
        return true;
    }
    void setHistoryHandler(std::function<void(int)> handler) override { historyHandler = std::move(handler); }

    // Reports a click on an element whose "href" is the given one.
    void click(const QString &href) { clickHandler({href, pressedOn}); }

    QString document;
    QString page;          // the name of the page of the next document
    QStringList documents; // every document put, in order
    std::optional<bool> browseMode;
    QStringList calls;
    QStringList addresses; // the query and place of each address given, "query#place"
    QStringList printed;
    QPointF scroll;
    QString highlighted;
    double zoom = 1;
    QList<pageview::PrintResult> printResults; // what the next prints give; then Printed
    std::function<void(const QString &)> onPut;
    float left = 0, top = 0, height = 0;
    float widthLimit = 0; // when set, the view takes no more than this width
    std::function<void(const pageview::Click &)> clickHandler;
    std::function<void(const QString &)> hoverHandler;
    std::function<QUrl(const QUrl &)> outsideAddress;
    std::function<void(const QUrl &)> navigationHandler;
    std::function<void(int)> historyHandler;
    // The entries the page shown added to its own history, behind and ahead of where it is.
    int entriesBehind = 0;
    int entriesAhead = 0;
    std::optional<QString> pressedOn; // nullopt: clicks come from the keyboard
    std::function<void(const QString &, bool)> wholeBookHandler;

    QString applicationFolder;

private:
    float width_ = 0;
    QWidget *widget_;
};
