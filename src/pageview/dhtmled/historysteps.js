// Runs in the page's own world before its scripts. A page's history goes as far as the entries it
// added itself (pushState, a link to a place in it), within which the engine moves as a browser
// does; a step beyond them leaves the page, and the pages before and after are the reader's: the
// step (history.back(), history.forward(), history.go(n)) is handed to the view's click report as
// the number of entries it goes beyond the page's own, and the engine goes nowhere.
(function () {
    'use strict';
    // Taken now: a page's script may name a variable of its own "navigation".
    var navigation = window.navigation;
    if (!navigation)
        return;
    var dispatch = EventTarget.prototype.dispatchEvent;
    var Step = CustomEvent;
    var history = History.prototype;
    var go = history.go;

    // How many entries of this document lie behind (direction -1) or ahead (1) of the current one.
    function ownEntries(direction) {
        var entries = navigation.entries();
        var count = 0;
        for (var i = navigation.currentEntry.index + direction;
             i >= 0 && i < entries.length && entries[i].sameDocument; i += direction)
            ++count;
        return count;
    }

    function step(target, offset) {
        offset = Math.trunc(Number(offset)) || 0;
        var direction = Math.sign(offset);
        var own = direction === 0 || target !== window.history ? Infinity : ownEntries(direction);
        if (Math.abs(offset) <= own)
            return go.call(target, offset);
        dispatch.call(window, new Step('tavlo-history', {detail: offset - direction * own}));
    }

    history.go = function go(offset) { return step(this, offset); };
    history.back = function back() { return step(this, -1); };
    history.forward = function forward() { return step(this, 1); };
})();
