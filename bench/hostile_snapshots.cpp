// Writes the hostile snapshot files that bench/measure-hostile renders: valid
// documents whose strings or plans are far larger, or whose scripts far
// broader, than the application writes. Each is the built-in sample with one
// thing changed, so its time against the sample's shows that thing's cost.
// Usage: hostile_snapshots FOLDER

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "data/encode.hpp"
#include "data/store.hpp"
#include "support/file_io.hpp"
#include "support/wall_clock.hpp"

namespace {

using namespace corvane;

// `length` characters of words ("lorem ipsum ...") with single spaces.
std::string words(std::size_t length) {
  static const char* const kWords[] = {"plan", "reply", "orchard", "lantern", "harbor", "quiet", "story", "feed"};
  std::string out;
  for (std::size_t i = 0; out.size() < length; ++i) {
    if (!out.empty()) out += ' ';
    out += kWords[(i * 7 + i / 3) % 8];
  }
  out.resize(length);
  return out;
}

std::string repeat(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

Account& running(Snapshot& d) { return d.accounts[1]; }  // "quiet_orchard", the one with a plan

const std::vector<std::pair<std::string, std::function<void(Snapshot&)>>> kFiles = {
    {"sample", [](Snapshot&) {}},
    {"plan-100k-cells",
     [](Snapshot& d) {
       auto& plan = running(d).plan;
       plan.clear();
       for (int i = 0; i < 100000; ++i)
         plan.push_back({"Cell " + std::to_string(i), std::to_string(i % 17) + "/17", i % 9 ? "" : "full"});
     }},
    {"note-1mb", [](Snapshot& d) { running(d).note = words(1 << 20); }},
    {"cells-5000-chars",
     [](Snapshot& d) {
       auto& plan = running(d).plan;  // copy-on-write: cells change through the array
       for (std::size_t i = 0; i < plan.size(); ++i) plan[i].n = words(5000), plan[i].v = repeat("9/17 ", 1000);
     }},
    {"handle-100k", [](Snapshot& d) { running(d).u = repeat("quiet_orchard_", 100000 / 14 + 1).substr(0, 100000); }},
    {"arabic-hebrew",
     [](Snapshot& d) {
       running(d).u = "\u0628\u0633\u062A\u0627\u0646_\u0647\u0627\u062F\u0626";  // "quiet orchard"
       running(d).note = "\u05E8\u05E5 \u05E2\u05DB\u05E9\u05D9\u05D5";           // "running now"
       d.accounts[0].note = "\u05E6\u05E8\u05D9\u05DA \u05D0\u05D5\u05EA\u05DA";
     }},
    {"cjk-emoji",
     [](Snapshot& d) {
       running(d).u = "\u9759\u304B\u306A\u679C\u6A39\u5712";
       running(d).note = "\u5B9F\u884C\u4E2D \U0001F680\U0001F468\u200D\U0001F469\u200D\U0001F467";
       d.accounts[0].u = "\uD56D\uAD6C\uC758_\uB4F1\uBD88";
       auto& plan = running(d).plan;
       for (std::size_t i = 0; i < plan.size(); ++i) plan[i].n = "\U0001F44D\U0001F3FD " + plan[i].n + " \u2764\uFE0F";
     }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  for (const auto& [name, change] : kFiles) {
    Snapshot d = Store::makeSample(wallClockNow());
    change(d);
    const std::string path = (std::filesystem::path(argv[1]) / (name + ".json")).string();
    if (auto error = writeFileAtomically(path, toJson(d))) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error->c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
