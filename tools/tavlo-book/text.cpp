#include "text.h"

#include "platform/codepage.h"

#include <QStringList>

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

QString charactersOutsideCodePage(QStringView text)
{
    QStringList lacking;
    for (const char32_t c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        bool fits = true;
        platform::encodeCodePage(character, false, &fits);
        const QString named = QStringLiteral("\"%1\" (U+%2)")
                                  .arg(character, QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
        if (!fits && !lacking.contains(named))
            lacking.append(named);
    }
    return lacking.join(QStringLiteral(", "));
}
