// The command line as a user meets it: exit statuses, what goes to standard
// output and what to standard error, and the files `render` writes.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "data/snapshot_text.hpp"
#include "kit/temp_dir.hpp"

namespace corvane {
namespace {

using testing::TempDir;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run(const std::string& args, const TempDir& dir) {
  const std::string errPath = dir.file("stderr.txt");
  const std::string command = std::string(CORVANE_WIDGET_BINARY) + " " + args + " 2>" + errPath;
  Outcome r{};
  FILE* pipe = ::popen(command.c_str(), "r");
  std::array<char, 4096> buf{};
  while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe)) r.out.append(buf.data(), n);
  int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errPath);
  r.err.assign(std::istreambuf_iterator<char>(in), {});
  return r;
}

const std::string kCommands = "check, where, timeline, info, dump, render, gallery, run, reload, version, help";

TEST(CommandLine, CheckReportsValidInvalidAndUnreadableFiles) {
  TempDir dir;
  const std::string valid = dir.write("valid.json", testing::kValidDocument);
  const std::string invalid = dir.write("invalid.json", testing::withReplaced(R"(, "s": "off")", ""));
  // A sparse file far larger than any snapshot: refused from its size.
  const std::string huge = dir.write("huge.json", "");
  std::filesystem::resize_file(huge, std::uintmax_t(2) << 30);
  struct Case {
    std::string args;
    int status;
    std::string outStart, err;
  };
  const std::vector<Case> cases = {
      {"check " + valid, 0, R"({"v":1,"at":600.5,"connected":true,"dms":18,"cap":70,)", ""},
      {"check " + invalid, 1, "", "corvane-widget: " + invalid + ": accounts[1].plan[1]: missing key \"s\"\n"},
      {"check " + dir.file("missing.json"), 2, "",
       "corvane-widget: " + dir.file("missing.json") + ": No such file or directory\n"},
      {"check " + dir.path().string(), 2, "", "corvane-widget: " + dir.path().string() + ": Is a directory\n"},
      {"check - < " + valid, 0, R"({"v":1,)", ""},
      {"check", 2, "", "corvane-widget: FILE is required; see corvane-widget check --help\n"},
      {"check " + dir.write("syntax.json", "{\"v\": 1,\n  \"at\": 2,,\n}"), 1, "",
       "corvane-widget: " + dir.file("syntax.json") +
           ": (document): not valid JSON: line 2, column 11 (byte 19): expected a key in double quotes, found ','\n"},
      {"dump --family huge", 2, "", "corvane-widget: --family: unknown family: huge; see corvane-widget dump --help\n"},
      {"render --family all --format gif", 2, "",
       "corvane-widget: --format: gif not in {png,svg,pdf}; see corvane-widget render --help\n"},
      {"render --scale 5", 2, "",
       "corvane-widget: --scale: must be 1, 2 or 3 pixels per point, not 5; see corvane-widget render --help\n"},
      {"render --scale ''", 2, "",
       "corvane-widget: --scale: must be 1, 2 or 3 pixels per point, not \"\"; see corvane-widget render --help\n"},
      // A command a person mistypes, or none, is named, with the list.
      {"", 2, "", "corvane-widget: a command is required: " + kCommands + "; see corvane-widget --help\n"},
      {"frobnicate --now 1", 2, "",
       "corvane-widget: unknown command 'frobnicate'; the commands are " + kCommands + "; see corvane-widget --help\n"},
      {"help quit", 2, "", "corvane-widget: unknown command 'quit'; the commands are " + kCommands + "\n"},
      {"help", 0, "the Corvane desktop widget", ""},
      {"help check", 0, "Validate a snapshot file", ""},
      {"dump --sample --locale xx_YY", 2, "",
       "corvane-widget: unknown locale: xx_YY (a language and a country with data, such as en_US, de_DE or pt_BR)\n"},
      {"dump --sample --locale es_419", 0, "{", ""},
      {"run --monitor -1", 2, "",
       "corvane-widget: --monitor: must be a monitor's number, 0 for the first (at most 99), not -1; see "
       "corvane-widget run --help\n"},
      {"check " + huge, 2, "",
       "corvane-widget: " + huge + ": too large to read (2147483648 bytes): at most 33554432 bytes are read\n"},
      {"render --family small --out /dev/null", 2, "",
       "corvane-widget: /dev/null: not a regular file, so it is not replaced\n"},
      {"dump --sample --timezone Mars/Base", 2, "",
       "corvane-widget: unknown time zone: Mars/Base (an IANA name such as Europe/Berlin, or a POSIX zone without "
       "daylight saving time such as UTC0 or JST-9)\n"},
      {"dump --sample --timezone JST-9", 0, "{", ""},
      {"dump --sample --timezone :UTC0", 0, "{", ""},
      {"dump --now nan", 2, "",
       "corvane-widget: --now: must be seconds since 1970 or an ISO 8601 time such as 2026-12-09T14:30:00Z, from "
       "0001-01-01T00:00:00Z to 9999-12-31T23:59:59Z, not nan; see corvane-widget dump --help\n"},
      {"dump --now 2026-02-30T00:00Z", 2, "", ""},  // no such day
      {"dump --now 2026-12-09T14:30", 2, "", ""},   // a time without its zone
      {"dump --sample --now 2026-12-09T15:30:00+01:00", 0, R"({"family":"systemSmall","entry":{"date":1796826600,)",
       ""},
      {"dump --sample --now 1796826600", 0, R"({"family":"systemSmall","entry":{"date":1796826600,)", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome r = run(c.args, dir);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out.rfind(c.outStart, 0), 0u) << r.out;
    if (c.status == 0 || !c.err.empty()) {
      EXPECT_EQ(r.err, c.err);
    }
  }
  // Output that cannot be written is a failure, whatever the command.
  for (const std::string& args :
       std::vector<std::string>{"check " + valid, "where", "timeline", "info", "dump --sample"}) {
    SCOPED_TRACE(args);
    Outcome r = run(args + " >/dev/full", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "corvane-widget: standard output: No space left on device\n");
  }
  // A valid file is printed on exactly one line.
  Outcome ok = run("check " + valid, dir);
  EXPECT_EQ(std::count(ok.out.begin(), ok.out.end(), '\n'), 1);
}

