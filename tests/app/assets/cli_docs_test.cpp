// The command line read as data, and the manual page and completions
// written from it, on a small command line of every kind of argument.

#include <gtest/gtest.h>
#include <CLI/CLI.hpp>

#include <stdexcept>

#include "app/assets/cli_reference.hpp"
#include "app/assets/completions.hpp"
#include "app/assets/manual_page.hpp"
#include "app/assets/template_fill.hpp"

namespace corvane {
namespace {

struct Sample {
  CLI::App app{"a tool for tests", "tool"};
  bool flag = false;
  std::string format = "png", file, secret;
  std::vector<std::string> families;
  double margin = 24;

  Sample() {
    app.set_version_flag("--version", "tool 1");
    CLI::App* draw = app.add_subcommand("draw", "Draw a picture");
    draw->add_flag("-q,--quiet", flag, "say nothing");
    draw->add_option("--format", format, "the picture's format")
        ->check(CLI::IsMember({"png", "svg"}))
        ->capture_default_str();
    draw->add_option("--family", families, "a family (repeat for more)")->check(CLI::IsMember({"small", "large"}));
    draw->add_option("--margin", margin, "points around it")->check(CLI::Range(0.0, 100.0));
    draw->add_option("--secret", secret, "not listed")->group("");
    draw->add_option("FILE", file, "the input")->required();
    app.add_subcommand("hidden", "not listed")->group("");
  }
};

const OptionReference& optionNamed(const CommandReference& c, const std::string& name) {
  for (const OptionReference& o : c.options)
    if (o.names.back() == name) return o;
  throw std::out_of_range(name);
}

TEST(CommandLineReference, ReadsWhatHelpSaysOfEachOption) {
  Sample s;
  const CommandReference tool = describeCommandLine(s.app);
  ASSERT_EQ(tool.subcommands.size(), 1u);  // the hidden one is left out
  const CommandReference& draw = tool.subcommands.front();
  EXPECT_EQ(draw.name, "draw");
  EXPECT_EQ(draw.description, "Draw a picture");

  struct Case {
    std::string name;
    std::vector<std::string> names;
    std::string valueName;
    std::vector<std::string> choices;
    std::string defaultValue;
    bool repeatable;
  };
  const std::vector<Case> cases = {
      {"--help", {"-h", "--help"}, "", {}, "", false},
      {"--quiet", {"-q", "--quiet"}, "", {}, "", false},
      {"--format", {"--format"}, "TEXT", {"png", "svg"}, "png", false},
      {"--family", {"--family"}, "TEXT", {"small", "large"}, "", true},
      {"--margin", {"--margin"}, "FLOAT", {}, "", false},  // a range lists no values
  };
  std::vector<std::string> listed;
  for (const OptionReference& o : draw.options) listed.push_back(o.names.back());
  EXPECT_EQ(listed, (std::vector<std::string>{"--help", "--quiet", "--format", "--family", "--margin"}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OptionReference& o = optionNamed(draw, c.name);
    EXPECT_EQ(o.names, c.names);
    EXPECT_EQ(o.valueName, c.valueName);
    EXPECT_EQ(o.takesValue(), !c.valueName.empty());
    EXPECT_EQ(o.choices, c.choices);
    EXPECT_EQ(o.defaultValue, c.defaultValue);
    EXPECT_EQ(o.repeatable, c.repeatable);
  }
  ASSERT_EQ(draw.positionals.size(), 1u);
  EXPECT_EQ(draw.positionals[0].name, "FILE");
  EXPECT_TRUE(draw.positionals[0].required);
  EXPECT_EQ(optionNamed(tool, "--version").names, (std::vector<std::string>{"--version"}));
}

TEST(ManualPage, EscapesWhatRoffWouldReadAsItsOwn) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--family", "\\-\\-family"},
      {".starts a line", "\\&.starts a line"},
      {"'starts a line", "\\&'starts a line"},
      {"one\n.two", "one\n\\&.two"},
      {"a.b 'c'", "a.b 'c'"},  // only at the start of a line
      {"back\\slash", "back\\eslash"},
      {"caf\xc3\xa9", "caf\\[u00E9]"},
      {"\xe2\x80\xa6", "\\[u2026]"},
      {"\xf0\x9f\x93\xa8", "\\[u1F4E8]"},
      {"\xff"
       "a",
       "\\[uFFFD]a"},                      // not UTF-8
      {"\xe2\x80", "\\[uFFFD]\\[uFFFD]"},  // cut short
  };
  for (const auto& [text, roff] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(roffText(text), roff);
  }
}

TEST(ManualPage, ListsEachCommandWithItsArgumentsAndOptions) {
  Sample s;
  ManualPage page;
  page.date = "2024-03-15";
  page.source = "tool 1";
  page.manual = "User Commands";
  page.summary = "a tool for tests";
  page.description = {"What it is."};
  page.sections = {{"EXIT STATUS", {}, {{"0", "Success."}}}};
  const std::string man = manualPage(describeCommandLine(s.app), page);
  for (const std::string& expected : {
           std::string(".TH \"TOOL\" 1 \"2024\\-03\\-15\" \"tool 1\" \"User Commands\"\n"),
           std::string(".SH NAME\ntool \\- a tool for tests\n"),
           std::string(".SS \"draw\"\nDraw a picture.\n"),
           std::string("\\fBtool draw\\fR [\\fIoptions\\fR] \\fIFILE\\fR\n"),
           std::string(".TP\n\\fB\\-q\\fR, \\fB\\-\\-quiet\\fR\nsay nothing.\n"),
           std::string(".TP\n\\fB\\-\\-format\\fR \\fIFORMAT\\fR\nthe picture's format. One of: png, svg. Default: "
                       "png.\n"),
           std::string("a family (repeat for more). One of: small, large. May be given more than once.\n"),
           std::string(".SH \"EXIT STATUS\"\n.TP\n\\fB0\\fR\nSuccess.\n"),
       }) {
    EXPECT_NE(man.find(expected), std::string::npos) << expected << "\nin:\n" << man;
  }
  EXPECT_EQ(man.find("secret"), std::string::npos);
  EXPECT_EQ(man.find("hidden"), std::string::npos);

  // A source too long to leave the footer's middle to the date goes alone.
  page.source = "tool 0.1.0+git20240315.65e6f1c4d2.dirty";
  EXPECT_NE(manualPage(describeCommandLine(s.app), page).find(".TH \"TOOL\" 1 \"\" \"tool 0.1.0"), std::string::npos);
}

TEST(Completions, QuoteDescriptionsForEachShellAndRefuseWordsThatNeedQuoting) {
  Sample s;
  s.app.get_subcommand("draw")->add_flag("--odd", s.flag, "it's [odd]\\");
  const CommandReference tool = describeCommandLine(s.app);
  struct Case {
    std::string shell, text, expected;
  };
  const std::vector<Case> cases = {
      {"zsh", zshCompletion(tool), R"(--odd'[it'\''s \[odd\]\\]')"},
      {"zsh", zshCompletion(tool), R"('*'--family'=[a family (repeat for more)]:family:(small large)')"},
      {"zsh", zshCompletion(tool), R"(':the input:_files')"},
      {"fish", fishCompletion(tool), R"(-l odd -d 'it\'s [odd]\\')"},
      {"fish", fishCompletion(tool), R"(-l format -x -a 'png svg')"},
      {"fish", fishCompletion(tool), R"(-l margin -r -F)"},
      {"bash", bashCompletion(tool), "--format)\n          _tool_words 'png svg'; return ;;"},
      {"bash", bashCompletion(tool), "--margin)\n          _tool_files; return ;;"},
      {"bash", bashCompletion(tool), "complete -F _tool tool\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shell + ": " + c.expected);
    EXPECT_NE(c.text.find(c.expected), std::string::npos) << c.text;
  }

  Sample spaced;
  spaced.app.get_subcommand("draw")->add_option("--mode", spaced.file, "")->check(CLI::IsMember({"two words"}));
  const CommandReference bad = describeCommandLine(spaced.app);
  EXPECT_THROW(bashCompletion(bad), std::invalid_argument);
  EXPECT_THROW(zshCompletion(bad), std::invalid_argument);
  EXPECT_THROW(fishCompletion(bad), std::invalid_argument);
}

TEST(TemplateFill, EscapesEachValueForItsKindOfFile) {
  const std::map<std::string, std::string> values = {
      {"NAME", "Tom & <Jerry>"}, {"PATH", R"(C:\a "b" $c;d)"}, {"BINDIR", "@BINDIR@"}};
  struct Case {
    std::string name, text, filled;
  };
  const std::vector<Case> cases = {
      {"x.xml.in", "<name>@NAME@</name>", "<name>Tom &amp; &lt;Jerry&gt;</name>"},
      {"x.cmake.in", R"(set(P "@PATH@"))", R"(set(P "C:\\a \"b\" \$c\;d"))"},
      {"x.desktop.in", "Comment=@PATH@", R"(Comment=C:\\a "b" $c;d)"},
      {"x.service.in", "Description=@NAME@", "Description=Tom & <Jerry>"},
      // Kept for the install step, which knows the folder.
      {"x.desktop.in", "Exec=@BINDIR@/tool", "Exec=@BINDIR@/tool"},
      // An @ that opens no key stays.
      {"x.desktop.in", "mail=dev@example.org @NAME@", "mail=dev@example.org Tom & <Jerry>"},
      {"x.desktop.in", "one @ alone", "one @ alone"},
      {"x.desktop.in", "@NAME@@NAME@", "Tom & <Jerry>Tom & <Jerry>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + ": " + c.text);
    EXPECT_EQ(fillTemplate(c.name, c.text, values), c.filled);
  }
  EXPECT_THROW(fillTemplate("x.desktop.in", "Name=@DISPLAY_NAEM@", values), std::invalid_argument);
}

}  // namespace
}  // namespace corvane
