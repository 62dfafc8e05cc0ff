#pragma once
// The running program, the same for pictures kept in a folder and for
// windows on the desktop: one GLib main loop on the default context, the
// command channel (reload, quit, and what a run adds), SIGINT and SIGTERM
// to end, SIGHUP to reload, faults reported once on standard error (and
// wherever else the run says), and one process per user for what it shows.
// Each run adds only its output.

#include <glib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/process/command_channel.hpp"
#include "platform/process/file_watch.hpp"
#include "support/fault.hpp"

namespace corvane {

class HostProcess {
 public:
  HostProcess();
  // Removes the signal handlers and closes the channel.
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // What the reload command and SIGHUP do: asks for a reload, and returns
  // why it cannot act on it now, if it cannot (the reload command says so).
  using Reload = std::function<std::optional<std::string>()>;
  void onReload(Reload reload);
  // A command of this run's own (before run()).
  void addCommand(const std::string& name, CommandChannel::Handler handler, bool takesArgument = false);
  // Reloads also when `path` changes (coalesced: at most four reloads a
  // second). Throws std::runtime_error when its folder cannot be watched.
  void watch(const std::string& path);
  // Calls `changed` whenever `path` changes, for as long as the process
  // runs. Throws std::runtime_error when its folder cannot be watched.
  void watch(const std::string& path, std::function<void()> changed);
  // Faults are said on standard error and to `also` (--events) for as long
  // as the returned scope lives: `also` may refer to what is gone after it.
  class FaultScope {
   public:
    FaultScope() = default;
    ~FaultScope() { setFaultSink(nullptr); }
    FaultScope(const FaultScope&) = delete;
    FaultScope& operator=(const FaultScope&) = delete;
  };
  [[nodiscard]] static std::unique_ptr<FaultScope> reportFaultsTo(FaultSink also);

  // Opens the channel (what could not be opened is said on standard error),
  // calls `started`, and runs until quit(): a signal, the quit command, or
  // the run's own end.
  void run(const std::function<void()>& started = {});
  void quit();

  // One process per user: asks the processes already running to take
  // `command argument` for each of `arguments` (a window host shows that
  // family). Returns the arguments none of them took, in order.
  static std::vector<std::string> handOver(const std::string& command, const std::vector<std::string>& arguments);

 private:
  GMainLoop* loop_;
  CommandChannel channel_;
  Reload reload_;
  std::vector<guint> signals_;
  std::vector<std::unique_ptr<FileWatch>> watches_;
};

}  // namespace corvane
