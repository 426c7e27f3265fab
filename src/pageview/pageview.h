#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

namespace pageview {

// The page view's class name in the component registry.
inline constexpr char kClassName[] = "DHTMLEDLibCtl.DHTMLEdit";

// The operations of the page view by their dispatch ids.
namespace dispid {
inline constexpr int DocumentHtml = 17; // put: the complete HTML to show
inline constexpr int Document = 6;      // get: the shown document, whose active element a click reports
inline constexpr int BrowseMode = 26;   // put: true reads, false edits
inline constexpr int Print = 28;        // method: print, with or without the print dialog
inline constexpr int ExecCommand = 2;   // method: a command of the view's command set
inline constexpr int Left = 0x80010003; // window placement, twips
inline constexpr int Top = 0x80010004;
inline constexpr int Width = 0x80010005;
inline constexpr int Height = 0x80010006;
} // namespace dispid

// Commands of the view's command set.
namespace command {
inline constexpr int Find = 5008; // opens the view's find dialog over the page
inline constexpr int DefaultOption = 0;
} // namespace command

// How a print ended.
enum class PrintResult {
    Printed,
    Cancelled, // the user cancelled the print dialog
    NoPrinter, // no printer is installed; the user has been told
    Failed,    // the page did not print within the time allowed, its script holding it up
};

// A click of the user inside the shown page, as the view reports it.
struct Click {
    // dispid::Document: the "href" attribute of the element the click made active, as written in the
    // page; empty when it has none (plain text, a picture outside a link).
    QString href;
    // The address of the link that was under the pointer when its button went down, found at that
    // moment (a page's script may change a link's "href" as it is pressed); empty when none was;
    // nullopt when the click came from the keyboard.
    std::optional<QString> linkAtPress;
};

// The HTML page view, as the reader sees it: an interface of the control's object, which lives in the
// control's component file, is created through the component registry as a child of the window that
// shows it, and is reached by qobject_cast. No failure crosses from the control into the program:
// an operation that can fail says so in what it returns.
class PageView {
public:
    virtual ~PageView() = default;

    // The widget to place in the reader window; a child of it from the start.
    virtual QWidget *widget() = 0;

    // The folder whose files the pages may use (the application folder): their pictures, style
    // sheets, scripts and fonts come from there, and from nowhere else.
    virtual void setApplicationFolder(const QString &folder) = 0;

    // dispid::DocumentHtml: replaces the shown document with html, of any size. Returns at once;
    // the view renders it in the background.
    virtual void setDocumentHtml(const QString &html) = 0;

    // Scrolls the document last put so that the element whose id, else whose name, is place stands at
    // the top of the view, or to the top of the page when it has none. A document that is still
    // loading is scrolled once it has loaded.
    virtual void scrollToPlace(const QString &place) = 0;

    // Where the page shown is scrolled to, in the page's own pixels; scrollTo() puts the document last
    // put there, once it has loaded.
    virtual QPointF scrollPosition() const = 0;
    virtual void scrollTo(QPointF position) = 0;

    // Highlights every occurrence of text in the document last put and scrolls to the first, once it
    // has loaded; an empty text takes the highlight away.
    virtual void highlight(const QString &text, bool matchCase) = 0;

    // The zoom of the pages shown, 0.25 to 5 (1 is none); it holds for every document put after.
    // Printing is never zoomed.
    virtual void setZoomFactor(double factor) = 0;
    virtual double zoomFactor() const = 0;

    // dispid::BrowseMode: true, the page is read-only and its links work; false, it is editable.
    virtual void setBrowseMode(bool browse) = 0;

    // dispid::Print: prints the document the view holds. With showDialog true the print dialog comes
    // first; without an argument it goes straight to the default printer. Returns only when the
    // document has finished loading and printing has finished, or has been given up after a bounded
    // time; meanwhile the user's input waits and the windows keep repainting.
    virtual PrintResult print(std::optional<bool> showDialog = std::nullopt) = 0;

    // dispid::ExecCommand: carries out a command of the view's command set (command::Find). False
    // when the view has no such command.
    virtual bool execCommand(int command, int option) = 0;

