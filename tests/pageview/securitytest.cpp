// What a page may reach: its own content and the application folder's files, nothing else.
#include "pageviewtest.h"

#include <platform/appfolder.h>

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {

using PageViewSecurity = PageViewTest;

TEST_F(PageViewSecurity, BlocksEveryRequestToAHost)
{
    QTcpServer host;
    ASSERT_TRUE(host.listen(QHostAddress::LocalHost));
    QSignalSpy connected(&host, &QTcpServer::newConnection);
    const QString base = QStringLiteral("127.0.0.1:%1").arg(host.serverPort());

    show(kRecorder + QStringLiteral("<link rel=\"stylesheet\" href=\"http://%1/style.css\">"
                                    "<iframe src=\"http://%1/frame.html\"></iframe>"
                                    "<script>"
                                    "picture('picture', 'http://%1/rose.gif');"
                                    "picture('secure picture', 'https://%1/rose.gif');"
                                    "attempt('fetch', fetch('http://%1/data'));"
                                    "read('request', 'http://%1/data');"
                                    "const socket = new WebSocket('ws://%1/socket');"
                                    "socket.onopen = () => record('socket', 'loaded');"
                                    "socket.onerror = () => record('socket', 'blocked');"
                                    "</script>")
                         .arg(base));
    const QVariantMap outcome = results(5);
    for (auto it = outcome.begin(); it != outcome.end(); ++it)
        EXPECT_EQ(it.value().toString(), QStringLiteral("blocked")) << it.key().toStdString();
    EXPECT_EQ(connected.count(), 0);
}

TEST_F(PageViewSecurity, ServesNoFileOutsideTheApplicationFolder)
{
    const QString inside = platform::applicationFolder() + QStringLiteral("/images/Rose.gif");
    QTemporaryDir outsideFolder;
    const QString outside = outsideFolder.filePath(QStringLiteral("rose.gif"));
    ASSERT_TRUE(QFile::copy(inside, outside));
    // A link inside the application folder that leads out of it.
    const QString link = platform::applicationFolder() + QStringLiteral("/images/link-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".gif");
    ASSERT_TRUE(QFile::link(outside, link));
    const auto removeLink = qScopeGuard([&] { QFile::remove(link); });

    show(kRecorder + QStringLiteral("<script>"
                                    "picture('inside', '%1');"
                                    "picture('outside', '%2');"
                                    "picture('outside by file URL', 'file://%2');"
                                    "picture('inside by file URL', 'file://%1');"
                                    "picture('link leading out', '%3');"
                                    "picture('climbing out', '%4/images/../../../../../../..%2');"
                                    "read('script reading a file', '/etc/hostname');"
                                    "read('script reading a file URL', 'file:///etc/hostname');"
                                    "attempt('script fetching a file URL', fetch('file:///etc/hostname'));"
                                    "</script>")
                         .arg(inside, outside, link, platform::applicationFolder()));
    QVariantMap outcome = results(9);
    EXPECT_EQ(outcome.take(QStringLiteral("inside")).toString(), QStringLiteral("loaded"));
    for (auto it = outcome.begin(); it != outcome.end(); ++it)
        EXPECT_EQ(it.value().toString(), QStringLiteral("blocked")) << it.key().toStdString();
}

TEST_F(PageViewSecurity, OnlyTheReadersOwnClicksAreReported)
{
    // The page clicks its link every millisecond and dispatches clicks of its own, a hundred times;
    // then a page replaces its document, whose links the reader clicks too.
    show(QStringLiteral("<a id=\"own\" href=\"http://example.org/\">web</a>"
                        "<script>window.made = 0;"
                        "const own = document.getElementById('own');"
                        "const clicking = setInterval(() => {"
                        "    own.click(); own.dispatchEvent(new MouseEvent('click', {bubbles: true}));"
                        "    if (++window.made == 100) clearInterval(clicking); }, 1);"
                        "</script>"));
    EXPECT_TRUE(waitUntil(QStringLiteral("window.made == 100"), 30000));
    // The reader's click comes after all of them, so a report of any would come first.
    click(QStringLiteral("#own"));
    ASSERT_TRUE(waitForClicks(1));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lastClick.href, QStringLiteral("http://example.org/"));

    show(QStringLiteral("<script>document.open(); document.write('<a id=\"new\" href=\"target\">new</a>');"
                        "document.close();</script>"));
    EXPECT_TRUE(waitUntil(QStringLiteral("document.getElementById('new') !== null")));
    click(QStringLiteral("#new"));
    ASSERT_TRUE(waitForClicks(2));
    EXPECT_EQ(lastClick.href, QStringLiteral("target"));
}

TEST_F(PageViewSecurity, NothingThePageAsksForWaitsForTheUser)
{
    QTemporaryDir logFolder;
    const QString log = logFolder.filePath(QStringLiteral("messages.log"));
    const ScopedEnv messages("TAVLO_MESSAGE_LOG", QFile::encodeName(log));
    show(QStringLiteral("<a id=\"here\" href=\"#\">here</a><script>"
                        "alert('from the page');"
                        "window.answers = [confirm('sure?'), prompt('name?', 'x')];"
                        "window.addEventListener('beforeunload', e => { e.preventDefault(); e.returnValue = 'stay'; });"
                        "</script>"));
    EXPECT_EQ(evaluate(QStringLiteral("JSON.stringify(window.answers)")).toString(), QStringLiteral("[false,null]"));
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("from the page\n"));

    // Once the reader has clicked in it, the page would ask before it is left; it is left at once.
    click(QStringLiteral("#here"));
    ASSERT_TRUE(waitForClicks(1));
    show(QStringLiteral("<p id=\"next\">the next page</p>"));
    EXPECT_TRUE(evaluate(QStringLiteral("document.getElementById('next') !== null")).toBool());
}

} // namespace
