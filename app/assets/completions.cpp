#include "app/assets/completions.hpp"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

namespace corvane {
namespace {

constexpr const char* kWrittenFrom = "Written from the program's own command line when it is built.";

void append(std::string& out, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts) out += p;
}

std::string join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : separator) + p;
  return out;
}

// Names and values go into the scripts as words: anything beyond these
// characters would need quoting in three languages, and none needs it.
const std::string& plainWord(const std::string& word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' || c == '+';
  });
  if (!plain) throw std::invalid_argument("not a plain word for a completion: \"" + word + "\"");
  return word;
}

// An option's values, as words for a completion.
std::string choiceWords(const OptionReference& o) {
  std::vector<std::string> words;
  for (const std::string& c : o.choices) words.push_back(plainWord(c));
  return join(words, " ");
}

// A POSIX shell word in single quotes (bash, zsh).
std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string functionName(const std::string& program) {
  std::string name = "_" + program;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

std::vector<std::string> optionNames(const CommandReference& c) {
  std::vector<std::string> names;
  for (const OptionReference& o : c.options)
    for (const std::string& n : o.names) names.push_back(plainWord(n));
  return names;
}

std::vector<std::string> commandNames(const CommandReference& c) {
  std::vector<std::string> names;
  for (const CommandReference& s : c.subcommands) names.push_back(plainWord(s.name));
  return names;
}

// ---- bash

// The case arms that complete the value of the option before the cursor.
void bashValueArms(std::string& out, const CommandReference& c, const std::string& helper, const std::string& indent) {
  for (const OptionReference& o : c.options) {
    if (!o.takesValue()) continue;
    out += indent + join(o.names, "|") + ")\n";
    if (o.choices.empty())
      append(out, {indent, "  ", helper, "_files; return ;;\n"});
    else
      append(out, {indent, "  ", helper, "_words ", shellQuoted(choiceWords(o)), "; return ;;\n"});
  }
}

// ---- zsh

// Text inside an _arguments explanation, [here], where brackets and
// backslashes are quoted (a colon needs no quoting there).
std::string zshDescription(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string zshOptionSpec(const OptionReference& o) {
  std::string names = o.names.size() == 1 ? o.names.front() : "{" + join(o.names, ",") + "}";
  const bool ends = std::find(o.names.begin(), o.names.end(), "--help") != o.names.end() ||
                    std::find(o.names.begin(), o.names.end(), "--version") != o.names.end();
  // --help and --version end the command line; an option with two names is
  // not offered again under the other; a repeatable one is offered again.
  std::string pattern = ends                 ? "'(- : *)'"
                        : o.repeatable       ? "'*'"
                        : o.names.size() > 1 ? "'(" + join(o.names, " ") + ")'"
                                             : "";
  std::string rest = (o.takesValue() ? "=" : "") + std::string("[") + zshDescription(o.description) + "]";
  if (o.takesValue()) {
    rest += ":" + zshDescription(o.bareName()) + ":";
    rest += o.choices.empty() ? "_files" : "(" + choiceWords(o) + ")";
  }
  return pattern + names + shellQuoted(rest);
}

void zshArguments(std::string& out, const CommandReference& c, const std::string& indent) {
  out += indent + "_arguments -s -S";
  for (const OptionReference& o : c.options) out += " \\\n" + indent + "  " + zshOptionSpec(o);
  for (const PositionalReference& p : c.positionals)
    out += " \\\n" + indent + "  " +
           shellQuoted(std::string(p.required ? "" : ":") + ":" + zshDescription(p.description) + ":_files");
}

// ---- fish

std::string fishQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

void fishOption(std::string& out, const std::string& program, const std::string& condition, const OptionReference& o) {
  out += "complete -c " + program + " -n " + fishQuoted(condition);
  for (const std::string& n : o.names) out += n.rfind("--", 0) == 0 ? " -l " + n.substr(2) : " -s " + n.substr(1);
  if (o.takesValue()) out += o.choices.empty() ? " -r -F" : " -x -a " + fishQuoted(choiceWords(o));
  out += " -d " + fishQuoted(o.description) + "\n";
}

}  // namespace

std::string bashCompletion(const CommandReference& command) {
  const std::string program = plainWord(command.name);
  const std::string function = functionName(program);
  std::string out = "# bash completion for " + program + ". " + kWrittenFrom + "\n\n";
  // Helpers for the function below, which sets `cur`.
  out += function + "_words() { mapfile -t COMPREPLY < <(compgen -W \"$1\" -- \"$cur\"); }\n";
  out += function + "_files() {\n  compopt -o filenames 2>/dev/null\n";
  out += "  mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n}\n\n";
  out += function + "() {\n";
  out += R"(  local cur=${COMP_WORDS[COMP_CWORD]} prev="" command="" i
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  # bash splits --option=value at the "=".
  if [[ $cur == = ]]; then
    cur=""
  elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  # The program's own options are flags: the first other word is the command.
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} != -* ]]; then command=${COMP_WORDS[i]}; break; fi
  done
  case $command in
)";
  out += "    \"\")\n";
  out += "      " + function + "_words " +
         shellQuoted(join(commandNames(command), " ") + " " + join(optionNames(command), " ")) + "; return ;;\n";
  for (const CommandReference& c : command.subcommands) {
    out += "    " + plainWord(c.name) + ")\n";
    std::string arms;
    bashValueArms(arms, c, function, "        ");
    if (!arms.empty()) out += "      case $prev in\n" + arms + "      esac\n";
    const std::string options = shellQuoted(join(optionNames(c), " "));
    if (c.positionals.empty())
      append(out, {"      ", function, "_words ", options, " ;;\n"});
    else
      append(out, {"      if [[ $cur == -* ]]; then ", function, "_words ", options, "; else ", function,
                   "_files; fi ;;\n"});
  }
  out += "  esac\n}\n\ncomplete -F " + function + " " + program + "\n";
  return out;
}

