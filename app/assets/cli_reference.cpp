#include "app/assets/cli_reference.hpp"

#include <CLI/CLI.hpp>

namespace corvane {
namespace {

// CLI11 writes an option's value as its type followed by each check's
// description, ":"-separated ("TEXT:{png,svg,pdf}"); a check that allows a
// set of values describes it as "{a,b,c}".
void readTypeName(const std::string& typeName, OptionReference& option) {
  std::vector<std::string> parts = CLI::detail::split(typeName, ':');
  option.valueName = parts.empty() ? std::string("VALUE") : parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.size() >= 2 && part.front() == '{' && part.back() == '}')
      option.choices = CLI::detail::split(part.substr(1, part.size() - 2), ',');
  }
}

OptionReference describeOption(const CLI::Option& o) {
  OptionReference option;
  for (const std::string& s : o.get_snames()) option.names.push_back("-" + s);
  for (const std::string& l : o.get_lnames()) option.names.push_back("--" + l);
  option.description = o.get_description();
  if (o.get_items_expected_max() != 0) {  // a flag expects no value
    readTypeName(o.get_type_name(), option);
    if (option.valueName.empty()) option.valueName = "VALUE";
    option.defaultValue = o.get_default_str();
    option.repeatable = o.get_expected_max() >= CLI::detail::expected_max_vector_size;
  }
  return option;
}

}  // namespace

std::string OptionReference::bareName() const {
  const std::string& name = names.back();  // the last long name, or the only short one
  return name.substr(name.find_first_not_of('-'));
}

CommandReference describeCommandLine(const CLI::App& app) {
  CommandReference command;
  command.name = app.get_name();
  command.description = app.get_description();
  for (const CLI::Option* o : app.get_options()) {
    if (o->get_group().empty()) continue;  // hidden
    if (o->get_positional())
      command.positionals.push_back({o->get_name(true, false), o->get_description(), o->get_required()});
    else
      command.options.push_back(describeOption(*o));
  }
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    if (!sub->get_group().empty()) command.subcommands.push_back(describeCommandLine(*sub));
  return command;
}

}  // namespace corvane
