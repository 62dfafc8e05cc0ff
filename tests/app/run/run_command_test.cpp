// `run --headless` and `reload` as a user meets them: the binary started with
// a snapshot file and a fast clock, its events read as they come, the
// pictures it keeps, signals, and reload reaching it with and without a
// session bus. Every wait has a deadline.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "data/snapshot_text.hpp"
#include "kit/child_process.hpp"
#include "kit/temp_dir.hpp"

namespace corvane {
namespace {

using testing::ChildProcess;
using testing::TempDir;
using Env = std::map<std::string, std::string>;

constexpr double kStart = 1'765'208'700;
const std::string kBinary = CORVANE_WIDGET_BINARY;

// A snapshot written `age` seconds before kStart.
std::string snapshotAged(const TempDir& dir, double age) {
  return dir.write("snapshot.json",
                   testing::withReplaced(R"("at": 600.5)", R"("at": )" + std::to_string(kStart - age)));
}

// The number after "key": in a one-line JSON object.
double number(const std::string& line, const std::string& key) {
  auto at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return -1;
  return std::stod(line.substr(at + key.size() + 3));
}

// The string after "key": (none for null or missing).
std::optional<std::string> text(const std::string& line, const std::string& key) {
  auto at = line.find("\"" + key + "\":\"");
  if (at == std::string::npos) return std::nullopt;
  auto from = at + key.size() + 4;
  return line.substr(from, line.find('"', from) - from);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

int runQuietly(const std::string& command) {
  int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A host without a session bus, its runtime folder in `dir`.
Env noBus(const TempDir& dir) {
  return {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir.file("no-bus")}, {"XDG_RUNTIME_DIR", dir.path().string()}};
}

TEST(RunHeadless, KeepsThePicturesCurrentAndTheFreshLineCountsUntilTheNextTimeline) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  // Written 12 minutes before the start: the line is fresh when built (three
  // minutes of host time, 4.5 s at this speed, leave room for a slow start
  // under a sanitizer on a busy machine), and goes on counting past 15
  // minutes until the timeline 300 s later.
  const std::string snapshot = snapshotAged(dir, 720);
  ChildProcess host({kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", snapshot, "--now",
                     std::to_string(kStart), "--speed", "40", "--interval", "20", "--events", "--scale", "1"},
                    noBus(dir), dir.file("stderr.txt"));
  ASSERT_TRUE(host.started());
  std::vector<std::string> seen;
  auto first = host.readLine();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->rfind(R"({"event":"placeholder","now":)", 0), 0u) << *first;

  auto timeline = host.waitFor(R"("event":"timeline")", seen);
  ASSERT_TRUE(timeline) << readFile(dir.file("stderr.txt"));
  // The placeholder's made-up numbers are never written as pictures.
  for (const std::string& line : seen) EXPECT_EQ(line.find(R"("event":"draw")"), std::string::npos) << line;
  const double reloadAfter = number(*timeline, "reloadAfter");
  EXPECT_NEAR(reloadAfter - number(*timeline, "date"), 300, 1);
  // The three families are drawn for the entry, fresh.
  for (std::string family : {"small", "medium", "large"}) {
    auto draw = host.waitFor(R"("family":")" + family + "\"", seen);
    ASSERT_TRUE(draw);
    const std::string line = text(*draw, "freshness").value_or("null");
    EXPECT_TRUE(line.rfind("12 min", 0) == 0 || line.rfind("13 min", 0) == 0 || line.rfind("14 min", 0) == 0) << *draw;
  }