std::string zshCompletion(const CommandReference& command) {
  const std::string program = plainWord(command.name);
  const std::string function = "_" + program;
  std::string out = "#compdef " + program + "\n# zsh completion for " + program + ". " + kWrittenFrom + "\n\n";
  out += function + "() {\n";
  out += "  local curcontext=$curcontext state state_descr line ret=1\n  typeset -A opt_args\n";
  zshArguments(out, command, "  ");
  out += " \\\n    '1: :->command' \\\n    '*:: :->argument' && ret=0\n";
  out += "  case $state in\n    (command)\n      local -a commands=(\n";
  for (const CommandReference& c : command.subcommands)
    out += "        " + shellQuoted(plainWord(c.name) + ":" + c.description) + "\n";
  out += "      )\n      _describe -t commands " + shellQuoted(program + " command") + " commands && ret=0 ;;\n";
  out += "    (argument)\n      curcontext=${curcontext%:*:*}:" + program + "-$line[1]:\n";
  out += "      case $line[1] in\n";
  for (const CommandReference& c : command.subcommands) {
    out += "        (" + plainWord(c.name) + ")\n";
    zshArguments(out, c, "          ");
    out += " && ret=0 ;;\n";
  }
  out += "      esac ;;\n  esac\n  return ret\n}\n\n" + function + " \"$@\"\n";
  return out;
}

std::string fishCompletion(const CommandReference& command) {
  const std::string program = plainWord(command.name);
  const std::string commands = join(commandNames(command), " ");
  const std::string before = "not __fish_seen_subcommand_from " + commands;
  std::string out = "# fish completion for " + program + ". " + kWrittenFrom + "\n\n";
  out += "# Values complete as file names only where an option or argument takes one.\n";
  out += "complete -c " + program + " -f\n";
  for (const OptionReference& o : command.options) fishOption(out, program, before, o);
  for (const CommandReference& c : command.subcommands)
    out += "complete -c " + program + " -n " + fishQuoted(before) + " -a " + plainWord(c.name) + " -d " +
           fishQuoted(c.description) + "\n";
  for (const CommandReference& c : command.subcommands) {
    out += "\n";
    const std::string in = "__fish_seen_subcommand_from " + c.name;
    for (const OptionReference& o : c.options) fishOption(out, program, in, o);
    if (!c.positionals.empty()) out += "complete -c " + program + " -n " + fishQuoted(in) + " -F\n";
  }
  return out;
}

}  // namespace corvane
