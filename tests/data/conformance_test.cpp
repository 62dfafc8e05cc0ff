// The public JSON parsing suite, run through the snapshot decoder: each
// document is placed as the value of a key the snapshot does not know.
// Accepted documents ("y_") must leave the snapshot unchanged, rejected
// ones ("n_") must make it invalid, and undecided ones ("i_") must not crash.

#include <gtest/gtest.h>

#include <filesystem>

#include "data/decode.hpp"
#include "data/encode.hpp"
#include "data/snapshot_text.hpp"
#include "support/file_io.hpp"

namespace corvane {
namespace {

// Far above any file these tests read.
constexpr std::size_t kTestReadLimit = std::size_t(1) << 30;

namespace fs = std::filesystem;

std::vector<fs::path> suiteFiles(char prefix) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(CORVANE_CONFORMANCE_DIR)) {
    std::string name = e.path().filename().string();
    if (name.size() > 2 && name[0] == prefix && name[1] == '_') out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string embedded(const std::string& doc) {
  return testing::withReplaced(R"({"v": 1,)", "{\"zz\": " + doc + ", \"v\": 1,");
}

class Conformance : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(CORVANE_CONFORMANCE_DIR)) GTEST_SKIP() << "suite not found: " << CORVANE_CONFORMANCE_DIR;
  }
};

TEST_F(Conformance, AcceptedDocumentsLeaveTheSnapshotUnchanged) {
  const std::string expected = toJson(*decodeSnapshot(testing::kValidDocument).snapshot);
  auto files = suiteFiles('y');
  ASSERT_GT(files.size(), 90u);
  for (const auto& f : files) {
    SCOPED_TRACE(f.filename().string());
    Decoded d = decodeSnapshot(embedded(*readRegularFile(f.string(), kTestReadLimit).bytes));
    ASSERT_TRUE(d) << d.error.describe();
    EXPECT_EQ(toJson(*d.snapshot), expected);
  }
}

TEST_F(Conformance, RejectedDocumentsMakeTheSnapshotInvalid) {
  auto files = suiteFiles('n');
  ASSERT_GT(files.size(), 150u);
  for (const auto& f : files) {
    SCOPED_TRACE(f.filename().string());
    EXPECT_FALSE(decodeSnapshot(embedded(*readRegularFile(f.string(), kTestReadLimit).bytes)));
  }
}

TEST_F(Conformance, UndecidedDocumentsNeverCrash) {
  for (const auto& f : suiteFiles('i')) {
    SCOPED_TRACE(f.filename().string());
    std::string doc = *readRegularFile(f.string(), kTestReadLimit).bytes;
    Decoded alone = decodeSnapshot(doc);
    EXPECT_FALSE(alone);  // none of them is a snapshot
    Decoded inside = decodeSnapshot(embedded(doc));
    if (!inside) {
      EXPECT_FALSE(inside.error.message.empty());
    }
  }
}

}  // namespace
}  // namespace corvane
