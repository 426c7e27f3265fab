#pragma once

#include <QString>
#include <QStringView>

namespace reader {

// Text of the book (a title, a name, an excerpt, a link) as our widgets show it beside words of
// their own: in a directional isolate, so that right-to-left letters or direction marks in it
// can't reorder what stands around it, and whatever it opens ends inside it. Text that can't move
// anything (plain ASCII in a left-to-right window) comes back as it is.
QString isolated(QStringView bookText);

} // namespace reader
