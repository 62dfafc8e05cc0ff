#include "platform/ui/tree/font.hpp"

namespace corvane {

std::string_view weightName(FontWeight w) {
  switch (w) {
    case FontWeight::medium: return "medium";
    case FontWeight::semibold: return "semibold";
    case FontWeight::bold: return "bold";
  }
  return "";
}

std::string_view designName(FontDesign) { return "monospaced"; }

}  // namespace corvane