TEST(CommandLine, VersionIsTheProjectsVersionAndTheCheckoutsDescription) {
  // The project's version, then (from a git checkout) +gitYYYYMMDD. and the
  // description: characters that a Debian version allows, and no hyphen.
  const std::regex version("corvane-widget " + std::regex_replace(CORVANE_PROJECT_VERSION, std::regex("\\."), "\\.") +
                           "(\\+git[0-9]{8}\\.[A-Za-z0-9.+]+)?\n");
  TempDir dir;
  std::string first;
  for (const std::string args : {"--version", "version", "--version render"}) {
    SCOPED_TRACE(args);
    Outcome r = run(args, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::regex_match(r.out, version)) << r.out;
    EXPECT_EQ(r.err, "");
    if (first.empty()) first = r.out;
    EXPECT_EQ(r.out, first);
  }
}

TEST(CommandLine, TimelinePrintsTheThreeRequestsInOrder) {
  TempDir dir;
  Outcome r = run("timeline --preview", dir);
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string placeholder, snapshot, timeline, extra;
  std::getline(lines, placeholder);
  std::getline(lines, snapshot);
  std::getline(lines, timeline);
  EXPECT_FALSE(std::getline(lines, extra));
  EXPECT_EQ(placeholder.rfind(R"({"request":"placeholder","date":)", 0), 0u);
  EXPECT_EQ(snapshot.rfind(R"({"request":"snapshot","preview":true,"date":)", 0), 0u);
  EXPECT_EQ(timeline.rfind(R"({"request":"timeline","date":)", 0), 0u);
  EXPECT_NE(timeline.find(R"("reloadAfter":)"), std::string::npos);
}

