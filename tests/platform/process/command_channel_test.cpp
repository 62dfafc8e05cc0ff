// The command channel in one process: the private folder's checks, commands
// reaching their handlers through the socket, and what a host does with
// lines that are not commands. The client runs on a thread while the test
// turns the main loop; no session bus is reachable.

#include "platform/process/command_channel.hpp"
#include "platform/process/command_client.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "kit/temp_dir.hpp"
#include "kit/umask.hpp"
#include "platform/process/runtime_dir.hpp"

namespace corvane {
namespace {

using testing::TempDir;

// Points the runtime folder at `dir` and the session bus nowhere.
void isolate(const TempDir& dir) {
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir.file("no-bus")).c_str(), 1);
}

// A host in its own runtime folder, without a bus, that counts reloads.
struct ReloadingHost {
  TempDir dir;
  int reloads = 0;
  CommandChannel channel;
  ReloadingHost() {
    isolate(dir);
    channel.addCommand("reload", [this](const std::string&) { ++reloads; });
    EXPECT_TRUE(channel.open().empty());
  }
};

// A client connected to `path` that has sent nothing; -1 if it could not connect.
int connectTo(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, path.c_str());
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

// Whether the host has closed `fd`'s connection (it reads the end at once).
bool closedByHost(int fd) {
  char c = 0;
  return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
}

// Turns the main loop for `ms` milliseconds; returns how many times it
// dispatched something.
int turnFor(int ms) {
  int dispatched = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (g_main_context_iteration(nullptr, FALSE)) ++dispatched;
    ::usleep(200);
  }
  return dispatched;
}

// Turns the default main loop until `work` is done (at most 10 s).
template <class T>
T serveWhile(std::future<T> work) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (work.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
         std::chrono::steady_clock::now() < deadline)
    g_main_context_iteration(nullptr, FALSE), ::usleep(1000);
  return work.get();
}

TEST(PrivateRuntimeDir, UsedOnlyWhenItIsTheUsersAlone) {
  struct Case {
    std::string name;
    std::function<void(const std::string& path)> prepare;
    std::string reason;  // empty: usable
  };
  const std::vector<Case> cases = {
      {"created", [](const std::string&) {}, ""},
      {"open to others", [](const std::string& p) { ::mkdir(p.c_str(), 0755), ::chmod(p.c_str(), 0755); },
       "open to other users"},
      {"a link planted at the name", [](const std::string& p) { (void)::symlink("/tmp", p.c_str()); }, "not a folder"},
      {"a file at the name", [](const std::string& p) { ::close(::creat(p.c_str(), 0600)); }, "not a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    isolate(dir);
    c.prepare(dir.file("corvane-widget"));
    PrivateDir got = privateRuntimeDir(true);
    if (c.reason.empty()) {
      ASSERT_EQ(got.path, dir.file("corvane-widget"));
      struct stat st {};
      ASSERT_EQ(::lstat(got.path->c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0700u);
    } else {
      EXPECT_EQ(got.path, std::nullopt);
      EXPECT_NE(got.reason.find(c.reason), std::string::npos) << got.reason;
    }
  }
}

// Without a runtime folder the socket folder lies in the temporary folder,
// where another user may have made it first: refused, saying what to do.
TEST(PrivateRuntimeDir, TheSharedFallbackTakenByAnotherUserIsRefusedWithTheRemedy) {
  TempDir dir;
  isolate(dir);
  ::unsetenv("XDG_RUNTIME_DIR");
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  const std::string mine = dir.file("corvane-widget-" + std::to_string(::getuid()));
  EXPECT_EQ(privateRuntimeDir(true).path, mine);
  ASSERT_EQ(::chmod(mine.c_str(), 0755), 0);
  PrivateDir open = privateRuntimeDir(true);
  EXPECT_NE(open.reason.find(mine + ": open to other users; remove it, or set XDG_RUNTIME_DIR"), std::string::npos)
      << open.reason;
  if (::geteuid() == 0) {  // only root can give a folder away (CI runs as root)
    ASSERT_EQ(::chmod(mine.c_str(), 0700), 0);
    ASSERT_EQ(::chown(mine.c_str(), 65534, 65534), 0);
    PrivateDir taken = privateRuntimeDir(true);
    EXPECT_EQ(taken.path, std::nullopt);
    EXPECT_NE(taken.reason.find(mine + ": owned by another user (uid 65534); remove it, or set XDG_RUNTIME_DIR"),
              std::string::npos)
        << taken.reason;
  }
  ::unsetenv("TMPDIR");
}

TEST(CommandChannel, CommandsReachTheirHandlers) {
  TempDir dir;
  isolate(dir);
  std::vector<std::string> heard;
  CommandChannel channel;
  channel.addCommand("reload", [&](const std::string&) { heard.push_back("reload"); });
  channel.addCommand(
      "show", [&](const std::string& a) { heard.push_back("show " + a); }, true);
  EXPECT_TRUE(channel.open().empty());
  EXPECT_FALSE(channel.ownsBusName());

  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellRunning("reload"); })), 1);
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellRunning("show", "medium"); })), 1);
  // Unknown, or without the argument it needs, or with one it does not take.
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellRunning("format-disk"); })), 0);
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellRunning("show"); })), 0);
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellRunning("reload", "now"); })), 0);
  EXPECT_EQ(heard, (std::vector<std::string>{"reload", "show medium"}));
  // A handler that cannot act: the sender is not told it was done, but why.
  channel.addCommand("stuck", [](const std::string&) { throw CommandRefused("no thread to read with"); });
  std::vector<std::string> refused;
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [&refused] { return tellRunning("stuck", {}, &refused); })), 0);
  EXPECT_EQ(refused, std::vector<std::string>{"no thread to read with"});
}

