#include "data/records.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <unordered_set>

namespace corvane {
namespace {

Account base() { return {"quiet_orchard", "run", 18, 40, "Running", {{"Feed", "9/9", "full"}}}; }

TEST(Records, AccountEqualityAndHashFollowEveryField) {
  struct Variant {
    const char* name;
    std::function<void(Account&)> change;
  };
  const std::vector<Variant> variants = {
      {"handle", [](Account& a) { a.u = "other"; }},
      {"state", [](Account& a) { a.state = "err"; }},
      {"dms", [](Account& a) { a.dms = 19; }},
      {"cap absent", [](Account& a) { a.cap.reset(); }},
      {"cap value", [](Account& a) { a.cap = 0; }},
      {"note", [](Account& a) { a.note = ""; }},
      {"cell state", [](Account& a) { a.plan[0].s = ""; }},
      {"cell added",
       [](Account& a) {
         a.plan.push_back({"Feed", "9/9", "full"});
       }},
      {"plan emptied", [](Account& a) { a.plan.clear(); }},
  };
  const Account a = base();
  EXPECT_EQ(a, base());
  EXPECT_EQ(std::hash<Account>{}(a), std::hash<Account>{}(base()));
  for (const auto& v : variants) {
    SCOPED_TRACE(v.name);
    Account b = base();
    v.change(b);
    EXPECT_NE(a, b);
    EXPECT_NE(std::hash<Account>{}(a), std::hash<Account>{}(b));
  }
}

TEST(Records, AbsentCapDiffersFromZeroInEqualityAndHash) {
  Account absent = base(), zero = base();
  absent.cap.reset();
  zero.cap = 0;
  EXPECT_NE(absent, zero);
  EXPECT_NE(std::hash<Account>{}(absent), std::hash<Account>{}(zero));
}

TEST(Records, CellHashDependsOnFieldOrder) {
  // Moving text between fields must change the identity of a cell.
  PlanCell a{"ab", "", "c"}, b{"a", "b", "c"}, c{"c", "", "ab"};
  std::unordered_set<PlanCell> set{a, b, c};
  EXPECT_EQ(set.size(), 3u);
  EXPECT_NE(std::hash<PlanCell>{}(a), std::hash<PlanCell>{}(b));
  EXPECT_NE(std::hash<PlanCell>{}(a), std::hash<PlanCell>{}(c));
}

}  // namespace
}  // namespace corvane
