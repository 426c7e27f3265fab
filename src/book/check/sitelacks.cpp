#include "sitelacks.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace book {
namespace {

QJsonObject toJson(const QHash<QString, QSet<QString>> &lists)
{
    QJsonObject object;
    for (auto list = lists.constBegin(); list != lists.constEnd(); ++list) {
        QStringList references(list->begin(), list->end());
        references.sort();
        object.insert(list.key(), QJsonArray::fromStringList(references));
    }
    return object;
}

// An object of string lists, as written; false at anything else.
bool fromJson(const QJsonValue &value, QHash<QString, QSet<QString>> &lists)
{
    if (value.isUndefined())
        return true;
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    for (auto list = object.constBegin(); list != object.constEnd(); ++list) {
        if (!list->isArray())
            return false;
        QSet<QString> &references = lists[list.key()];
        for (const QJsonValue reference : list->toArray()) {
            if (!reference.isString())
                return false;
            references.insert(reference.toString());
        }
    }
    return true;
}

} // namespace

QByteArray writeSiteLacks(const SiteLacks &lacks)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("pages"), toJson(lacks.pages)},
                                     {QStringLiteral("styleSheets"), toJson(lacks.styleSheets)}})
        .toJson(QJsonDocument::Indented);
}

SiteLacks readSiteLacks(QByteArrayView bytes, QString *problem)
{
    const auto fail = [&](const QString &why) {
        if (problem)
            *problem = why;
        return SiteLacks();
    };
    if (bytes.size() > kLargestSiteLacks)
        return fail(QStringLiteral("is larger than %1 MiB").arg(kLargestSiteLacks >> 20));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return fail(QStringLiteral("is no JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset));
    SiteLacks lacks;
    if (!document.isObject() || !fromJson(document.object().value(u"pages"), lacks.pages) ||
        !fromJson(document.object().value(u"styleSheets"), lacks.styleSheets))
        return fail(QStringLiteral("is not a record of references: an object of \"pages\" and \"styleSheets\", "
                                   "each of lists of text"));
    if (problem)
        problem->clear();
    return lacks;
}

SiteLacks loadSiteLacks(const QString &bookFile, QString *problem)
{
    if (problem)
        problem->clear();
    const QString path = QFileInfo(bookFile).absolutePath() + u'/' + QLatin1String(kSiteLacksFileName);
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    QString why;
    SiteLacks lacks;
    if (!S_ISREG(status.st_mode)) {
        why = QStringLiteral("is no regular file");
    } else if (status.st_size > kLargestSiteLacks) {
        why = QStringLiteral("is larger than %1 MiB").arg(kLargestSiteLacks >> 20);
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            why = QStringLiteral("can't be read: %1").arg(file.errorString());
        else
            lacks = readSiteLacks(file.read(kLargestSiteLacks + 1), &why);
    }
    if (problem && !why.isEmpty())
        *problem = path + QStringLiteral(": ") + why;
    return lacks;
}

} // namespace book