  // The next timeline comes no earlier than the reload date; before it, the
  // fresh line has counted past 15 minutes; after it, the line is stale.
  std::vector<std::string> between;
  auto second = host.waitFor(R"("event":"timeline")", between);
  ASSERT_TRUE(second);
  EXPECT_GE(number(*second, "now"), reloadAfter);
  bool pastFifteen = false;
  double lastFreshWrite = 0;
  for (const auto& line : between)
    if (auto f = text(line, "freshness"); f && line.find(R"("family":"small")") != std::string::npos) {
      pastFifteen = pastFifteen || f->rfind("15 min", 0) == 0;
      // A changed line alone is written at most once per 20 s of host time.
      if (lastFreshWrite > 0) {
        EXPECT_GE(number(line, "now") - lastFreshWrite, 20 - 1e-6) << line;
      }
      lastFreshWrite = number(line, "now");
    }
  EXPECT_TRUE(pastFifteen);
  std::string medium;
  for (int i = 0; i < 3; ++i) {
    auto draw = host.waitFor(R"("event":"draw")", seen);
    ASSERT_TRUE(draw);
    EXPECT_EQ(text(*draw, "freshness").value_or("").rfind("not updated since ", 0), 0u) << *draw;
    if (draw->find(R"("family":"medium")") != std::string::npos) medium = *draw;
  }

  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
  for (const auto& line : host.rest())
    if (line.find(R"("family":"medium")") != std::string::npos) medium = line;
  // Only the three pictures are left, no temporary files.
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir.file("out"))) files.push_back(e.path().filename());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"widget-large.png", "widget-medium.png", "widget-small.png"}));
  // The last medium picture is what `render` draws at the time it was drawn.
  ASSERT_FALSE(medium.empty());
  const std::string rendered = dir.file("rendered.png");
  char now[64];
  std::snprintf(now, sizeof now, "%.17g", number(medium, "now"));
  ASSERT_EQ(runQuietly(kBinary + " render --snapshot " + snapshot + " --family medium --scale 1 --now " + now +
                       " --out " + rendered),
            0);
  EXPECT_EQ(readFile(dir.file("out/widget-medium.png")), readFile(rendered));
}

TEST(RunHeadless, TicksWhenTheLineChangesAndNotOtherwise) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  // Every change written: at 10x, one draw per host second while seconds
  // show, each a second after the last.
  ChildProcess host(
      {kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", snapshotAged(dir, 0), "--now",
       std::to_string(kStart), "--speed", "10", "--interval", "1", "--events", "--family", "small"},
      noBus(dir), dir.file("stderr.txt"));
  std::vector<std::string> seen;
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  std::vector<double> times;
  std::vector<std::string> lines;
  while (times.size() < 6) {
    auto draw = host.waitFor(R"("event":"draw")", seen);
    ASSERT_TRUE(draw);
    times.push_back(number(*draw, "now"));
    lines.push_back(text(*draw, "freshness").value_or(""));
  }
  // Never closer than the interval, never a picture that did not change,
  // and (with room for a loaded machine) not much later than the change.
  for (std::size_t i = 2; i < times.size(); ++i) {
    EXPECT_GE(times[i] - times[i - 1], 1 - 1e-6);
    EXPECT_LT(times[i] - times[i - 1], 4);
    EXPECT_NE(lines[i], lines[i - 1]);
  }
  host.signal(SIGINT);
  EXPECT_EQ(host.wait(), 0);
}

TEST(RunHeadless, AMissingSnapshotShowsTheEmptyState) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  ChildProcess host({kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", dir.file("missing.json"),
                     "--events", "--family", "medium"},
                    noBus(dir), dir.file("stderr.txt"));
  std::vector<std::string> seen;
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  auto draw = host.waitFor(R"("event":"draw")", seen);
  ASSERT_TRUE(draw);
  EXPECT_NE(draw->find(R"("freshness":null)"), std::string::npos) << *draw;
  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
  EXPECT_EQ(readFile(dir.file("stderr.txt")), "");
}

// A picture that cannot be written (a full disk, here a folder in its
// place) is said once and written as soon as it can be: at the next change
// of a ticking picture, and by a retry when nothing on it changes (a stale
// snapshot), where no change would ever come.
TEST(RunHeadless, AFailedWriteIsReportedOnceAndRetriedUntilItIsWritten) {
  struct Case {
    const char* what;
    double age;
  };
  for (const Case& c : {Case{"ticking", 1}, Case{"unchanging", 3600}}) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    std::filesystem::create_directory(dir.file("out"));
    std::filesystem::create_directory(dir.file("out/widget-medium.png"));
    ChildProcess host(
        {kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", snapshotAged(dir, c.age), "--now",
         std::to_string(kStart), "--speed", "10", "--interval", "1", "--events", "--family", "medium"},
        noBus(dir), dir.file("stderr.txt"));
    std::vector<std::string> seen;
    ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
    // The write keeps failing meanwhile (nothing is drawn).
    ASSERT_TRUE(host.readLine(std::chrono::milliseconds(500)) == std::nullopt);
    std::filesystem::remove(dir.file("out/widget-medium.png"));
    ASSERT_TRUE(host.waitFor(R"("event":"draw")", seen, std::chrono::seconds(15)));
    host.signal(SIGTERM);
    EXPECT_EQ(host.wait(), 0);
    EXPECT_EQ(readFile(dir.file("stderr.txt")),
              "corvane-widget: " + dir.file("out/widget-medium.png") + ": not a regular file, so it is not replaced\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("out/widget-medium.png")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("out")), {}), 1);
  }
}

