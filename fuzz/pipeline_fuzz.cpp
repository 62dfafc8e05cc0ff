// The whole drawing pipeline on any snapshot the records can hold: the input
// chooses a Snapshot (hostile Unicode in every string, counts at the 64-bit
// limits, any double as its time, from no accounts to many and from no plan
// cells to many), and every family is built, laid out and painted at 1x.
// Nothing may crash, trip a sanitizer or run past the time limit, and every
// laid-out frame must be finite.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "widget/today_widget.hpp"

namespace {

using namespace corvane;

// Pieces of text that have broken text stacks before: bidirectional text and
// its overrides, combining marks, joined emoji, NUL and other controls, line
// and paragraph separators, noncharacters and private use (valid UTF-8 that
// looks wrong), scripts that need fallback fonts.
constexpr std::array<std::string_view, 34> kPieces = {
    "quiet_orchard",
    "Likes",
    "11/17",
    " ",
    "@",
    "\u202E",
    "\u202D",
    "\u202C",
    "\u200F",
    "\u200E",
    "\u2067",
    "\u2069",  // overrides, marks, isolates
    "\u0645\u0631\u062D\u0628\u0627",
    "\u05E9\u05DC\u05D5\u05DD",  // Arabic, Hebrew
    "\u0301",
    "\u0336\u0336\u0336",
    "e\u0301\u0302\u0303\u0304",                                   // combining marks
    "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466",  // a ZWJ family
    "\U0001F3F3\uFE0F\u200D\U0001F308",
    "\U0001F1FA\U0001F1F8",
    "\U0001F44D\U0001F3FD",
    std::string_view("\0", 1),
    "\x01\x07\x1B",
    "\t",
    "\n",
    "\r\n",
    "\x7F",
    "\u0085\u2028\u2029",
    "\uFEFF",
    "\uFFFD",
    "\uFFFF\U0010FFFF",
    "\uE000",                                                  // BOM, noncharacters, private use
    "\u6771\u4EAC\u3067\u4F1A\u3044\u307E\u3057\u3087\u3046",  // CJK
    "\u0E01\u0E33\u0E25\u0E31\u0E07",                          // Thai (no spaces)
};

std::string hostileString(FuzzedDataProvider& in) {
  std::string out;
  const int pieces = in.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < pieces && in.remaining_bytes() > 0; ++i) {
    const std::string_view piece = kPieces[in.ConsumeIntegralInRange<std::size_t>(0, kPieces.size() - 1)];
    // Now and then a very long run of one piece.
    const int times = in.ConsumeBool() ? 1 : in.ConsumeIntegralInRange(1, 3000);
    for (int t = 0; t < times; ++t) out += piece;
  }
  if (in.ConsumeBool()) out += in.ConsumeRandomLengthString(64);  // raw bytes, maybe not UTF-8
  return out;
}

std::int64_t count(FuzzedDataProvider& in) {
  constexpr std::array<std::int64_t, 7> kEdges = {
      std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), -1, 0, 1, 2, 100};
  return in.ConsumeBool() ? kEdges[in.ConsumeIntegralInRange<std::size_t>(0, kEdges.size() - 1)]
                          : in.ConsumeIntegral<std::int64_t>();
}

std::optional<std::int64_t> cap(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return std::nullopt;
  return count(in);
}

constexpr double kNow = 1765208700;  // the drawing clock, pinned

double time(FuzzedDataProvider& in) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr std::array<double, 14> kEdges = {
      0,
      -0.0,
      kNow,
      kNow - 900,
      kNow - 900.001,
      kNow + 3600,
      1e308,
      -1e308,
      inf,
      -inf,
      std::numeric_limits<double>::quiet_NaN(),
      std::numeric_limits<double>::denorm_min(),
      9223372036854775808.0,
      -std::numeric_limits<double>::max(),
  };
  if (in.ConsumeBool()) return kEdges[in.ConsumeIntegralInRange<std::size_t>(0, kEdges.size() - 1)];
  return in.ConsumeFloatingPoint<double>();
}

std::string state(FuzzedDataProvider& in, std::array<std::string_view, 4> words) {
  return in.ConsumeBool() ? std::string(words[in.ConsumeIntegralInRange<std::size_t>(0, 3)]) : hostileString(in);
}

Snapshot snapshot(FuzzedDataProvider& in) {
  Snapshot d;
  d.v = count(in);
  d.at = time(in);
  d.connected = in.ConsumeIntegralInRange(0, 7) != 0;
  d.dms = count(in);
  d.cap = cap(in);
  d.replies = count(in);
  d.actions = count(in);
  d.running = count(in);
  d.needs = count(in);
  const int accounts = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 5) : in.ConsumeIntegralInRange(0, 2000);
  std::vector<Account> list;
  for (int a = 0; a < accounts; ++a) {
    if (in.remaining_bytes() == 0 && !list.empty()) {  // many accounts from a short input: repeat the last
      list.push_back(list.back());
      continue;
    }
    Account account{
        hostileString(in), state(in, {"run", "err", "idle", ""}), count(in), cap(in), hostileString(in), {}};
    const int cells = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 8) : in.ConsumeIntegralInRange(0, 400);
    for (int c = 0; c < cells; ++c) {
      if (in.remaining_bytes() == 0 && !account.plan.empty()) {
        account.plan.push_back(account.plan.back());
        continue;
      }
      account.plan.push_back({hostileString(in), hostileString(in), state(in, {"full", "off", "zero", ""})});
    }
    list.push_back(std::move(account));
  }
  d.accounts = std::move(list);
  return d;
}

void requireFiniteFrames(const Box& box) {
  const Rect& f = box.frame;
  if (!std::isfinite(f.x) || !std::isfinite(f.y) || !std::isfinite(f.width) || !std::isfinite(f.height)) {
    std::fprintf(stderr, "layout frame not finite: %g %g %g %g (%s)\n", f.x, f.y, f.width, f.height, box.text.c_str());
    std::abort();
  }
  for (const Box& child : box.children) requireFiniteFrames(child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FontLibrary fonts;  // loading fonts is per process, not per input
  FuzzedDataProvider in(data, size);
  const bool hasData = in.ConsumeIntegralInRange(0, 15) != 0;
  Entry entry{Date{kNow}, hasData ? std::optional<Snapshot>(snapshot(in)) : std::nullopt};
  PangoTextMeasurer text(fonts);
  for (WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    Environment env;
    env.widgetFamily = family;
    env.clock = fixedClock(Date{kNow});
    env.locale = "en_US";
    env.timeZone = "UTC";
    env.displayScale = 1;
    const Node tree = compose(TodayContent{}(entry), env);
    const BoxTree boxes = layOut(tree, env, canvasFor(family), text);
    requireFiniteFrames(boxes.root);
    paintImage(boxes, canvasFor(family), 1, fonts);
  }
  return 0;
}
