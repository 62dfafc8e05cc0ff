#pragma once
// A manual page in roff (man macros) for a command line and the prose that
// goes around it.

#include <string>
#include <vector>

#include "app/assets/cli_reference.hpp"

namespace corvane {

// One tagged paragraph: the term is set in bold (a status, a variable, a
// path, a command line), the text under it.
struct ManualItem {
  std::string term;
  std::string text;
};

struct ManualSection {
  std::string heading;  // "EXIT STATUS"
  std::vector<std::string> paragraphs;
  std::vector<ManualItem> items;  // after the paragraphs
};

struct ManualPage {
  int section = 1;
  std::string date;     // "2024-03-15"
  std::string source;   // "corvane-widget 0.1.0"
  std::string manual;   // "User Commands"
  std::string summary;  // NAME's line after the dash
  std::vector<std::string> description;
  std::vector<ManualSection> sections;  // after OPTIONS and COMMANDS
};

// NAME, SYNOPSIS, DESCRIPTION, OPTIONS (the program's own), COMMANDS (each
// subcommand with its arguments and options), then `page.sections`. Every
// text is escaped for roff; characters beyond ASCII are written as groff's
// \[uXXXX], so the page reads the same in any locale.
std::string manualPage(const CommandReference& command, const ManualPage& page);

// `text` escaped for roff: backslashes, minus signs, and a control
// character at the start of a line.
std::string roffText(const std::string& text);

}  // namespace corvane
