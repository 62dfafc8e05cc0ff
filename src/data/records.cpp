#include "data/records.hpp"

#include <functional>
#include <string_view>

namespace corvane {
namespace {

// A small streaming hasher in the style of boost::hash_combine, widened to
// 64 bits, so the field order matters and equal fields give equal hashes.
class Hasher {
 public:
  void feed(std::string_view s) noexcept { mix(std::hash<std::string_view>{}(s)); }
  void feed(std::int64_t i) noexcept { mix(std::hash<std::int64_t>{}(i)); }
  void feed(const std::optional<std::int64_t>& cap) noexcept {
    if (cap) {
      feed(std::int64_t{1});
      feed(*cap);
    } else {
      feed(std::int64_t{0});
    }
  }
  void feed(const PlanCell& c) noexcept {
    feed(c.n);
    feed(c.v);
    feed(c.s);
  }
  std::size_t value() const noexcept { return state_; }

 private:
  void mix(std::size_t h) noexcept { state_ ^= h + 0x9e3779b97f4a7c15ULL + (state_ << 12) + (state_ >> 4); }
  std::size_t state_ = 0;
};

}  // namespace

std::size_t hashValue(const PlanCell& cell) noexcept {
  Hasher h;
  h.feed(cell);
  return h.value();
}

std::size_t hashValue(const Account& a) noexcept {
  Hasher h;
  h.feed(a.u);
  h.feed(a.state);
  h.feed(a.dms);
  h.feed(a.cap);
  h.feed(a.note);
  h.feed(static_cast<std::int64_t>(a.plan.size()));
  for (const PlanCell& c : a.plan) h.feed(c);
  return h.value();
}

}  // namespace corvane
