// The command channel in one process: the private folder's checks, commands
// reaching their handlers through the socket, and what a host does with
// lines that are not commands. The client runs on a thread while the test
// turns the main loop; no session bus is reachable.

#include "platform/live/host_channel.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>

#include "platform/live/runtime_dir.hpp"
#include "support/temp_dir.hpp"

namespace corvane {
namespace {

using testing::TempDir;

// Points the runtime folder at `dir` and the session bus nowhere.
void isolate(const TempDir& dir) {
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir.file("no-bus")).c_str(), 1);
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

TEST(HostChannel, CommandsReachTheirHandlers) {
  TempDir dir;
  isolate(dir);
  std::vector<std::string> heard;
  HostChannel channel;
  channel.addCommand("reload", [&](const std::string&) { heard.push_back("reload"); });
  channel.addCommand(
      "show", [&](const std::string& a) { heard.push_back("show " + a); }, true);
  EXPECT_TRUE(channel.open().empty());
  EXPECT_FALSE(channel.ownsBusName());

  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellHosts("reload"); })), 1);
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellHosts("show", "medium"); })), 1);
  // Unknown, or without the argument it needs, or with one it does not take.
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellHosts("format-disk"); })), 0);
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellHosts("show"); })), 0);
  EXPECT_EQ(serveWhile(std::async(std::launch::async, [] { return tellHosts("reload", "now"); })), 0);
  EXPECT_EQ(heard, (std::vector<std::string>{"reload", "show medium"}));
}

TEST(HostChannel, ReadsNoMoreThanOneShortLine) {
  TempDir dir;
  isolate(dir);
  int reloads = 0;
  HostChannel channel;
  channel.addCommand("reload", [&](const std::string&) { ++reloads; });
  ASSERT_TRUE(channel.open().empty());
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

}  // namespace
}  // namespace corvane
