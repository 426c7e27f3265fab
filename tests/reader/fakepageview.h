#pragma once

#include <pageview/pageview.h>

#include <QStringList>
#include <QWidget>

#include <functional>

// A page view that shows nothing and records what the reader asks of it.
class FakePageView final : public pageview::PageView {
public:
    QWidget *widget() override { return &widget_; }

    void setDocumentHtml(const QString &html) override
    {
        document = html;
        calls << QStringLiteral("put");
        if (onPut)
            onPut(html);
    }
    void scrollToPlace(const QString &place) override { calls << QStringLiteral("place:") + place; }
    QString activeElementHref() const override
    {
        ++hrefReads;
        return href;
    }
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
    void execCommand(int command, int option) override
    {
        calls << QStringLiteral("exec:%1,%2").arg(command).arg(option);
    }
    void setLeft(float twips) override { left = twips; }
    void setTop(float twips) override { top = twips; }
    void setWidth(float twips) override { width_ = widthLimit > 0 && twips > widthLimit ? widthLimit : twips; }
    void setHeight(float twips) override { height = twips; }
    float width() const override { return width_; }
    void setClickHandler(std::function<void()> handler) override { clickHandler = std::move(handler); }

    // Reports a click on an element whose "href" is the given one.
    void click(const QString &clickedHref)
    {
        href = clickedHref;
        clickHandler();
    }

    QString document;
    QString href;
    mutable int hrefReads = 0;
    std::optional<bool> browseMode;
    QStringList calls;
    QStringList printed;
    QList<pageview::PrintResult> printResults; // what the next prints give; then Printed
    std::function<void(const QString &)> onPut;
    float left = 0, top = 0, height = 0;
    float widthLimit = 0; // when set, the view takes no more than this width
    std::function<void()> clickHandler;

private:
    float width_ = 0;
    QWidget widget_;
};
