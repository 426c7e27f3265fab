#pragma once

#include <QString>

class QWidget;

namespace platform {

// Sets the caption of a top-level window, exactly as given. The toolkit shows the program's name in
// place of an empty title; here an empty caption stays empty, on X11 by writing the window's name
// properties itself once the window exists. Elsewhere (Wayland) the toolkit's choice stands.
void setCaption(QWidget *window, const QString &caption);

} // namespace platform
