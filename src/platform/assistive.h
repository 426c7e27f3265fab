#pragma once

#include <QAccessible>

namespace platform {

// Whether assistive technology is at work for this session: a screen reader, or accessibility
// switched on for the desktop (AT-SPI's own status), or Qt's accessibility already active. Asked
// once, at start; it never starts a service that isn't running, and without a session bus it is
// false at once.
bool assistiveTechnologyActive();

// Shows the widgets of the class named (as its meta-object names it) to assistive technology in the
// role given. Qt shows every QFrame as a window's frame, which a screen reader takes for a window in
// the background, and drops the focus events in it: a panel drawn with a frame is a Pane instead. To
// hold, it must be said before the first widget of the class is made; saying it again changes nothing.
void showAs(const char *className, QAccessible::Role role);

} // namespace platform
