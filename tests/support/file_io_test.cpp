#include "support/file_io.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.hpp"

namespace corvane {
namespace {

using testing::TempDir;

TEST(FileIo, ReadsRegularFilesAndExplainsEverythingElse) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::string big(300000, 'x');
  struct Case {
    std::string path;
    std::optional<std::string> bytes;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {dir.write("a", "hello"), "hello", ""},
      {dir.write("big", big), big, ""},
      {dir.file("missing"), std::nullopt, "No such file or directory"},
      {dir.path().string(), std::nullopt, "Is a directory"},
      {dir.file("fifo"), std::nullopt, "Not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    FileRead r = readRegularFile(c.path);
    EXPECT_EQ(r.bytes, c.bytes);
    EXPECT_EQ(r.reason, c.reason);
  }
}

TEST(FileIo, AtomicWriteReplacesWholeAndLeavesNoTemporary) {
  TempDir dir;
  std::string path = dir.write("out.png", "old");
  EXPECT_FALSE(writeFileAtomically(path, "new content"));
  EXPECT_EQ(readRegularFile(path).bytes, "new content");
  std::size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);
  EXPECT_TRUE(writeFileAtomically(dir.file("no/such/dir/x"), "x"));
}

}  // namespace
}  // namespace corvane
