#include "app/cli/version.hpp"

#include "corvane_version.h"

namespace corvane {

std::string_view programVersion() { return CORVANE_VERSION; }
std::string_view releaseDate() { return CORVANE_RELEASE_DATE; }
std::string_view releaseStamp() { return CORVANE_RELEASE_STAMP; }

}  // namespace corvane
