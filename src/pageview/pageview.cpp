#include "pageview.h"

#include "logging.h"

#include <platform/components.h>
#include <platform/failure.h>

#include <QWidget>

namespace pageview {

PageView *createPageView(const QStringList &componentFiles, QWidget *parent, const QString &applicationFolder)
{
    QObject *object = platform::createComponent(QString::fromLatin1(kClassName), componentFiles, parent);
    auto *view = qobject_cast<PageView *>(object);
    if (!view) {
        delete object;
        throw platform::Failure(platform::error::CannotCreateComponent,
                                QStringLiteral("ActiveX component can't create object: class \"%1\" gives no page view")
                                    .arg(QString::fromLatin1(kClassName)));
    }
    qCDebug(lcPageView) << "the page view comes from"
                        << platform::registeredComponentFile(QString::fromLatin1(kClassName));
    view->setApplicationFolder(applicationFolder);
    return view;
}

} // namespace pageview
