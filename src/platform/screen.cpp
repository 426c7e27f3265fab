#include "screen.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {

double logicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

int twipsToPixels(float twips)
{
    return int(std::lround(double(twips) * logicalDpi() / 1440.0));
}

float pixelsToTwips(int pixels)
{
    return float(double(pixels) * 1440.0 / logicalDpi());
}

ScreenTwips screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    return {pixelsToTwips(size.width()), pixelsToTwips(size.height())};
}

} // namespace platform
