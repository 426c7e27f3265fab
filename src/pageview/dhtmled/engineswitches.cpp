#include "engineswitches.h"

#include <platform/assistive.h>

#include <QByteArray>

namespace {

// The request filter sees every load of a page, but not the connections that the engine opens for
// a page on its own: peer-to-peer (WebRTC, over UDP and TCP, and the names of its servers and
// peers), WebTransport over QUIC, and link hints. So:
// - no UDP at all for peer-to-peer, and its TCP only through a proxy;
// - a proxy for everything, loopback included, whose name resolves to nothing: what has to go
//   through it goes nowhere (WebTransport refuses to run over a proxy at all);
// - every host name resolves to nothing, so no name a page chooses is ever looked up;
// - no QUIC;
// - no multicast DNS names for the peer-to-peer addresses, whose responder joins the mDNS group.
constexpr const char *kSwitches[] = {
    "--force-webrtc-ip-handling-policy=disable_non_proxied_udp",
    "--proxy-server=socks5://proxy.invalid:1",
    "--proxy-bypass-list=<-loopback>",
    "\"--host-resolver-rules=MAP * ~NOTFOUND\"",
    "--disable-quic",
    "--disable-features=WebRtcHideLocalIpsWithMdns",
};

} // namespace

void setEngineSwitches()
{
    // The engine takes its switches from this variable (quoted where they hold blanks), and only
    // from it once it is set. Switches already there stay; ours come last, so they win.
    static const bool once = [] {
        QByteArray switches = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        for (const char *s : kSwitches) {
            switches.append(' ');
            switches.append(s);
        }
        // The engine builds the pages' accessibility tree only when asked, and it doesn't see a
        // screen reader that the desktop announces; without one, nothing changes.
        if (platform::assistiveTechnologyActive())
            switches.append(" --force-renderer-accessibility");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", switches.trimmed());
        return true;
    }();
    Q_UNUSED(once)
}
