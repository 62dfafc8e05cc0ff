// Where a widget window goes: corners, margins and offsets on a monitor's
// work area, whether a remembered place is still reachable, and the places
// file. No display needed.

#include "platform/desktop/placement.hpp"
#include "platform/desktop/scale_choice.hpp"
#include "platform/desktop/settings_writer.hpp"
#include "platform/desktop/widget_settings.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "kit/temp_dir.hpp"

namespace corvane {
namespace {

using Places = std::map<std::string, std::pair<double, double>, std::less<>>;

TEST(Placement, CornersMarginsAndOffsetsOnAWorkArea) {
  const Rect first{0, 0, 1280, 800};
  // A second monitor to the left of the first, its work area below a 32 px panel.
  const Rect left{-1920, 32, 1920, 1048};
  struct Case {
    Rect area;
    Corner corner;
    double margin, offset;
    Rect want;
  } cases[] = {
      {first, Corner::topRight, 24, 0, {892, 24, 364, 170}},
      {first, Corner::topLeft, 24, 0, {24, 24, 364, 170}},
      {first, Corner::bottomLeft, 16, 0, {16, 614, 364, 170}},
      {first, Corner::bottomRight, 0, 0, {916, 630, 364, 170}},
      // The next widget along the edge, away from the corner.
      {first, Corner::topRight, 24, 388, {504, 24, 364, 170}},
      {first, Corner::bottomLeft, 24, 388, {412, 606, 364, 170}},
      {left, Corner::topLeft, 24, 0, {-1896, 56, 364, 170}},
      {left, Corner::bottomRight, 24, 0, {-388, 886, 364, 170}},
      // Fractional margins land on whole logical pixels.
      {first, Corner::topLeft, 10.4, 0.3, {11, 10, 364, 170}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(cornerName(c.corner)) + " margin " + std::to_string(c.margin) + " offset " +
                 std::to_string(c.offset));
    EXPECT_EQ(placeInCorner(c.area, {364, 170}, c.corner, c.margin, c.offset), c.want);
  }
}

TEST(Placement, AWidgetGoesToTheFirstFreeSpotInsideTheWorkArea) {
  const Rect screen{0, 0, 1280, 800};
  const Size medium{364, 170}, large{364, 382};
  const Rect atCorner{892, 24, 364, 170};  // medium, top right, margin 24
  struct Case {
    const char* what;
    Rect area;
    Size size;
    Corner corner;
    std::vector<Rect> taken;
    Rect want;
  } cases[] = {
      {"an empty desktop: the corner", screen, medium, Corner::topRight, {}, atCorner},
      {"next along the edge", screen, medium, Corner::topRight, {atCorner}, {504, 24, 364, 170}},
      // A removed neighbour leaves its spot free again: no creeping along the edge.
      {"the spot a removed widget left", screen, medium, Corner::topRight, {{504, 24, 364, 170}}, atCorner},
      {"past a larger neighbour", screen, medium, Corner::topRight, {{892, 24, 364, 382}}, {504, 24, 364, 170}},
      // A dragged widget elsewhere leaves the corner free; one near it is kept clear of.
      {"a dragged one far away", screen, medium, Corner::topRight, {{100, 500, 170, 170}}, atCorner},
      {"a dragged one near the corner", screen, medium, Corner::topRight, {{1000, 100, 170, 170}}, {612, 24, 364, 170}},
      {"the edge full: the next row",
       {0, 0, 800, 800},
       medium,
       Corner::topRight,
       {{412, 24, 364, 382}},
       {24, 24, 364, 170}},
      {"the row full: below", {0, 0, 420, 800}, medium, Corner::topRight, {{32, 24, 364, 170}}, {32, 218, 364, 170}},
      {"mirrored for the bottom left", screen, medium, Corner::bottomLeft, {{24, 606, 364, 170}}, {412, 606, 364, 170}},
      // No free spot: the corner, inside the area.
      {"no room at all", {0, 0, 400, 200}, medium, Corner::topRight, {{0, 0, 400, 200}}, {12, 24, 364, 170}},
      // Larger than the work area (large at 2x on 1280x800, below a 24 px panel): its top-left shows.
      {"larger than the area", {0, 24, 640, 376}, large, Corner::topRight, {}, {252, 24, 364, 382}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Rect got = firstFreeSpot(c.area, c.size, c.corner, 24, c.taken);
    EXPECT_EQ(got, c.want);
  }
  // A remembered place partly off the area is moved in, as little as it takes.
  EXPECT_EQ(keptInside(screen, {1200, -30, 364, 170}), (Rect{916, 0, 364, 170}));
  EXPECT_EQ(keptInside(screen, {-1500, 700, 2000, 170}), (Rect{0, 630, 2000, 170}));
}

TEST(Placement, CornerNamesRoundTripAndUnknownNamesAreRejected) {
  for (Corner c : {Corner::topLeft, Corner::topRight, Corner::bottomLeft, Corner::bottomRight})
    EXPECT_EQ(cornerFromName(cornerName(c)), c);
  for (const char* bad : {"", "top", "Top-Left", "top_right", "top-right "}) EXPECT_FALSE(cornerFromName(bad)) << bad;
}

TEST(Placement, ARememberedPlaceIsUsedOnlyWhileAQuarterOfItShows) {
  const Rect area{0, 0, 1280, 800};
  struct Case {
    Rect frame;
    bool reachable;
  } cases[] = {
      {{100, 100, 364, 170}, true},        {{1280 - 91, 100, 364, 170}, true},  // exactly a quarter of its width shows
      {{1280 - 90, 100, 364, 170}, false},                                      // less than a quarter
      {{-273, 100, 364, 170}, true},                                            // a quarter off the left edge
      {{100, 800 - 42, 364, 170}, false},                                       // less than a quarter of its height
      {{100, -127, 364, 170}, true},       {{1500, 100, 364, 170}, false},      // on a monitor that went away
      {{-2000, -2000, 364, 170}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frame.x) + "," + std::to_string(c.frame.y));
    EXPECT_EQ(reachableOn(area, c.frame), c.reachable);
  }
}

// Polls of the button and the window's place, as the window makes them
// during a drag: only where the person let go after moving it is kept.
TEST(DragMemory, KeepsOnlyWhereAMovedWindowWasLetGo) {
  struct Poll {
    bool held;
    double x, y;
  };
  struct Case {
    const char* name;
    bool pressed;
    std::vector<Poll> polls;
    std::optional<Rect> kept;
  };
  const std::vector<Case> cases = {
      {"a click that moves nothing", true, {{true, 100, 50}, {false, 100, 50}}, std::nullopt},
      {"a drag, let go", true, {{true, 140, 60}, {true, 300, 90}, {false, 310, 95}}, Rect{310, 95, 0, 0}},
      {"a long pause half-way, then on to the drop",
       true,
       {{true, 200, 70}, {true, 200, 70}, {true, 200, 70}, {true, 200, 70}, {true, 420, 120}, {false, 420, 120}},
       Rect{420, 120, 0, 0}},
      {"moved by itself, no button down", false, {{false, 600, 24}, {false, 892, 24}}, std::nullopt},
      {"dragged back to where it started", true, {{true, 300, 90}, {false, 100, 50}}, std::nullopt},
  };
  for (const Case& c : cases) {
    DragMemory drag;
    if (c.pressed) drag.pressed(100, 50);
    std::optional<Rect> kept;
    for (const Poll& p : c.polls)
      if (auto place = drag.polled(p.held, p.x, p.y)) kept = place;
    EXPECT_EQ(kept, c.kept) << c.name;
    EXPECT_FALSE(drag.dragging()) << c.name;
    EXPECT_EQ(drag.polled(false, 5, 5), std::nullopt) << c.name << ": a later move by itself";
  }
}

// Windows on monitors of different scales: the views are laid out for the
// largest, and a window that goes (closed, or showing another family now
// under the same window) takes its scale with it.
TEST(ScaleChoice, TheLargestScaleOfTheWindowsStillThere) {
  int a = 0, b = 0;  // two windows
  ScaleChoice choice(1);
  struct Step {
    const char* what;
    std::function<std::optional<int>()> step;
    std::optional<int> changed;
    int chosen;
  };
  const std::vector<Step> steps = {
      {"a drawn at 1", [&] { return choice.seen(&a, 1); }, std::nullopt, 1},
      {"b drawn at 2", [&] { return choice.seen(&b, 2); }, 2, 2},
      {"a drawn at 1 again", [&] { return choice.seen(&a, 1); }, std::nullopt, 2},
      {"b gone", [&] { return choice.forget(&b); }, 1, 1},
      {"b gone twice", [&] { return choice.forget(&b); }, std::nullopt, 1},
      {"a moved to a 3x monitor", [&] { return choice.seen(&a, 3); }, 3, 3},
      {"the last window gone: the choice stays", [&] { return choice.forget(&a); }, std::nullopt, 3},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.step(), s.changed) << s.what;
    EXPECT_EQ(choice.chosen(), s.chosen) << s.what;
  }
}

// What a person set up reads back as it was written; a line that cannot be
// read (damaged, or a newer version's) is skipped and said, and the others
// are kept.
TEST(WidgetSettings, ReadsBackWhatWasKeptAndSkipsOnlyTheLinesItCannotRead) {
  const std::vector<std::string> families = {"small", "medium", "large"};
  const std::vector<std::vector<WidgetSetting>> kept = {
      {},
      {{"medium", std::nullopt}},
      {{"large", Rect{592, 84, 0, 0}}, {"small", std::nullopt}, {"medium", Rect{-1234.5625, 1e-3, 0, 0}}},
      {{"large", Rect{592, 84, 0, 0}, true}, {"small", std::nullopt, true}},
  };
  for (const auto& widgets : kept) {
    const std::string text = WidgetSettings::format(widgets);
    const WidgetSettings::Parsed parsed = WidgetSettings::parse(text, families);
    EXPECT_EQ(parsed.error, "") << text;
    EXPECT_EQ(parsed.widgets, widgets) << text;
  }
  struct Damaged {
    std::string text, error;
    std::vector<WidgetSetting> widgets;
    std::vector<std::string> unread;
  };
  const std::vector<Damaged> damaged = {
      {"medium here\nsmall\n", "line 1: a place is two finite numbers", {{"small", std::nullopt}}, {"medium here"}},
      {"medium 3\n", "line 1: a place is two finite numbers", {}, {"medium 3"}},
      {"# kept\nsmall\nhuge 1 2\n",
       "line 3: no widget is called \"huge\"",
       {{"small", std::nullopt}},
       {"# kept", "huge 1 2"}},
      {"small\nsmall 1 2\n", "line 2: a second small widget", {{"small", std::nullopt}}, {"small 1 2"}},
      {"large 1 2 3\n", "line 1: more than a family, a place and \"locked\"", {}, {"large 1 2 3"}},
      {"large locked 1 2\n", "line 1: more than a family, a place and \"locked\"", {}, {"large locked 1 2"}},
      {"small 1 locked\n", "line 1: a place is two finite numbers", {}, {"small 1 locked"}},
      {"large nan 2\n", "line 1: a place is two finite numbers", {}, {"large nan 2"}},
      {"  \n\t# indented\nlarge 1 2\n", "", {{"large", Rect{1, 2, 0, 0}}}, {"\t# indented"}},
      {"\x1b[2J\xff 1 2\n", "line 1: no widget is called \"\\x1B[2J\\xFF\"", {}, {"\x1b[2J\xff 1 2"}},
  };
  for (const Damaged& d : damaged) {
    const WidgetSettings::Parsed parsed = WidgetSettings::parse(d.text, families);
    EXPECT_EQ(parsed.error, d.error) << d.text;
    EXPECT_EQ(parsed.widgets, d.widgets) << d.text;
    EXPECT_EQ(parsed.unread, d.unread) << d.text;
    // Written back, the lines not read come after the widgets, as they were.
    const WidgetSettings::Parsed again = WidgetSettings::parse(WidgetSettings::format(d.widgets, d.unread), families);
    EXPECT_EQ(again.widgets, d.widgets) << d.text;
    EXPECT_EQ(again.unread, d.unread) << d.text;
  }
}

// A file this version cannot read at all is said and never replaced; a
// symbolic link (a dotfile manager's) is written through and stays a link.
TEST(WidgetSettings, LeavesAnUnreadableFileAloneAndWritesThroughALink) {
  testing::TempDir dir;
  const std::vector<std::string> families = {"small", "medium", "large"};
  const std::string folder = dir.file("config");
  std::filesystem::create_directories(folder);
  const std::string huge(kMaxSettingsBytes + 1, '#');
  dir.write("config/widgets", huge);
  WidgetSettings tooLarge(folder);
  const auto said = tooLarge.load(families);
  ASSERT_TRUE(said);
  EXPECT_NE(said->find("too large"), std::string::npos) << *said;
  EXPECT_TRUE(tooLarge.save({{"small", std::nullopt}}));
  EXPECT_EQ(std::filesystem::file_size(dir.file("config/widgets")), huge.size());

  std::filesystem::remove(dir.file("config/widgets"));
  dir.write("dotfiles/widgets", "large 7 8\nfuture-family 1 2\n");
  std::filesystem::create_symlink("../dotfiles/widgets", dir.file("config/widgets"));
  WidgetSettings linked(folder);
  ASSERT_TRUE(linked.load(families));  // the line a newer version wrote is said
  EXPECT_EQ(linked.widgets(), (std::vector<WidgetSetting>{{"large", Rect{7, 8, 0, 0}}}));
  ASSERT_EQ(linked.save({{"medium", std::nullopt}}), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("config/widgets")));
  WidgetSettings reread(folder);
  reread.load(families);
  EXPECT_EQ(reread.widgets(), (std::vector<WidgetSetting>{{"medium", std::nullopt}}));
  std::ifstream target(dir.file("dotfiles/widgets"));
  const std::string text{std::istreambuf_iterator<char>(target), {}};
  EXPECT_NE(text.find("future-family 1 2\n"), std::string::npos) << text;
}

