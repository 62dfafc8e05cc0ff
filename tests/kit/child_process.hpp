#pragma once
// A child process for end-to-end tests: started with extra environment
// variables, its standard output read line by line with a deadline, so no
// test waits longer than it must or forever.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::testing {

class ChildProcess {
 public:
  // Runs `argv` with `env` added to (or replacing in) this process's
  // environment; standard error goes to `errPath`.
  ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& errPath) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
      std::string entry = *e;
      if (!env.count(entry.substr(0, entry.find('=')))) environment.push_back(entry);
    }
    for (const auto& [k, v] : env) environment.push_back(k + "=" + v);
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    fd_ = out[0];
  }
  ~ChildProcess() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) ::close(fd_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  // The next line of standard output, or none at the deadline or the end.
  std::optional<std::string> readLine(std::chrono::milliseconds within = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    for (;;) {
      if (auto end = buffer_.find('\n'); end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char chunk[4096];
      ssize_t n = ::read(fd_, chunk, sizeof(chunk));
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // Reads lines until one contains `needle`; every line read is kept in `seen`.
  std::optional<std::string> waitFor(const std::string& needle, std::vector<std::string>& seen,
                                     std::chrono::milliseconds within = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (auto line = readLine(
               std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()))) {
      seen.push_back(*line);
      if (line->find(needle) != std::string::npos) return line;
    }
    return std::nullopt;
  }

  void signal(int sig) const { ::kill(pid_, sig); }

  // The exit status once the process ends (polled up to the deadline);
  // -1 when it ended by a signal, none when it is still running.
  std::optional<int> wait(std::chrono::milliseconds within = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!status_) {
      int status = 0;
      pid_t r = ::waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      ::usleep(10'000);
    }
    return status_;
  }

  // Everything left on standard output, up to the end or the deadline.
  std::vector<std::string> rest(std::chrono::milliseconds within = std::chrono::seconds(20)) {
    std::vector<std::string> lines;
    while (auto line = readLine(within)) lines.push_back(*line);
    return lines;
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::string buffer_;
  std::optional<int> status_;
};

}  // namespace corvane::testing
