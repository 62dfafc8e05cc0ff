#include "app/assets/manual_page.hpp"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace corvane {
namespace {

// The code point of the UTF-8 sequence at `i`, moving `i` past it; a byte
// that starts no valid sequence is taken alone (as U+FFFD).
std::uint32_t nextCodePoint(const std::string& s, std::size_t& i) {
  const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  int length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > s.size()) {
    ++i;
    return 0xFFFD;
  }
  std::uint32_t cp = length == 1 ? b : b & (0xFF >> (length + 1));
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  i += length;
  return cp;
}

// --help's descriptions are phrases; the page reads them as sentences.
std::string sentence(const std::string& text) {
  if (text.empty() || text.back() == '.') return text;
  return text + ".";
}

void line(std::string& out, const std::string& text) { out += text + '\n'; }

// A macro's argument, in double quotes (which roff writes as \(dq inside).
std::string macroArgument(const std::string& text) {
  std::string escaped = roffText(text);
  std::string out = "\"";
  for (char c : escaped) out += c == '"' ? std::string("\\(dq") : std::string(1, c);
  return out + "\"";
}

std::string bold(const std::string& text) { return "\\fB" + roffText(text) + "\\fR"; }
std::string italic(const std::string& text) { return "\\fI" + roffText(text) + "\\fR"; }

std::string join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : separator) + p;
  return out;
}

// "-h, --help", "--family FAMILY": the value named after the option, which
// says more than its type.
std::string optionTag(const OptionReference& o) {
  std::vector<std::string> names;
  for (const std::string& n : o.names) names.push_back(bold(n));
  std::string tag = join(names, ", ");
  if (o.takesValue()) {
    std::string value = o.bareName();
    for (char& c : value) c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    tag += " " + italic(value);
  }
  return tag;
}

void writeOption(std::string& out, const OptionReference& o) {
  line(out, ".TP");
  line(out, optionTag(o));
  std::vector<std::string> text{sentence(o.description)};
  if (!o.choices.empty()) text.push_back("One of: " + join(o.choices, ", ") + ".");
  if (!o.defaultValue.empty()) text.push_back("Default: " + o.defaultValue + ".");
  if (o.repeatable) text.emplace_back("May be given more than once.");
  line(out, roffText(join(text, " ")));
}

void writeCommand(std::string& out, const std::string& program, const CommandReference& c) {
  line(out, ".SS " + macroArgument(c.name));
  line(out, roffText(sentence(c.description)));
  line(out, ".PP");
  std::string synopsis = bold(program + " " + c.name);
  if (!c.options.empty()) synopsis += " [" + italic("options") + "]";
  for (const PositionalReference& p : c.positionals)
    synopsis += " " + (p.required ? italic(p.name) : "[" + italic(p.name) + "]");
  line(out, synopsis);
  for (const PositionalReference& p : c.positionals) {
    line(out, ".TP");
    line(out, italic(p.name));
    line(out, roffText(sentence(p.description)));
  }
  for (const OptionReference& o : c.options) writeOption(out, o);
}

}  // namespace

std::string roffText(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = c == '\n';
    if (static_cast<unsigned char>(c) >= 0x80) {
      char code[16];
      std::snprintf(code, sizeof code, "\\[u%04X]", static_cast<unsigned>(nextCodePoint(text, i)));
      out += code;
      continue;
    }
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
    ++i;
  }
  return out;
}

std::string manualPage(const CommandReference& command, const ManualPage& page) {
  std::string title = command.name;
  for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string out;
  line(out, ".\\\" Written from the program's own command line when it is built; edits here are lost.");
  // The footer sets source, date and title on one line, the date in the
  // middle: a source too long for an 80-column line with the date beside it
  // goes without the date (a snapshot's version names its day anyway).
  const std::size_t footerSide = (80 - page.date.size()) / 2 - 1;
  const std::string date = page.source.size() > footerSide ? std::string() : page.date;
  line(out, ".TH " + macroArgument(title) + " " + std::to_string(page.section) + " " + macroArgument(date) + " " +
                macroArgument(page.source) + " " + macroArgument(page.manual));
  // Option names, paths and commands are not to be split at a hyphen.
  line(out, ".nh");
  line(out, ".SH NAME");
  line(out, roffText(command.name) + " \\- " + roffText(page.summary));

  line(out, ".SH SYNOPSIS");
  std::vector<std::string> flags;
  for (const OptionReference& o : command.options) flags.push_back(bold(o.names.back()));
  line(out,
       bold(command.name) + " " + italic("command") + " [" + italic("options") + "] [" + italic("arguments") + "]");
  line(out, ".br");
  line(out, bold(command.name) + " [" + join(flags, " | ") + "]");

  line(out, ".SH DESCRIPTION");
  for (std::size_t i = 0; i < page.description.size(); ++i) {
    if (i) line(out, ".PP");
    line(out, roffText(page.description[i]));
  }

  line(out, ".SH OPTIONS");
  for (const OptionReference& o : command.options) writeOption(out, o);
  line(out, ".PP");
  line(out, roffText("Every command also takes -h, --help, which prints what it takes."));

  line(out, ".SH COMMANDS");
  for (const CommandReference& c : command.subcommands) writeCommand(out, command.name, c);

  for (const ManualSection& s : page.sections) {
    line(out, ".SH " + macroArgument(s.heading));
    for (std::size_t i = 0; i < s.paragraphs.size(); ++i) {
      if (i) line(out, ".PP");
      line(out, roffText(s.paragraphs[i]));
    }
    for (const ManualItem& item : s.items) {
      line(out, ".TP");
      line(out, bold(item.term));
      line(out, roffText(item.text));
    }
  }
  return out;
}

}  // namespace corvane
