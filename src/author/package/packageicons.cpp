#include "packageicons.h"

#include <QImage>

#include <type_traits>

// The size of the PNG picture at png; false when it is none.
extern "C" Q_DECL_EXPORT bool tavloIconSize(const QString &png, int *width, int *height)
{
    const QImage image(png, "PNG");
    if (image.isNull())
        return false;
    *width = image.width();
    *height = image.height();
    return true;
}

// The PNG picture at png, square, as a PNG picture of size × size pixels at target; false when it
// can't be read or written.
extern "C" Q_DECL_EXPORT bool tavloWriteIcon(const QString &png, int size, const QString &target)
{
    const QImage image(png, "PNG");
    if (image.isNull())
        return false;
    const QImage scaled =
        image.width() == size ? image : image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return scaled.save(target, "PNG");
}

// The function types are the module's contract with tavlo-book.
static_assert(std::is_same_v<decltype(&tavloIconSize), IconSizeFunction>);
static_assert(std::is_same_v<decltype(&tavloWriteIcon), WriteIconFunction>);
