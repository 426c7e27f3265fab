#include "announcement.h"

#include <platform/assistive.h>

#include <QAccessible>

namespace reader {
namespace {

// The role must be known before the first announcement is made: its interface is made with it.
QWidget *asNotification(QWidget *window)
{
    platform::showAs(Announcement::staticMetaObject.className(), QAccessible::Notification);
    return window;
}

} // namespace

Announcement::Announcement(QWidget *window) : QWidget(asNotification(window))
{
    setObjectName(QStringLiteral("announcement"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcement::say(const QString &text)
{
    if (!QAccessible::isActive())
        return;
    hide();
    setAccessibleName(text);
    show();
}

} // namespace reader