// Every file under `dir` but the captured stderr, as sorted relative paths.
std::vector<std::string> filesUnder(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
    if (e.is_regular_file() && e.path().filename() != "stderr.txt")
      names.push_back(std::filesystem::relative(e.path(), dir.path()).string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CommandLine, RenderOutIsTheFileForOneFamilyAndAFolderForSeveral) {
  struct Case {
    std::string args;  // OUT stands for a path in a fresh folder
    std::string out;   // what OUT is
    int status;
    std::vector<std::string> files;  // what the folder holds afterwards
    std::string err;                 // a part of standard error
  };
  const std::vector<std::string> all = {"pictures/widget-large.svg", "pictures/widget-medium.svg",
                                        "pictures/widget-small.svg"};
  const std::string folderPlease = "draws several pictures; give a folder";
  const std::vector<Case> cases = {
      {"--family small --format png", "widget.png", 0, {"widget.png"}, ""},
      {"--family medium --format pdf", "medium.pdf", 0, {"medium.pdf"}, ""},
      // One family: the path is the file, whatever it is named.
      {"--family large --format svg", "large-picture", 0, {"large-picture"}, ""},
      {"--family all --format svg", "pictures", 0, all, ""},
      // Several pictures and a path named like one: nothing is written.
      {"--format png", "widget.png", 2, {}, folderPlease},  // all is the default
      {"--family all --format svg", "widget.SVG", 2, {}, folderPlease},
      {"--family all --format pdf", "pictures.pdf", 2, {}, folderPlease},
      // A closing slash says folder.
      {"--family all --format png",
       "pictures.png/",
       0,
       {"pictures.png/widget-large.png", "pictures.png/widget-medium.png", "pictures.png/widget-small.png"},
       ""},
      // The format follows the file's name unless --format is given; a contradiction is refused.
      {"--family small", "small.svg", 0, {"small.svg"}, ""},
      {"--family small", "small.PDF", 0, {"small.PDF"}, ""},
      {"--family small --format svg", "small.png", 2, {}, "--format svg contradicts --out"},
      {"--family all",
       "pictures",
       0,
       {"pictures/widget-large.png", "pictures/widget-medium.png", "pictures/widget-small.png"},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + " --out " + c.out);
    TempDir dir;
    Outcome r = run("render --sample " + c.args + " --out " + dir.file(c.out), dir);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(filesUnder(dir), c.files);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    // What was written is what its name says.
    for (const std::string& f : c.files) {
      std::ifstream in(dir.file(f), std::ios::binary);
      std::string head(5, '\0');
      in.read(head.data(), 5);
      const std::string ext = std::filesystem::path(f).extension().string();
      const std::string format = ext.empty() ? c.args.substr(c.args.find("--format ") + 9, 3) : ext.substr(1);
      EXPECT_EQ(head, format == "svg"                      ? "<?xml"
                      : format == "pdf" || format == "PDF" ? "%PDF-"
                                                           : std::string("\x89PNG\r"))
          << f;
    }
  }
}

TEST(CommandLine, RenderPrintsEachWrittenPathInFamilyOrder) {
  TempDir dir;
  const std::string out = dir.file("pictures");
  Outcome r = run("render --sample --family all --format svg --out " + out, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, out + "/widget-small.svg\n" + out + "/widget-medium.svg\n" + out + "/widget-large.svg\n");
}

TEST(CommandLine, GalleryWritesTheSheetInTheFormatItsNameEndsIn) {
  TempDir dir;
  struct Case {
    std::string out;
    int status;
    std::string starts;  // the file's first bytes
    std::string err;
    std::string format;  // --format, if given
  };
  const std::vector<Case> cases = {
      {dir.file("sheet.png"), 0, "\x89PNG", "", ""},
      {dir.file("sheet.PDF"), 0, "%PDF-", "", ""},
      {dir.file("sheet.html"), 0, "<!DOCTYPE html>", "", ""},
      {dir.file("sheet.svg"), 2, "",
       "corvane-widget: --out " + dir.file("sheet.svg") + ": name the file .png, .pdf or .html, or give --format\n",
       ""},
      {dir.file("sheet"), 0, "<!DOCTYPE html>", "", "html"},
      {dir.file("sheet.png"), 2, "",
       "corvane-widget: --format pdf contradicts --out " + dir.file("sheet.png") +
           ": give a file name ending in .pdf, or leave out --format\n",
       "pdf"},
      {dir.file("missing/sheet.png"), 2, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out + " " + c.format);
    std::filesystem::remove(c.out);
    Outcome r = run("gallery --sample --now 1765208700 --locale en_US --timezone UTC --out " + c.out +
                        (c.format.empty() ? "" : " --format " + c.format),
                    dir);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status != 0) {
      EXPECT_TRUE(r.out.empty());
      if (!c.err.empty()) {
        EXPECT_EQ(r.err, c.err);
      }
      EXPECT_FALSE(std::filesystem::exists(c.out));
      continue;
    }
    EXPECT_EQ(r.out, c.out + "\n");
    std::ifstream in(c.out, std::ios::binary);
    std::string bytes(c.starts.size(), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(bytes, c.starts);
  }
  EXPECT_EQ(run("gallery --sample", dir).err, "corvane-widget: --out is required; see corvane-widget gallery --help\n");
}

}  // namespace
}  // namespace corvane
