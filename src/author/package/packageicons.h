#pragma once

#include <QString>

// The package's icons, read and scaled by a module of their own, tavlo-book-icons, which tavlo-book
// loads from the reader's folder only when it makes a package: pictures need Qt Gui, and loading it
// with what it links would cost every other command of tavlo-book its start.

// The module's functions, by these names.
using IconSizeFunction = bool (*)(const QString &png, int *width, int *height);
using WriteIconFunction = bool (*)(const QString &png, int size, const QString &target);
inline constexpr char kIconSizeFunction[] = "tavloIconSize";
inline constexpr char kWriteIconFunction[] = "tavloWriteIcon";
