#pragma once

namespace platform {

// A blocking pause of the program: no command or click of the user runs before it ends (their input
// waits and is taken afterwards), but the windows keep repainting. Only a modal window that stands
// meanwhile, such as a progress window, takes the user's input.
void sleep(int milliseconds);

} // namespace platform
