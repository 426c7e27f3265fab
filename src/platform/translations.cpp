#include "translations.h"

#include "logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

void installTranslations(const QLocale &locale)
{
    // The translators live as long as the application, whose children they are.
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(locale, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        qCDebug(lcPlatform) << "no Qt translation for" << locale.name();
    // Without a translation for the locale, English: it says our plurals without "(s)".
    auto *ours = new QTranslator(QCoreApplication::instance());
    if (ours->load(locale, QStringLiteral("tavlo"), QStringLiteral("_"), QStringLiteral(":/i18n")) ||
        ours->load(QStringLiteral(":/i18n/tavlo_en")))
        QCoreApplication::installTranslator(ours);
    else
        qCDebug(lcPlatform) << "no translation of ours for" << locale.name();
}

} // namespace platform
