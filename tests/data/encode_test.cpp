#include "data/encode.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "data/decode.hpp"
#include "data/store.hpp"

namespace corvane {
namespace {

TEST(Encode, SnapshotInFieldOrderWithoutAbsentCaps) {
  Snapshot s{1, 600.5, true, 18, std::nullopt,
             2, 24,    1,    1,  {{"q", "run", 18, std::nullopt, "Running", {{"Feed", "9/9", "full"}}}}};
  EXPECT_EQ(
      toJson(s),
      R"({"v":1,"at":600.5,"connected":true,"dms":18,"replies":2,"actions":24,"running":1,"needs":1,)"
      R"("accounts":[{"u":"q","state":"run","dms":18,"note":"Running","plan":[{"n":"Feed","v":"9/9","s":"full"}]}]})");
}

TEST(Encode, StringsAreEscaped) {
  Snapshot s = Store::makeSample(0);
  s.accounts = {{"a\"b\\c", "\n\t\x01", 0, 0, "caf\u00e9 \u2013", {}}};
  const std::string json = toJson(s);
  EXPECT_NE(json.find(R"("u":"a\"b\\c")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("state":"\n\t\u0001")"), std::string::npos) << json;
  EXPECT_NE(json.find("\"note\":\"caf\u00e9 \u2013\""), std::string::npos) << json;
  EXPECT_NE(json.find(R"("cap":0)"), std::string::npos) << json;
}

TEST(Encode, RoundTripGivesEqualRecords) {
  // Whole numbers past the 64-bit integers must not be written as integer
  // literals, which strict parsers refuse.
  const std::vector<double> times = {
      0,       600.5, 1765200000.123456, -1.5, 1e300, 5e-324, 0.1 + 0.2, 18446744073709551615.0, 9223372036854775808.0,
      -9.3e18, 1e19,  123456789e12,      -0.0};
  for (double at : times) {
    SCOPED_TRACE(at);
    Snapshot s = Store::makeSample(at);
    s.cap.reset();
    s.accounts[0].u = std::string("nul\0byte", 8);
    Decoded back = decodeSnapshot(toJson(s));
    ASSERT_TRUE(back) << back.error.describe();
    EXPECT_EQ(back.snapshot->at, at);
    EXPECT_EQ(std::signbit(back.snapshot->at), std::signbit(at));  // bit-exact, the sign of zero too
    EXPECT_EQ(back.snapshot->accounts, s.accounts);
    EXPECT_FALSE(back.snapshot->cap);
    EXPECT_EQ(toJson(*back.snapshot), toJson(s));
  }
}

}  // namespace
}  // namespace corvane