// Kept in its folder, made if need be; an older version's places still
// place a widget until the person moves it again.
TEST(WidgetSettings, SaveWritesTheFileAndLoadReadsItWithTheOlderPlaces) {
  testing::TempDir dir;
  const std::string folder = dir.file("config/corvane-widget");
  std::filesystem::create_directories(folder);
  dir.write("config/corvane-widget/places", "small 10 20\nlarge 30 40\n");
  WidgetSettings settings(folder);
  ASSERT_EQ(settings.load({"small", "medium", "large"}), std::nullopt);
  EXPECT_TRUE(settings.widgets().empty());
  EXPECT_EQ(settings.place("large"), (Rect{30, 40, 0, 0}));
  ASSERT_EQ(settings.save({{"large", Rect{5, 6, 0, 0}}, {"medium", std::nullopt}}), std::nullopt);
  WidgetSettings again(folder);
  ASSERT_EQ(again.load({"small", "medium", "large"}), std::nullopt);
  EXPECT_EQ(again.widgets(), (std::vector<WidgetSetting>{{"large", Rect{5, 6, 0, 0}}, {"medium", std::nullopt}}));
  EXPECT_EQ(again.place("large"), (Rect{5, 6, 0, 0}));
  EXPECT_EQ(again.place("small"), (Rect{10, 20, 0, 0}));
  EXPECT_EQ(again.place("medium"), std::nullopt);
  // A folder that cannot be made is said, not thrown.
  dir.write("blocked", "a file where a folder should be");
  WidgetSettings blocked(dir.file("blocked/corvane-widget"));
  EXPECT_TRUE(blocked.save({{"medium", std::nullopt}}));
}

