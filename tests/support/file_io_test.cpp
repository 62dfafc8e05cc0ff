#include "support/file_io.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <thread>

#include "kit/temp_dir.hpp"
#include "kit/umask.hpp"

namespace corvane {
namespace {

// Far above any file these tests read.
constexpr std::size_t kTestReadLimit = std::size_t(1) << 30;

using testing::currentUmask;
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
    FileRead r = readRegularFile(c.path, kTestReadLimit);
    EXPECT_EQ(r.bytes, c.bytes);
    EXPECT_EQ(r.reason, c.reason);
  }
  // Over the limit: refused from the size, and standard input past it.
  EXPECT_EQ(readRegularFile(dir.file("big"), 1000).reason,
            "too large to read (300000 bytes): at most 1000 bytes are read");
}

// A link is written through to the end of its chain and stays a link;
// anything at the path that is not a regular file is never replaced.
TEST(FileIo, AtomicWriteFollowsLinksAndReplacesOnlyRegularFiles) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.file("folder"));
  dir.write("real/target", "old");
  std::filesystem::create_symlink("real/target", dir.file("link"));
  std::filesystem::create_symlink(dir.file("link"), dir.file("link-to-link"));
  std::filesystem::create_symlink("real/not-yet", dir.file("dangling"));
  std::filesystem::create_symlink("fifo", dir.file("link-to-fifo"));
  struct Case {
    std::string path, lands;  // lands: where the bytes are found; empty: refused
  };
  const std::vector<Case> cases = {
      {dir.file("link"), dir.file("real/target")},
      {dir.file("link-to-link"), dir.file("real/target")},
      {dir.file("dangling"), dir.file("real/not-yet")},
      {dir.file("fifo"), ""},
      {dir.file("folder"), ""},
      {dir.file("link-to-fifo"), ""},
      {"/dev/null", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto error = writeFileAtomically(c.path, "new " + c.path);
    if (c.lands.empty()) {
      EXPECT_EQ(error, std::string(kNotRegularFile));
      continue;
    }
    EXPECT_EQ(error, std::nullopt);
    EXPECT_TRUE(std::filesystem::is_symlink(c.path));
    EXPECT_EQ(readRegularFile(c.lands, kTestReadLimit).bytes, "new " + c.path);
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo")));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(FileIo, AtomicWriteReplacesWholeAndLeavesNoTemporary) {
  TempDir dir;
  std::string path = dir.write("out.png", "old");
  EXPECT_FALSE(writeFileAtomically(path, "new content"));
  EXPECT_EQ(readRegularFile(path, kTestReadLimit).bytes, "new content");
  std::size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);
  EXPECT_TRUE(writeFileAtomically(dir.file("no/such/dir/x"), "x"));
}

// The umask is the whole process's: another thread creating a file at the
// same time must never see it changed by a write.
TEST(FileIo, AtomicWriteLeavesTheUmaskAloneAndFollowsIt) {
  if (currentUmask() < 0) GTEST_SKIP() << "no Umask line in /proc/self/status";
  TempDir dir;
  const mode_t before = ::umask(027);
  std::atomic<bool> done{false};
  std::atomic<int> changed{0}, looks{0};
  std::thread watcher([&] {
    while (!done) {
      if (currentUmask() != 027) ++changed;
      ++looks;
    }
  });
  const std::string path = dir.file("out.png");
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(writeFileAtomically(path, "x"));
  done = true;
  watcher.join();
  ::umask(before);
  EXPECT_EQ(changed.load(), 0) << "of " << looks.load();
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A rewrite keeps what a person set on the file (chmod); durable or not, the
// bytes are the new ones.
TEST(FileIo, AtomicWriteKeepsTheReplacedFilesPermissions) {
  TempDir dir;
  const mode_t before = ::umask(022);
  for (mode_t mode : {0600, 0640, 0664, 0604}) {
    for (Durability durability : {Durability::renamed, Durability::synced}) {
      const std::string path = dir.write("widget-small.png", "old");
      ASSERT_EQ(::chmod(path.c_str(), mode), 0);
      ASSERT_FALSE(writeFileAtomically(path, "new", durability));
      struct stat st {};
      ASSERT_EQ(::stat(path.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
      EXPECT_EQ(readRegularFile(path, kTestReadLimit).bytes, "new");
    }
  }
  ::umask(before);
}

// What a crashed writer left is removed; a write still running in a live
// process, and files of other names, are not.
TEST(FileIo, StaleTemporariesOfDeadWritersAreRemoved) {
  TempDir dir;
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  const std::string ownPid = std::to_string(::getpid()), deadPid = std::to_string(dead);
  const std::string target = dir.write("widget-small.png", "picture");
  struct Case {
    std::string name;
    bool removed;
  };
  const std::vector<Case> cases = {
      {"widget-small.png.tmp-" + deadPid + "-3-77", true},  {"widget-small.png.tmp-" + ownPid + "-3-77", false},
      {"widget-small.png.tmp-" + deadPid, false},           {"widget-small.png.tmp-x-1-2", false},
      {"widget-large.png.tmp-" + deadPid + "-3-77", false}, {"widget-small.png.old", false},
  };
  for (const Case& c : cases) dir.write(c.name, "half");
  EXPECT_EQ(removeStaleTemporaries(target), 1);
  for (const Case& c : cases) EXPECT_EQ(std::filesystem::exists(dir.file(c.name)), !c.removed) << c.name;
  EXPECT_TRUE(std::filesystem::exists(target));
}

// Every failure leaves the folder as it was: no temporary file behind.
TEST(FileIo, AFailedAtomicWriteLeavesNoTemporary) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("taken"));
  std::filesystem::create_directory(dir.file("taken/inside"));
  struct Case {
    std::string name, path;
  };
  const std::vector<Case> cases = {
      {"a non-empty directory in the way", dir.file("taken")},
      {"a missing folder", dir.file("missing/x")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(writeFileAtomically(c.path, "bytes"));
  }
  // A write beyond the file size limit fails part-way (EFBIG).
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  auto error = writeFileAtomically(dir.file("big"), std::string(5000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, "File too large");
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"taken"});
}

}  // namespace
}  // namespace corvane
