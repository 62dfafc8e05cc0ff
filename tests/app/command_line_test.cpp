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
#include "support/temp_dir.hpp"

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
      {"check", 2, "", "FILE is required\nRun with --help for more information.\n"},
      {"dump --family huge", 2, "", "--family: unknown family: huge\nRun with --help for more information.\n"},
      {"render --family all --format gif", 2, "",
       "--format: gif not in {png,svg,pdf}\nRun with --help for more information.\n"},
      {"render --scale 5", 2, "", "--scale: 5 not in {1,2,3}\nRun with --help for more information.\n"},
      {"render --scale ''", 2, "", "--scale: \"\" not in {1,2,3}\nRun with --help for more information.\n"},
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
       "--now: must be a finite number from -184303902528000 to 183882168921600, not nan\n"
       "Run with --help for more information.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome r = run(c.args, dir);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out.rfind(c.outStart, 0), 0u) << r.out;
    EXPECT_EQ(r.err, c.err);
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
    std::string err;                 // the start of standard error
  };
  const std::vector<std::string> all = {"pictures/widget-large.svg", "pictures/widget-medium.svg",
                                        "pictures/widget-small.svg"};
  const std::string folderPlease = "corvane-widget: --out ";
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + " --out " + c.out);
    TempDir dir;
    Outcome r = run("render --sample " + c.args + " --out " + dir.file(c.out), dir);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(filesUnder(dir), c.files);
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    if (c.status != 0) {
      EXPECT_NE(r.err.find("give a folder"), std::string::npos) << r.err;
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
  };
  const std::vector<Case> cases = {
      {dir.file("sheet.png"), 0, "\x89PNG", ""},
      {dir.file("sheet.PDF"), 0, "%PDF-", ""},
      {dir.file("sheet.html"), 0, "<!DOCTYPE html>", ""},
      {dir.file("sheet.svg"), 2, "",
       "corvane-widget: " + dir.file("sheet.svg") + ": a sheet is written as .png, .pdf or .html\n"},
      {dir.file("missing/sheet.png"), 2, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    Outcome r = run("gallery --sample --now 1765208700 --locale en_US --timezone UTC --out " + c.out, dir);
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
  EXPECT_EQ(run("gallery --sample", dir).err, "--out is required\nRun with --help for more information.\n");
}

}  // namespace
}  // namespace corvane