TEST(CommandChannel, ReadsNoMoreThanOneShortLine) {
  ReloadingHost host;
  int& reloads = host.reloads;
  CommandChannel& channel = host.channel;
  // A client that sends a long stream with a command buried after 64 bytes.
  auto reply = serveWhile(std::async(std::launch::async, [path = channel.socketPath()] {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return std::string("no connection");
    std::string junk(100, 'x');
    junk += "\nreload\n";
    (void)::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL);
    char buf[32] = {};
    ssize_t n = ::recv(fd, buf, sizeof buf - 1, 0);
    ::close(fd);
    return std::string(buf, n > 0 ? std::size_t(n) : 0);
  }));
  EXPECT_EQ(reply, "unknown\n");
  EXPECT_EQ(reloads, 0);
}

// Opening the socket leaves the process's umask alone: GDBus's threads (and
// any other) create files meanwhile. The socket is the user's alone.
TEST(CommandChannel, OpeningLeavesTheUmaskAlone) {
  TempDir dir;
  isolate(dir);
  const mode_t before = ::umask(022);
  std::atomic<bool> done{false};
  std::atomic<int> changed{0};
  std::thread watcher([&] {
    while (!done)
      if (testing::currentUmask() != 022) ++changed;
  });
  for (int i = 0; i < 500; ++i) {
    CommandChannel channel;
    ASSERT_TRUE(channel.open().empty());
    struct stat st {};
    ASSERT_EQ(::stat(channel.socketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  done = true;
  watcher.join();
  ::umask(before);
  EXPECT_EQ(changed.load(), 0);
}

// Connections that send nothing are dropped after their time, and no more
// than a few are held at once: a stuck client cannot keep the host's
// descriptors, nor shut out the next command for long.
TEST(CommandChannel, HoldsAFewSilentConnectionsAndOnlyForAWhile) {
  ReloadingHost host;
  int& reloads = host.reloads;
  CommandChannel& channel = host.channel;
  std::vector<int> silent;
  for (std::size_t i = 0; i < kMaxConnections; ++i) silent.push_back(connectTo(channel.socketPath()));
  turnFor(100);
  const int extra = connectTo(channel.socketPath());
  turnFor(100);
  EXPECT_TRUE(closedByHost(extra)) << "a connection past the limit is held";
  for (int fd : silent) EXPECT_FALSE(closedByHost(fd));
  turnFor(int(kConnectionTimeoutMs) + 300);
  for (int fd : silent) EXPECT_TRUE(closedByHost(fd)) << "a silent connection outlived its time";
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellRunning("reload"); })), 1);
  EXPECT_EQ(reloads, 1);
  for (int fd : silent) ::close(fd);
  ::close(extra);
}

// With no descriptor left, a waiting connection is taken once one is free,
// and the loop does not spin on the socket meanwhile.
TEST(CommandChannel, OutOfDescriptorsItWaitsInsteadOfSpinning) {
  ReloadingHost host;
  int& reloads = host.reloads;
  CommandChannel& channel = host.channel;
  turnFor(50);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
  // The client's socket takes the last descriptor: the host cannot accept.
  const int lowest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(lowest, 0);
  ::close(lowest);
  std::vector<int> filler;
  rlimit tight = old;
  tight.rlim_cur = static_cast<rlim_t>(lowest) + 64;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) filler.push_back(fd);
  ::close(filler.back());
  filler.pop_back();
  const int client = connectTo(channel.socketPath());
  ASSERT_GE(client, 0);
  (void)::send(client, "reload\n", 7, MSG_NOSIGNAL);
  const int dispatched = turnFor(300);
  for (int fd : filler) ::close(fd);
  ::setrlimit(RLIMIT_NOFILE, &old);
  EXPECT_LT(dispatched, 10) << "the loop spun on a socket it could not accept from";
  EXPECT_EQ(reloads, 0);
  turnFor(1500);
  EXPECT_EQ(reloads, 1) << "the waiting command was never taken";
  ::close(client);
}

}  // namespace
}  // namespace corvane