// What a host killed while writing left is gone once the next one starts,
// and a picture a person made readable to others stays so when rewritten.
TEST(RunHeadless, RemovesWhatACrashedHostLeftAndKeepsThePicturesPermissions) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string leftover = dir.write("out/widget-small.png.tmp-" + std::to_string(gone) + "-0-1", "half a pict");
  const std::string picture = dir.write("out/widget-small.png", "an old picture");
  ASSERT_EQ(::chmod(picture.c_str(), 0604), 0);
  ChildProcess host({kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", snapshotAged(dir, 60),
                     "--now", std::to_string(kStart), "--events", "--family", "small"},
                    noBus(dir), dir.file("stderr.txt"));
  std::vector<std::string> seen;
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  ASSERT_TRUE(host.waitFor(R"("event":"draw")", seen));
  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
  EXPECT_FALSE(std::filesystem::exists(leftover));
  struct stat st {};
  ASSERT_EQ(::stat(picture.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0604u);
  EXPECT_NE(readFile(picture), "an old picture");
}

// A rejected file is the empty state, silently; --events says why, as check
// would, and stops saying it once the file is valid again.
TEST(RunHeadless, EventsSayWhyTheSnapshotGaveNoData) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  const std::string snapshot = dir.write("snapshot.json", testing::withReplaced(R"(, "s": "off")", ""));
  ChildProcess host({kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", snapshot, "--now",
                     std::to_string(kStart), "--events", "--family", "small"},
                    noBus(dir), dir.file("stderr.txt"));
  std::vector<std::string> seen;
  const auto rejected = host.waitFor(R"("event":"timeline")", seen);
  ASSERT_TRUE(rejected);
  EXPECT_NE(rejected->find(R"("noData":")" + snapshot + R"(: accounts[1].plan[1]: missing key \"s\"")"),
            std::string::npos)
      << *rejected;
  snapshotAged(dir, 60);
  host.signal(SIGHUP);  // reload
  const auto valid = host.waitFor(R"("event":"timeline")", seen);
  ASSERT_TRUE(valid);
  EXPECT_EQ(valid->find("noData"), std::string::npos) << *valid;
  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
}

// A file renamed over the snapshot, as a writer does it (--watch).
void replace(const TempDir& dir, const std::string& path, const std::string& text) {
  const std::string next = dir.write("next.json", text);
  std::filesystem::rename(next, path);
}

double secondsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// While a writer works on the snapshot, the host reloads as soon as the
// file is replaced, and no more than four times a second however often.
TEST(RunHeadless, WatchReloadsSoonAfterTheFileIsReplacedAndNotMoreOftenThanFourTimesASecond) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  const std::string snapshot = snapshotAged(dir, 30);
  ChildProcess host({kBinary, "run", "--headless", "--watch", "--out", dir.file("out"), "--snapshot", snapshot,
                     "--events", "--family", "small"},
                    noBus(dir), dir.file("stderr.txt"));
  std::vector<std::string> seen;
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  const auto renamed = std::chrono::steady_clock::now();
  replace(dir, snapshot, testing::withReplaced(R"("dms": 18)", R"("dms": 19)"));
  ASSERT_TRUE(host.waitFor(R"("event":"reload-requested")", seen, std::chrono::seconds(5)));
  EXPECT_LT(secondsSince(renamed), 0.3) << "the reload came late";
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  // Twenty replacements in a second: at most four reloads in it, and one
  // after the last.
  const auto burst = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) {
    replace(dir, snapshot, testing::withReplaced(R"("dms": 18)", R"("dms": )" + std::to_string(20 + i)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  int reloads = 0;
  while (auto line = host.readLine(std::chrono::milliseconds(600)))
    if (line->find(R"("event":"reload-requested")") != std::string::npos) ++reloads;
  const double took = secondsSince(burst);
  EXPECT_GE(reloads, 2);
  EXPECT_LE(reloads, int(took * 4) + 1) << reloads << " reloads in " << took << " s";
  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
}

// check --watch: a verdict at the start and at every replacement, one line
// each, until it is told to stop.
TEST(CheckWatch, SaysTheVerdictAtEveryChange) {
  TempDir dir;
  const std::string file = dir.write("widget.json", testing::kValidDocument);
  ChildProcess check({kBinary, "check", "--watch", file}, noBus(dir), dir.file("stderr.txt"));
  struct Step {
    std::string text, starts;
  };
  const std::vector<Step> steps = {
      {"", R"({"v":1,"at":600.5,)"},
      {testing::withReplaced(R"(, "s": "off")", ""), "invalid: " + file + R"(: accounts[1].plan[1]: missing key "s")"},
      {"{", "invalid: " + file + ": "},
      {testing::withReplaced(R"("dms": 18)", R"("dms": 5)"), R"({"v":1,"at":600.5,"connected":true,"dms":5,)"},
  };
  for (const Step& s : steps) {
    if (!s.text.empty()) replace(dir, file, s.text);
    auto line = check.readLine(std::chrono::seconds(5));
    ASSERT_TRUE(line) << "no verdict after: " << s.starts;
    EXPECT_EQ(line->rfind(s.starts, 0), 0u) << *line;
  }
  std::filesystem::remove(file);
  auto gone = check.readLine(std::chrono::seconds(5));
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->rfind("unreadable: " + file + ": No such file or directory", 0), 0u) << *gone;
  check.signal(SIGTERM);
  EXPECT_EQ(check.wait(), 0);
}

TEST(RunHeadless, RefusesWhatItCannotDo) {
  TempDir dir;
  dir.write("file", "");
  struct Case {
    std::string args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"run --headless --out " + dir.file("missing"), dir.file("missing") + ": No such file or directory"},
      {"run --headless --out " + dir.file("file"), dir.file("file") + ": not a folder"},
      {"run --headless", "run --headless needs --out DIR"},
      // Options of the other mode would do nothing there.
      {"run --out " + dir.path().string(), "--out is for run --headless: a window run writes no pictures"},
      {"run --scale 2", "--scale is for run --headless: a window takes its monitor's scale"},
      {"run --interval 5", "--interval is for run --headless"},
      {"run --headless --out " + dir.path().string() + " --position top-left",
       "--position is for a window run: run --headless places no window"},
      {"run --headless --out " + dir.path().string() + " --margin 0", "--margin is for a window run"},
      {"run --headless --out " + dir.path().string() + " --monitor 1", "--monitor is for a window run"},
      // Numbers that would overflow a timer or stop the clock are refused up front.
      {"run --headless --out " + dir.path().string() + " --interval 0",
       "--interval: must be a finite number from 0.001 to 86400, not 0"},
      {"run --headless --out " + dir.path().string() + " --interval 5e6", "from 0.001 to 86400, not 5e6"},
      {"run --headless --out " + dir.path().string() + " --speed 0", "--speed: must be a finite number from 1e-06"},
      {"run --headless --out " + dir.path().string() + " --speed inf", "to 1000000, not inf"},
      {"run --headless --out " + dir.path().string() + " --now nan",
       "--now: must be seconds since 1970 or an ISO 8601 time"},
      {"run --margin nan", "--margin: must be a finite number from 0 to 1000, not nan"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    ChildProcess p({"/bin/sh", "-c", kBinary + " " + c.args}, noBus(dir), dir.file("stderr.txt"));
    EXPECT_EQ(p.wait(), 2);
    EXPECT_NE(readFile(dir.file("stderr.txt")).find(c.err), std::string::npos) << readFile(dir.file("stderr.txt"));
  }
}

// A windowed `run` is handed to the window program beside the command-line
// program (which links no GTK); without a display that program explains, and
// without the program the command line says what is missing.
TEST(RunWindow, HandsOverToTheWindowProgramOrSaysWhyItCannot) {
  TempDir dir;
  std::filesystem::copy_file(kBinary, dir.file("corvane-widget"));
  std::filesystem::permissions(dir.file("corvane-widget"), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  struct Case {
    std::string binary;
    std::vector<std::string> errs;
  };
  const std::vector<Case> cases = {
      {kBinary, {"no display to show the widget on", "run --headless --out DIR"}},
      {dir.file("corvane-widget"),
       {"the desktop window program could not be started", dir.file("corvane-widget-window"), "run --headless"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.binary);
    ChildProcess p({"/bin/sh", "-c", "exec env -u DISPLAY -u WAYLAND_DISPLAY " + c.binary + " run --family small"},
                   noBus(dir), dir.file("stderr.txt"));
    EXPECT_EQ(p.wait(), 2);
    const std::string err = readFile(dir.file("stderr.txt"));
    for (const std::string& e : c.errs) EXPECT_NE(err.find(e), std::string::npos) << err;
  }
}

// Starts a host, tells it to reload with `reloadEnv`, and checks that it asks
// for a new timeline.
void expectReloadReaches(const TempDir& dir, const Env& hostEnv, const Env& reloadEnv) {
  std::filesystem::create_directory(dir.file("out"));
  ChildProcess host({kBinary, "run", "--headless", "--out", dir.file("out"), "--snapshot", snapshotAged(dir, 0),
                     "--events", "--family", "small"},
                    hostEnv, dir.file("host-stderr.txt"));
  std::vector<std::string> seen;
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen)) << readFile(dir.file("host-stderr.txt"));
  ChildProcess reload({kBinary, "reload"}, reloadEnv, dir.file("reload-stderr.txt"));
  EXPECT_EQ(reload.wait(), 0) << readFile(dir.file("reload-stderr.txt"));
  EXPECT_TRUE(host.waitFor(R"("event":"reload-requested")", seen));
  EXPECT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
}

TEST(Reload, ReachesAHostWithoutASessionBus) {
  TempDir dir;
  expectReloadReaches(dir, noBus(dir), noBus(dir));
  // The host's private folder is the user's alone, and its socket is gone.
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("corvane-widget").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("corvane-widget")));
  // With no host left, reload says so.
  ChildProcess reload({kBinary, "reload"}, noBus(dir), dir.file("reload-stderr.txt"));
  EXPECT_EQ(reload.wait(), 1);
  EXPECT_EQ(readFile(dir.file("reload-stderr.txt")), "corvane-widget: no widget host is running\n");
}

