// Reports every click of the reader in the page to the view, with the "href" of the clicked link as
// the page writes it ('' when the click met no link). Runs in a world of its own, out of the page's
// reach. Links do not navigate, apart from those to a place in the page itself: what a link leads to
// is the program's decision. Clicks that the page's own script makes (link.click(), a dispatched
// event) are no reader's: they go nowhere and are not reported.
(function () {
    'use strict';
    var view = null;
    var waiting = [];

    new QWebChannel(qt.webChannelTransport, function (channel) {
        view = channel.objects.clickReport;
        waiting.forEach(function (click) { view.clicked(click.href, click.byMouse, click.onLink); });
        waiting = [];
    });

    function report(href, byMouse, onLink) {
        if (view)
            view.clicked(href, byMouse, onLink);
        else
            waiting.push({href: href, byMouse: byMouse, onLink: onLink});
    }

    function onClick(event) {
        var target = event.target;
        var link = target instanceof Element ? target.closest('a[href], area[href]') : null;
        var href = link ? link.getAttribute('href') : '';
        if (link && (href.charAt(0) !== '#' || !event.isTrusted))
            event.preventDefault();
        if (!event.isTrusted)
            return;
        // A click that a key made counts no presses.
        var byMouse = event.detail > 0;
        // Reported once the click has taken its effect in the page.
        setTimeout(function () { report(href, byMouse, link !== null); }, 0);
    }

    // document.open() takes every listener off the window, ours too; the new document's first
    // element puts it back. Adding the same listener twice adds it once.
    function listen() { window.addEventListener('click', onClick, true); }
    listen();
    new MutationObserver(listen).observe(document, {childList: true});
})();
