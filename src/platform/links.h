#pragma once

#include <QUrl>

namespace platform {

// Hands a link that leads out of the book to the user's own programs: a web address (http or https
// with a host) to the web browser, a mail address (mailto:) to the mail program. Anything else is
// refused and nothing is started. Returns whether the link was handed on.
bool openLink(const QUrl &url);

} // namespace platform