TEST(Reload, ReachesAHostThroughTheSessionBus) {
  if (runQuietly("command -v dbus-daemon") != 0) GTEST_SKIP() << "dbus-daemon is not installed";
  TempDir dir;
  ChildProcess bus({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}, {},
                   dir.file("bus-stderr.txt"));
  auto address = bus.readLine(std::chrono::seconds(10));
  ASSERT_TRUE(address) << readFile(dir.file("bus-stderr.txt"));
  // The reloading side looks in an empty runtime folder: only the bus can
  // reach the host.
  std::filesystem::create_directory(dir.file("elsewhere"));
  expectReloadReaches(dir, {{"DBUS_SESSION_BUS_ADDRESS", *address}, {"XDG_RUNTIME_DIR", dir.path().string()}},
                      {{"DBUS_SESSION_BUS_ADDRESS", *address}, {"XDG_RUNTIME_DIR", dir.file("elsewhere")}});
  bus.signal(SIGTERM);
  bus.wait();
}

TEST(Reload, SighupAsksForATimeline) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  ChildProcess host({kBinary, "run", "--headless", "--out", dir.file("out"), "--events", "--family", "small"},
                    noBus(dir), dir.file("stderr.txt"));
  std::vector<std::string> seen;
  ASSERT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  host.signal(SIGHUP);
  EXPECT_TRUE(host.waitFor(R"("event":"reload-requested")", seen));
  EXPECT_TRUE(host.waitFor(R"("event":"timeline")", seen));
  host.signal(SIGTERM);
  EXPECT_EQ(host.wait(), 0);
}

}  // namespace
}  // namespace corvane