    // Opens the find dialog with text to find in the page shown, found at once.
    virtual void findInPage(const QString &text, bool matchCase) = 0;
    // The find dialog offers a "Whole book" switch while a handler is set: switching it on closes the
    // dialog and hands its text and letter case setting to handler.
    virtual void setWholeBookHandler(std::function<void(const QString &text, bool matchCase)> handler) = 0;

    // Window placement in twips (dispid::Left to dispid::Height). width() reads the width back.
    virtual void setLeft(float twips) = 0;
    virtual void setTop(float twips) = 0;
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;
    virtual float width() const = 0;

    // The click report: called for every click of the user inside the shown page, after the click
    // has taken effect, with what the click met. The handler may put a new document. The view itself
    // follows no link but those to a place in the shown page.
    virtual void setClickHandler(std::function<void(const Click &click)> handler) = 0;

    // The address the document put next has, as its scripts see it (location.search, location.hash):
    // query without its "?" and place without its "#", as a browser sent to that address would show
    // them. It holds for that one document.
    virtual void setDocumentAddress(const QString &query, const QString &place) = 0;
    // The page the document put next is, by its name: its address's path from the book's root (a
    // name with folders puts the page in them, and its relative URLs resolve from there, as on a web
    // server). It holds for that one document; without it, the document lies at the root.
    virtual void setDocumentPage(const QString &name) = 0;

    // Shows the file of the application folder that path names (relative to the folder, as a URL's
    // path), in place of the document, as a browser shows a file it is sent to. The view serves it
    // only under the rule for every file of the folder.
    virtual void showFile(const QString &path) = 0;

    // A navigation within the book that the view doesn't follow itself: a form sent to a page of the
    // book, a script setting location to one, a link to the page itself (href=""). target is relative
    // to the folder: its path (decoded; empty for the page itself or the root), its query and
    // fragment. The handler may put a new document. Nothing leaves the book this way.
    virtual void setNavigationHandler(std::function<void(const QUrl &target)> handler) = 0;

    // Goes one entry back (offset -1) or forward (1) among those that the page shown added to its own
    // history (pushState, a link to a place in it), as a browser's Back and Forward do before they
    // leave a page: the address changes, and the page's script follows it; nothing is loaded. False
    // when the page has no entry of its own that way.
    virtual bool goWithinPage(int offset) = 0;
    // A page's script going back (offset < 0) or forward in its history beyond the entries it added
    // itself (history.back(), history.forward(), history.go(offset)): by that many entries of the
    // reader's history, which the handler walks. Nothing else is done with it.
    virtual void setHistoryHandler(std::function<void(int offset)> handler) = 0;

    // The address of the link under the pointer, as the view resolved it, each time it changes;
    // empty when the pointer leaves the link.
    virtual void setLinkHoverHandler(std::function<void(const QString &url)> handler) = 0;

    // Runs task once the document shown has loaded, or at once when it has; a document put meanwhile
    // is waited for in its place. For work that nobody waits for, which would slow the first page.
    virtual void afterLoading(std::function<void()> task) = 0;

    // Which links lead out of the book, as the program decides it for a click: "Copy link address"
    // offers those (as the address a click opens), beside links to pages of the book.
    virtual void setOutsideLinkRule(std::function<QUrl(const QUrl &url)> outsideAddress) = 0;
};

// Creates the page view through the component registry, from one of componentFiles, the files of
// the control that the program trusts, as a child of parent, serving applicationFolder. Fails with
// 429 when the control is not registered, is registered to any other file, or its file can't be
// loaded or doesn't give a page view.
PageView *createPageView(const QStringList &componentFiles, QWidget *parent, const QString &applicationFolder);

// Makes the URL scheme through which the page view serves its pages known to the web engine. Call it
// once in main, before the application object exists.
void registerUrlScheme();

} // namespace pageview

#define TavloPageView_iid "org.tavlo.PageView/7"
Q_DECLARE_INTERFACE(pageview::PageView, TavloPageView_iid)
