#pragma once

namespace platform {

// Whether assistive technology is at work for this session: a screen reader, or accessibility
// switched on for the desktop (AT-SPI's own status), or Qt's accessibility already active. Asked
// once, at start; it never starts a service that isn't running, and without a session bus it is
// false at once.
bool assistiveTechnologyActive();

} // namespace platform
