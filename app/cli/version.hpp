#pragma once
// The program's version and the date it goes by, computed when the program
// is built (cmake/version.cmake): the project's version and, built from a git
// checkout, the commit's date and `git describe`.

#include <string_view>

namespace corvane {

// "0.1.0", or "0.1.0+git20240315.65e6f1c" from a checkout: also the Debian
// package's version and the metadata's release.
std::string_view programVersion();
// The release's day, "2024-03-15" (UTC): the commit's, in a checkout.
std::string_view releaseDate();
// The same moment as RFC 2822 wants it, "Fri, 15 Mar 2024 10:20:30 +0000".
std::string_view releaseStamp();

}  // namespace corvane
