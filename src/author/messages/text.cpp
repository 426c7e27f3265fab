#include "author/text.h"

QString quoted(QStringView text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

QString defectLine(const QString &fileName, const book::Defect &defect)
{
    QString line = fileName + QStringLiteral(": ");
    if (defect.page >= 0)
        line += QStringLiteral("page %1 %2: ").arg(QString::number(defect.page), quoted(defect.pageName));
    line += book::severityOf(defect.kind) == book::Severity::Error ? QStringLiteral("error: ")
                                                                   : QStringLiteral("warning: ");
    // One line per defect, whatever the link or the name holds.
    return line + QString(defect.message).replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
}
