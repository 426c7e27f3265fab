#include "pageviewtest.h"

#include <platform/appfolder.h>
#include <platform/components.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value)
    : name_(name), previous_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (wasSet_)
        qputenv(name_, previous_);
    else
        qunsetenv(name_);
}

ScopedRegistry::ScopedRegistry() : env_("XDG_CONFIG_HOME", QFile::encodeName(folder_.path())) {}

void PageViewTest::SetUp()
{
    ASSERT_EQ(platform::callDllRegisterServer(controlFile()), 0);
    window = std::make_unique<QWidget>();
    view = pageview::createPageView({controlFile()}, window.get(), platform::applicationFolder());
    web = qobject_cast<QWebEngineView *>(view->widget());
    ASSERT_NE(web, nullptr);
    ASSERT_EQ(web->parentWidget(), window.get());
    view->setClickHandler([this](const pageview::Click &click) {
        ++clicks;
        lastClick = click;
        if (onClick)
            onClick();
    });
    window->resize(800, 600);
    web->resize(800, 600);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void PageViewTest::show(const QString &html)
{
    QSignalSpy loaded(web->page(), &QWebEnginePage::loadFinished);
    view->setDocumentHtml(html);
    ASSERT_TRUE(loaded.wait(20000));
    ASSERT_TRUE(loaded.constLast().constFirst().toBool());
}

QVariant PageViewTest::evaluate(const QString &script)
{
    // The callback may come after a timeout; it must not write into a finished frame.
    auto result = std::make_shared<std::optional<QVariant>>();
    web->page()->runJavaScript(script, [result](const QVariant &value) { *result = value; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result->has_value(); }, 10000)) << script.toStdString();
    return result->value_or(QVariant());
}

bool PageViewTest::waitUntil(const QString &script, int timeoutMs)
{
    return QTest::qWaitFor([&] { return evaluate(script).toBool(); }, timeoutMs);
}

void PageViewTest::click(const QString &selector)
{
    const QVariantList centre =
        evaluate(QStringLiteral("(function () { const r = document.querySelector('%1').getBoundingClientRect();"
                                " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                     .arg(selector))
            .toList();
    ASSERT_EQ(centre.size(), 2) << selector.toStdString();
    const QPoint at(qRound(centre[0].toDouble()), qRound(centre[1].toDouble()));
    QTest::mouseClick(web->focusProxy(), Qt::LeftButton, {}, at);
}

bool PageViewTest::waitForClicks(int count)
{
    return QTest::qWaitFor([&] { return clicks >= count; }, 10000);
}

QVariantMap PageViewTest::results(int count)
{
    EXPECT_TRUE(waitUntil(QStringLiteral("Object.keys(window.results).length >= %1").arg(count)));
    return evaluate(QStringLiteral("window.results")).toMap();
}
