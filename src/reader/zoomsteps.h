#pragma once

namespace reader {

// The zoom factors Ctrl+plus and Ctrl+minus step through, as browsers do: the next step above and
// below now, and any factor brought within the first and last step.
double zoomedIn(double now);
double zoomedOut(double now);
double withinZoomSteps(double factor);

} // namespace reader
