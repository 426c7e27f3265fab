#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace reader {

// Whether url is the link shown under the pointer when the mouse button of a click went down
// (shown; none for a key's click, which has no pointer to go by). A page's script can change a
// link's target as the button goes down: what opens is only what the band showed then.
bool wasShownAtPress(const QUrl &url, const std::optional<QString> &shown);

} // namespace reader
