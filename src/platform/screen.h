#pragma once

#include <QSize>

namespace platform {

// Twips are 1/1440 inch: 15 twips are one pixel at 96 dots per inch. Pixels follow the screen's
// logical DPI.
double logicalDpi();
int twipsToPixels(float twips);
float pixelsToTwips(int pixels);

// The screen's size in twips, single precision.
struct ScreenTwips {
    float width;
    float height;
};
ScreenTwips screenSize();

} // namespace platform
