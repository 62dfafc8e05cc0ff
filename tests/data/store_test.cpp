#include "data/store.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "data/encode.hpp"
#include "data/snapshot_text.hpp"
#include "kit/temp_dir.hpp"

namespace corvane {
namespace {

using testing::kValidDocument;
using testing::TempDir;

TEST(Store, LoadGivesAbsentForEveryUnusableFile) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.file("directory"));
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"missing", dir.file("missing.json")},
      {"empty", dir.write("empty.json", "")},
      {"not JSON", dir.write("bad.json", "{\"v\":")},
      {"invalid snapshot", dir.write("invalid.json", testing::withReplaced("\"connected\": true", "\"connected\": 1"))},
      // A FIFO has no writer here: reading it would block forever.
      {"fifo", dir.file("fifo")},
      {"directory", dir.file("directory")},
  };
  for (const auto& [name, path] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Store::loadFrom(path));
  }
}

TEST(Store, LoadReadsTheFileAnewOnEveryCall) {
  TempDir dir;
  std::string path = dir.write("widget.json", kValidDocument);
  auto first = Store::loadFrom(path);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->dms, 18);

  dir.write("widget.json", testing::withReplaced("\"dms\": 18", "\"dms\": 19"));
  auto second = Store::loadFrom(path);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->dms, 19);

  std::filesystem::remove(path);
  EXPECT_FALSE(Store::loadFrom(path));
}

// A writer that rewrites the file in place (truncate, then write in pieces)
// while the widget loads: a load may meet the file cut short or half old,
// half new, and must then read again instead of giving no data.
TEST(Store, AFileRewrittenInPlaceWhileLoadingGivesTheOldOrTheNewSnapshot) {
  TempDir dir;
  Snapshot small = Store::makeSample(1000);
  Snapshot large = Store::makeSample(2000);
  for (int i = 0; i < 300; ++i) large.accounts.push_back({"account" + std::to_string(i), "run", i, 40, "note", {}});
  const std::string documents[] = {toJson(small), toJson(large)};
  const std::string path = dir.write("widget.json", documents[0]);

  std::atomic<bool> done{false};
  std::atomic<int> rewrites{0};
  std::thread writer([&] {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int i = 1; !done; ++i) {
      const std::string& doc = documents[i % 2];
      ASSERT_EQ(::ftruncate(fd, 0), 0);
      for (std::size_t at = 0; at < doc.size(); at += 4096) {
        const std::size_t n = std::min<std::size_t>(4096, doc.size() - at);
        ASSERT_EQ(::pwrite(fd, doc.data() + at, n, static_cast<off_t>(at)), static_cast<ssize_t>(n));
        std::this_thread::yield();  // let readers in between the pieces
      }
      ++rewrites;
      // The application writes now and then, not without pause: a writer
      // that never stops leaves no moment at which the file is whole.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd);
  });
  // At least 200 loads, spread over at least 20 rewrites.
  int loads = 0, empty = 0, olds = 0, news = 0;
  for (; loads < 200 || rewrites < 20; ++loads) {
    auto loaded = Store::loadFrom(path);
    if (!loaded)
      ++empty;
    else if (loaded->at == 1000)
      ++olds;
    else if (loaded->at == 2000 && loaded->accounts.size() == large.accounts.size())
      ++news;
  }
  done = true;
  writer.join();
  EXPECT_EQ(empty, 0);
  EXPECT_EQ(olds + news, loads);
}

TEST(Store, PathComesFromTheUserDatabaseNotHome) {
  const char* saved = std::getenv("HOME");
  std::string savedHome = saved ? saved : "";
  ::setenv("HOME", "/nonexistent-home-for-test", 1);
  auto path = Store::file();
  if (saved)
    ::setenv("HOME", savedHome.c_str(), 1);
  else
    ::unsetenv("HOME");

  struct passwd* pw = ::getpwuid(::getuid());
  ASSERT_NE(pw, nullptr);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, std::string(pw->pw_dir) + "/Library/Application Support/Corvane/widget.json");
  EXPECT_EQ(Store::fileIn("/Users/someone"), "/Users/someone/Library/Application Support/Corvane/widget.json");
}

TEST(Store, SampleIsTheBuiltInSnapshot) {
  Snapshot s = Store::sample();
  EXPECT_EQ(s.v, 1);
  EXPECT_TRUE(s.connected);
  EXPECT_EQ(s.dms, 18);
  EXPECT_EQ(s.cap, 70);
  EXPECT_EQ(s.replies, 2);
  EXPECT_EQ(s.actions, 24);
  EXPECT_EQ(s.running, 1);
  EXPECT_EQ(s.needs, 1);
  ASSERT_EQ(s.accounts.size(), 2u);
  EXPECT_EQ(s.accounts[0], (Account{"harbor_lantern", "err", 0, 30, "Needs you", {}}));
  const Account& second = s.accounts[1];
  EXPECT_EQ(second.u, "quiet_orchard");
  EXPECT_EQ(second.cap, 40);
  ASSERT_EQ(second.plan.size(), 6u);
  EXPECT_EQ(second.plan[3], (PlanCell{"Feed", "9/9", "full"}));
  EXPECT_EQ(second.plan[5], (PlanCell{"Shares", "\xE2\x80\x93", "off"}));  // U+2013 EN DASH
}

TEST(Store, SampleIsBuiltOnceEvenUnderConcurrentFirstUse) {
  std::vector<double> seen(8);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i)
    threads.emplace_back([&, i] {
      while (!go) std::this_thread::yield();
      seen[i] = Store::sample().at;
    });
  go = true;
  for (auto& t : threads) t.join();
  for (double at : seen) EXPECT_EQ(at, seen[0]);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(toJson(Store::sample()), toJson(Store::sample()));
  EXPECT_EQ(Store::sample().at, seen[0]);
}

}  // namespace
}  // namespace corvane
