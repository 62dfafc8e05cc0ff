#include "data/decode.hpp"

#include <gtest/gtest.h>

#include "data/snapshot_text.hpp"

namespace corvane {
namespace {

using testing::kValidDocument;
using testing::withReplaced;

// A text with room to spare past its end is parsed where it is; one without
// is copied first. Both read the same, and a failure is found the same way.
TEST(Decode, TextsWithAndWithoutRoomPastTheirEndDecodeAlike) {
  const std::string valid(kValidDocument);
  const std::string invalid = withReplaced(R"(, "s": "off")", "");
  for (const std::string* doc : {&valid, &invalid}) {
    std::string roomy = *doc;
    roomy.reserve(doc->size() + 64);
    struct Case {
      const char* name;
      std::size_t readable;
    };
    const Decoded expected = decodeSnapshot(*doc);
    for (const Case& c : {Case{"unknown", 0}, Case{"exactly the text", doc->size()}, Case{"room", roomy.capacity()}}) {
      Decoded d = decodeSnapshot(roomy, c.readable);
      ASSERT_EQ(d.snapshot.has_value(), expected.snapshot.has_value()) << c.name;
      EXPECT_EQ(d.error.describe(), expected.error.describe()) << c.name;
      if (d) {
        EXPECT_EQ(d.snapshot->accounts.elements(), expected.snapshot->accounts.elements()) << c.name;
      }
    }
  }
}

TEST(Decode, ValidDocumentGivesEveryField) {
  Decoded d = decodeSnapshot(kValidDocument);
  ASSERT_TRUE(d) << d.error.describe();
  const Snapshot& s = *d.snapshot;
  EXPECT_EQ(s.v, 1);
  EXPECT_EQ(s.at, 600.5);
  EXPECT_TRUE(s.connected);
  EXPECT_EQ(s.dms, 18);
  EXPECT_EQ(s.cap, 70);
  EXPECT_EQ(s.replies, 2);
  EXPECT_EQ(s.actions, 24);
  EXPECT_EQ(s.running, 1);
  EXPECT_EQ(s.needs, 1);
  ASSERT_EQ(s.accounts.size(), 2u);
  EXPECT_EQ(s.accounts[0], (Account{"harbor_lantern", "err", 0, 30, "Needs you", {}}));
  EXPECT_EQ(s.accounts[1].plan, (std::vector<PlanCell>{{"Feed", "9/9", "full"}, {"Shares", "-", "off"}}));
}

struct Accepted {
  const char* name;
  std::string doc;
  std::function<void(const Snapshot&)> check;
};

TEST(Decode, AcceptedVariants) {
  const std::vector<Accepted> cases = {
      {"cap null is absent", withReplaced(R"("cap": 70)", R"("cap": null)"),
       [](const Snapshot& s) { EXPECT_FALSE(s.cap); }},
      {"cap missing is absent", withReplaced(R"("cap": 70,)", ""), [](const Snapshot& s) { EXPECT_FALSE(s.cap); }},
      {"cap 0 is present", withReplaced(R"("cap": 70)", R"("cap": 0)"),
       [](const Snapshot& s) { EXPECT_EQ(s.cap, std::optional<std::int64_t>(0)); }},
      {"account cap null", withReplaced(R"("cap": 30)", R"("cap": null)"),
       [](const Snapshot& s) { EXPECT_FALSE(s.accounts[0].cap); }},
      {"integer at", withReplaced(R"("at": 600.5)", R"("at": 60)"), [](const Snapshot& s) { EXPECT_EQ(s.at, 60.0); }},
      {"negative count", withReplaced(R"("dms": 18)", R"("dms": -3)"), [](const Snapshot& s) { EXPECT_EQ(s.dms, -3); }},
      {"whole number with a fraction", withReplaced(R"("dms": 18)", R"("dms": 18.0)"),
       [](const Snapshot& s) { EXPECT_EQ(s.dms, 18); }},
      {"whole number with an exponent", withReplaced(R"("dms": 18)", R"("dms": 1.8e1)"),
       [](const Snapshot& s) { EXPECT_EQ(s.dms, 18); }},
      {"int64 extremes", withReplaced(R"("replies": 2)", R"("replies": -9223372036854775808)"),
       [](const Snapshot& s) { EXPECT_EQ(s.replies, INT64_MIN); }},
      {"int64 max", withReplaced(R"("needs": 1)", R"("needs": 9223372036854775807)"),
       [](const Snapshot& s) { EXPECT_EQ(s.needs, INT64_MAX); }},
      {"v is not examined", withReplaced(R"("v": 1)", R"("v": 2)"), [](const Snapshot& s) { EXPECT_EQ(s.v, 2); }},
      {"empty accounts", withReplaced(R"("accounts": [)", R"("accounts": [], "x": [)"),
       [](const Snapshot& s) { EXPECT_TRUE(s.accounts.empty()); }},
      {"empty strings", withReplaced(R"("s": "full")", R"("s": "")"),
       [](const Snapshot& s) { EXPECT_EQ(s.accounts[1].plan[0].s, ""); }},
      {"unknown keys at every level", withReplaced(R"({"v": 1,)", R"({"extra": {"deep": [1, null, "x"]}, "v": 1,)"),
       [](const Snapshot& s) { EXPECT_EQ(s.accounts.size(), 2u); }},
      {"unknown key in a cell", withReplaced(R"("s": "full")", R"("s": "full", "colour": "green")"),
       [](const Snapshot& s) { EXPECT_EQ(s.accounts[1].plan[0].s, "full"); }},
      {"keys match case-sensitively, others ignored",
       withReplaced(R"("note": "Running")", R"("Note": 5, "note": "Running")"),
       [](const Snapshot& s) { EXPECT_EQ(s.accounts[1].note, "Running"); }},
      {"unicode text", withReplaced(R"("u": "quiet_orchard")", R"("u": "caf\u00e9 \ud83d\ude00")"),
       [](const Snapshot& s) { EXPECT_EQ(s.accounts[1].u, "caf\u00e9 \U0001F600"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Decoded d = decodeSnapshot(c.doc);
    ASSERT_TRUE(d) << d.error.describe();
    c.check(*d.snapshot);
  }
}

struct Rejected {
  std::string doc;
  std::string error;  // the whole "path: message" line
};

TEST(Decode, RejectionsNameThePathAndTheRule) {
  const std::vector<Rejected> cases = {
      {"", "(document): not valid JSON: line 1, column 1 (byte 0): expected a value, found the end of the text"},
      {"[]", "(document): expected an object, found an array"},
      {"{}", "(document): missing key \"v\""},
      {withReplaced(R"("cap": 70)", R"("cap": "70")"), "cap: expected a whole number or null, found a string"},
      {withReplaced(R"("connected": true)", R"("connected": 1)"), "connected: expected true or false, found a number"},
      {withReplaced(R"("dms": 18)", R"("dms": 18.5)"), "dms: 18.5 is not a whole number"},
      {withReplaced(R"("dms": 18)", R"("dms": 9223372036854775808)"),
       "dms: 9223372036854775808 is outside the signed 64-bit range"},
      {withReplaced(R"("dms": 18)", R"("dms": 1e19)"), "dms: 1e+19 is outside the signed 64-bit range"},
      {withReplaced(R"("dms": 18)", R"("dms": null)"), "dms: expected a whole number, found null"},
      {withReplaced(R"("at": 600.5)", R"("at": "NaN")"), "at: expected a number, found a string"},
      {withReplaced(R"("at": 600.5,)", ""), "(document): missing key \"at\""},
      {withReplaced(R"("accounts": [)", R"("accounts": {"a": 1}, "x": [)"),
       "accounts: expected an array, found an object"},
      {withReplaced(R"("u": "harbor_lantern")", R"("u": 7)"), "accounts[0].u: expected a string, found a number"},
      {withReplaced(R"(, "note": "Running")", ""), "accounts[1]: missing key \"note\""},
      {withReplaced(R"(, "s": "off")", ""), "accounts[1].plan[1]: missing key \"s\""},
      {withReplaced(R"("plan": [])", R"("plan": [7])"), "accounts[0].plan[0]: expected an object, found a number"},
      {withReplaced(R"("plan": [])", R"("plan": {})"), "accounts[0].plan: expected an array, found an object"},
      // The first failure in field order is the one reported.
      {withReplaced(R"("v": 1, "at": 600.5)", R"("v": "1", "at": "x")"), "v: expected a whole number, found a string"},
      // Unknown keys are not examined, but they must be valid JSON.
      {withReplaced(R"({"v": 1,)", R"({"x": [1,], "v": 1,)"),
       "(document): not valid JSON: line 1, column 10 (byte 9): expected a value, found ']'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.doc);
    Decoded d = decodeSnapshot(c.doc);
    ASSERT_FALSE(d);
    EXPECT_EQ(d.error.describe(), c.error);
  }
}

TEST(Decode, InvalidUtf8InAnUnknownValueRejectsTheDocument) {
  Decoded d = decodeSnapshot(withReplaced(R"({"v": 1,)", "{\"x\": \"\xff\", \"v\": 1,"));
  ASSERT_FALSE(d);
  EXPECT_EQ(d.error.path, "(document)");
  EXPECT_NE(d.error.message.find("not valid JSON"), std::string::npos);
}

}  // namespace
}  // namespace corvane
