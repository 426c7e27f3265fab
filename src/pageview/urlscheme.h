#pragma once

namespace pageview {

// The page view serves the document it shows, and the pictures of the application folder that the
// document refers to, through this URL scheme. It has a host, so that the backslashes of the
// program's picture paths read as path separators.
inline constexpr char kUrlScheme[] = "tavlo";

} // namespace pageview
