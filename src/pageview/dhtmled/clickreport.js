// Reports every click of the reader in the page to the view, with the "href" of the clicked link as
// the page writes it ('' when the click met no link), and every press of a pointer with the address
// of the link under it at that moment, before the page's own handlers can change it. Runs in a
// world of its own, out of the page's reach; its listeners come first, as they are added first. Links do not navigate, apart from those to a place in the page itself: what a link leads to
// is the program's decision. Clicks that the page's own script makes (link.click(), a dispatched
// event) are no reader's: they go nowhere and are not reported.
(function () {
    'use strict';
    var view = null;
    var waiting = [];
    // The address of the link under the pointer when it last went down; null before any press.
    var atPress = null;

    new QWebChannel(qt.webChannelTransport, function (channel) {
        view = channel.objects.clickReport;
        waiting.forEach(function (call) { call(); });
        waiting = [];
    });

    function send(call) {
        if (view)
            call();
        else
            waiting.push(call);
    }

    function linkOf(target) {
        return target instanceof Element ? target.closest('a[href], area[href]') : null;
    }

    // As the engine writes a link's address where the pointer rests: resolved against the document.
    function addressOf(link) {
        var href = link.getAttribute('href');
        try { return new URL(href, document.baseURI).href; } catch (e) { return href; }
    }

    function onPress(event) {
        if (!event.isTrusted)
            return;
        var link = linkOf(event.target);
        var address = link ? addressOf(link) : '';
        atPress = address;
        send(function () { view.pressed(address); });
    }

    function onClick(event) {
        var link = linkOf(event.target);
        var href = link ? link.getAttribute('href') : '';
        if (link && (href.charAt(0) !== '#' || !event.isTrusted))
            event.preventDefault();
        if (!event.isTrusted)
            return;
        // A click that a key made counts no presses.
        var byMouse = event.detail > 0;
        var pressed = byMouse && atPress !== null ? atPress : '';
        atPress = null;
        // Reported once the click has taken its effect in the page.
        setTimeout(function () {
            send(function () { view.clicked(href, byMouse, link !== null, pressed); });
        }, 0);
    }

    // A step of the page's history beyond its own entries, from the page's world (historysteps.js).
    function onHistoryStep(event) {
        var offset = event.detail;
        if (Number.isInteger(offset) && offset !== 0)
            send(function () { view.historyStep(offset); });
    }

    // document.open() takes every listener off the window, ours too; the new document's first
    // element puts it back. Adding the same listener twice adds it once.
    function listen() {
        window.addEventListener('pointerdown', onPress, true);
        window.addEventListener('click', onClick, true);
        window.addEventListener('tavlo-history', onHistoryStep);
    }
    listen();
    new MutationObserver(listen).observe(document, {childList: true});
})();
