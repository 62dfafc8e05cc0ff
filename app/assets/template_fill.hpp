#pragma once
// Templates of data/ filled with the widget's names and version.

#include <map>
#include <string>

namespace corvane {

// `text` with each @KEY@ replaced by its value, escaped for the kind of file
// the template `name` is: XML (".xml.in"), a CMake string (".cmake.in"), or
// else a desktop entry or unit (a backslash is doubled). A value that is its
// own @KEY@ keeps the key for a later step. An @ outside a key (an e-mail
// address) stays. Throws std::invalid_argument for a key without a value.
std::string fillTemplate(const std::string& name, const std::string& text,
                         const std::map<std::string, std::string>& values);

}  // namespace corvane
