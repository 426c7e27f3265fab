#include "assistive.h"

#include "logging.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QHash>
#include <QWidget>

namespace platform {
namespace {

// The desktop's accessibility status lies with the service that starts the accessibility bus.
bool atSpiStatus(const char *property)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << QStringLiteral("org.a11y.Status") << QString::fromLatin1(property);
    ask.setAutoStartService(false);
    constexpr int kTimeoutMs = 200;
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return false;
    return answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

QHash<QString, QAccessible::Role> &roleOfClass()
{
    static QHash<QString, QAccessible::Role> roles;
    return roles;
}

QAccessibleInterface *widgetInItsRole(const QString &className, QObject *object)
{
    const auto role = roleOfClass().constFind(className);
    if (!object || !object->isWidgetType() || role == roleOfClass().cend())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), *role);
}

} // namespace

void showAs(const char *className, QAccessible::Role role)
{
    if (roleOfClass().isEmpty())
        QAccessible::installFactory(widgetInItsRole);
    roleOfClass().insert(QString::fromLatin1(className), role);
}

bool assistiveTechnologyActive()
{
    if (qEnvironmentVariableIntValue("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") != 0 || QAccessible::isActive())
        return true;
    const bool active = atSpiStatus("ScreenReaderEnabled") || atSpiStatus("IsEnabled");
    qCDebug(lcPlatform) << "assistive technology:" << active;
    return active;
}

} // namespace platform