// Off the main loop: the last text asked wins, everything asked is on disk
// after a flush (and when the writer goes), and a failure is said on the
// main context.
TEST(SettingsWriter, WritesTheLatestTextAndSaysAFailureOnTheMainContext) {
  testing::TempDir dir;
  std::vector<std::string> failures;
  {
    SettingsWriter writer([&](const std::string& why) { failures.push_back(why); });
    for (int i = 0; i < 20; ++i) writer.write(dir.file("widgets"), "small " + std::to_string(i) + " 0\n");
    writer.flush();
    std::ifstream in(dir.file("widgets"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "small 19 0\n");
    writer.write(dir.file("last"), "written before the writer goes\n");
  }
  EXPECT_TRUE(std::filesystem::exists(dir.file("last")));
  EXPECT_TRUE(failures.empty());
  SettingsWriter failing([&](const std::string& why) { failures.push_back(why); });
  failing.write(dir.file("missing/folder/widgets"), "x");
  failing.flush();
  for (int i = 0; i < 10 && failures.empty(); ++i) g_main_context_iteration(nullptr, FALSE);
  EXPECT_EQ(failures, std::vector<std::string>{"No such file or directory"});
}

TEST(RememberedPlaces, MalformedLinesAreSkippedAndTheLastLineOfAFamilyWins) {
  struct Case {
    const char* text;
    Places want;
  } cases[] = {
      {"", {}},
      {"medium 10 20", {{"medium", {10, 20}}}},
      {"medium 10 20\nmedium 30 40\n", {{"medium", {30, 40}}}},
      {"medium 10\nsmall 1 2\n", {{"small", {1, 2}}}},
      {"medium 10 20 30\nsmall x 2\nlarge 1 2\n", {{"large", {1, 2}}}},
      {"medium 1e999 5\nsmall nan 2\n\n   \nlarge -3 4", {{"large", {-3, 4}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RememberedPlaces::parse(c.text), c.want);
  }
}

TEST(RememberedPlaces, TheDefaultPathFollowsAnAbsoluteXdgConfigHomeOnly) {
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string config = savedConfig ? savedConfig : "";
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome ? savedHome : "";
  ::setenv("HOME", "/home/someone", 1);
  struct Case {
    const char* config;  // null: unset
    const char* want;
  } cases[] = {
      {"/tmp/cfg", "/tmp/cfg/corvane-widget/places"},
      {nullptr, "/home/someone/.config/corvane-widget/places"},
      {"", "/home/someone/.config/corvane-widget/places"},
      {"relative/cfg", "/home/someone/.config/corvane-widget/places"},
  };
  for (const Case& c : cases) {
    if (c.config)
      ::setenv("XDG_CONFIG_HOME", c.config, 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RememberedPlaces::defaultPath(), c.want) << (c.config ? c.config : "(unset)");
  }
  if (savedConfig)
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
  if (savedHome)
    ::setenv("HOME", home.c_str(), 1);
  else
    ::unsetenv("HOME");
}

}  // namespace
}  // namespace corvane
