#include "isolated.h"

#include <QGuiApplication>

#include <algorithm>

namespace reader {
namespace {

constexpr char16_t kFirstStrongIsolate = u'\u2068';
constexpr char16_t kPopDirectionalIsolate = u'\u2069';

bool opensIsolate(QChar c)
{
    return c == u'\u2066' || c == u'\u2067' || c == kFirstStrongIsolate; // LRI, RLI, FSI
}

} // namespace

QString isolated(QStringView bookText)
{
    if (!QGuiApplication::isRightToLeft() && std::all_of(bookText.begin(), bookText.end(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() < 0x7f;
        }))
        return bookText.toString();
    // A closing mark of the text's own that closes nothing of its own would close ours early; one
    // it leaves open would take ours: the first is dropped, the second closed.
    QString text;
    text.reserve(bookText.size() + 2);
    text += QChar(kFirstStrongIsolate);
    qsizetype open = 0;
    for (const QChar c : bookText) {
        if (opensIsolate(c))
            ++open;
        else if (c == kPopDirectionalIsolate && open-- == 0) {
            open = 0;
            continue;
        }
        text += c;
    }
    text += QString(open + 1, QChar(kPopDirectionalIsolate));
    return text;
}

} // namespace reader
