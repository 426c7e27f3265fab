// No path from a page to the network: the engine's own connections (peer-to-peer, QUIC, link
// hints) don't pass through the view's request filter, so they are tried here against listeners
// on this machine and a name server of the test's own.
#include "pageviewtest.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

namespace {

// Listens on one port for TCP and UDP, and, when the test runs in a network of its own whose name
// server is 127.0.0.1, answers every name lookup with 127.0.0.1. Records whatever arrives.
class NetworkWatch final : public QObject {
public:
    NetworkWatch()
    {
        EXPECT_TRUE(tcp_.listen(QHostAddress::LocalHost));
        port = tcp_.serverPort();
        EXPECT_TRUE(udp_.bind(QHostAddress::LocalHost, port));
        connect(&tcp_, &QTcpServer::newConnection, this, [this] { arrived << QStringLiteral("TCP connection"); });
        connect(&udp_, &QUdpSocket::readyRead, this, [this] {
            while (udp_.hasPendingDatagrams())
                arrived << QStringLiteral("UDP datagram of %1 bytes").arg(udp_.receiveDatagram().data().size());
        });
        watchesNames = qEnvironmentVariable("TAVLO_TEST_RESOLVER") == QLatin1String("127.0.0.1");
        if (watchesNames) {
            EXPECT_TRUE(dns_.bind(QHostAddress::LocalHost, 53));
            EXPECT_TRUE(dnsTcp_.listen(QHostAddress::LocalHost, 53));
            connect(&dns_, &QUdpSocket::readyRead, this, &NetworkWatch::answer);
            connect(&dnsTcp_, &QTcpServer::newConnection, this,
                    [this] { arrived << QStringLiteral("name lookup over TCP"); });
        }
    }

    quint16 port = 0;
    bool watchesNames = false;
    QStringList arrived;

private:
    // Answers a query with one address record, 127.0.0.1, so that a page that gets that far would
    // go on to connect to the listeners.
    void answer()
    {
        while (dns_.hasPendingDatagrams()) {
            const QNetworkDatagram query = dns_.receiveDatagram();
            const QByteArray q = query.data();
            QString name;
            qsizetype i = 12;
            while (i < q.size() && q[i] != 0) {
                const int length = uchar(q[i]);
                name += QString::fromLatin1(q.mid(i + 1, length)) + u'.';
                i += length + 1;
            }
            arrived << QStringLiteral("name lookup of %1").arg(name);
            if (q.size() < i + 5)
                continue;
            QByteArray reply = q.first(i + 5);
            reply[2] = char(0x81);
            reply[3] = char(0x80);
            reply[6] = 0;
            reply[7] = 1; // one answer
            reply.append("\xc0\x0c\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04\x7f\x00\x00\x01", 16);
            dns_.writeDatagram(reply, query.senderAddress(), quint16(query.senderPort()));
        }
    }

    QTcpServer tcp_;
    QUdpSocket udp_;
    QUdpSocket dns_;
    QTcpServer dnsTcp_;
};

// Every way a page can open a connection of its own, to the listeners by address and by name: ICE
// servers, a peer whose candidates the page writes itself, WebTransport from the page, a frame and
// a worker, and link hints.
const QString kPeerToPeer = QStringLiteral(R"(
<link rel="preconnect" href="https://127.0.0.1:PORT/">
<link rel="preconnect" href="https://preconnect.probe.test:PORT/">
<link rel="dns-prefetch" href="https://prefetch.probe.test/">
<script>
window.done = [];
const servers = [
    {urls: 'stun:127.0.0.1:PORT'},
    {urls: 'turn:127.0.0.1:PORT?transport=tcp', username: 'u', credential: 'p'},
    {urls: 'turn:127.0.0.1:PORT?transport=udp', username: 'u', credential: 'p'},
    {urls: 'stun:stun.probe.test:PORT'},
    {urls: 'turn:turn.probe.test:PORT?transport=tcp', username: 'u', credential: 'p'}];
function peer(win, name) {
    try {
        const a = new win.RTCPeerConnection({iceServers: servers});
        const b = new win.RTCPeerConnection();
        a.createDataChannel('d');
        a.onicegatheringstatechange = () => { if (a.iceGatheringState == 'complete') window.done.push(name); };
        a.createOffer().then(offer => a.setLocalDescription(offer))
            .then(() => b.setRemoteDescription(a.localDescription))
            .then(() => b.createAnswer()).then(answer => a.setRemoteDescription(answer))
            .then(() => Promise.all([
                a.addIceCandidate({sdpMid: '0', candidate: 'candidate:1 1 udp 2122260223 127.0.0.1 PORT typ host'}),
                a.addIceCandidate({sdpMid: '0', candidate: 'candidate:2 1 tcp 1518280447 127.0.0.1 PORT typ host tcptype passive'}),
                a.addIceCandidate({sdpMid: '0', candidate: 'candidate:3 1 udp 2122260223 peer.probe.test PORT typ host'})]))
            .catch(() => {});
    } catch (e) { window.done.push(name); }
}
function transport(win, url) {
    try { new win.WebTransport(url).ready.then(() => window.done.push(url), () => window.done.push(url)); }
    catch (e) { window.done.push(url); }
}
peer(window, 'peer');
transport(window, 'https://127.0.0.1:PORT/');
transport(window, 'https://transport.probe.test:PORT/');
const frame = document.createElement('iframe');
document.documentElement.appendChild(frame);
peer(frame.contentWindow, 'peer in a frame');
transport(frame.contentWindow, 'https://127.0.0.1:PORT/frame');
const worker = new Worker(URL.createObjectURL(new Blob([
    "try { new WebTransport('https://127.0.0.1:PORT/worker').ready.catch(() => postMessage(1)); }" +
    "catch (e) { postMessage(1); }"])));
worker.onmessage = () => window.done.push('worker');
</script>)");

TEST_F(PageViewTest, NoPacketReachesTheNetworkFromAPage)
{
    NetworkWatch network;
    if (!network.watchesNames)
        std::cerr << "not in a network of its own: name lookups are not watched\n";
    show(QString(kPeerToPeer).replace(QLatin1String("PORT"), QString::number(network.port)));

    // Each attempt ends, one way or the other: two peers done gathering, four transports.
    EXPECT_TRUE(waitUntil(QStringLiteral("window.done.length >= 6"), 30000))
        << evaluate(QStringLiteral("window.done.join(', ')")).toString().toStdString();
    // Connectivity checks to a peer's candidates begin once gathering is done and go on for seconds;
    // unprotected, the first packets come within the first second. Nothing signals that no packet
    // will come, so this one wait stays fixed: long enough for the first packets, and bounded.
    QTest::qWait(3000);
    EXPECT_EQ(network.arrived, QStringList());
    // Nor does the engine join the multicast DNS group to name a peer's addresses: no socket of this
    // network (the test's own) listens on its port.
    if (network.watchesNames) {
        for (const char *table : {"/proc/net/udp", "/proc/net/udp6"}) {
            QFile sockets(QString::fromLatin1(table));
            ASSERT_TRUE(sockets.open(QIODevice::ReadOnly | QIODevice::Text));
            EXPECT_FALSE(sockets.readAll().contains(":14E9 ")) << table << " has a socket on port 5353";
        }
    }
}

} // namespace
