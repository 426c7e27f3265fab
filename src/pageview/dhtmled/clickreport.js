// Reports every click in the page to the view, with the "href" of the clicked link as the page
// writes it ('' when the click met no link). Runs in a world of its own, out of the page's reach.
// Links do not navigate, apart from those to a place in the page itself: what a link leads to is
// the program's decision.
(function () {
    'use strict';
    var view = null;
    var waiting = [];

    new QWebChannel(qt.webChannelTransport, function (channel) {
        view = channel.objects.clickReport;
        waiting.forEach(function (href) { view.clicked(href); });
        waiting = [];
    });

    function report(href) {
        if (view)
            view.clicked(href);
        else
            waiting.push(href);
    }

    window.addEventListener('click', function (event) {
        var target = event.target;
        var link = target instanceof Element ? target.closest('a[href], area[href]') : null;
        var href = link ? link.getAttribute('href') : '';
        if (link && href.charAt(0) !== '#')
            event.preventDefault();
        // Reported once the click has taken its effect in the page.
        setTimeout(function () { report(href); }, 0);
    }, true);
})();
