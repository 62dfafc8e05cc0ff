#include "platform/process/host_process.hpp"
#include "platform/process/command_client.hpp"

#include <glib-unix.h>

#include <csignal>
#include <iostream>

namespace corvane {

HostProcess::HostProcess() : loop_(g_main_loop_new(nullptr, FALSE)) {
  channel_.addCommand("reload", [this](const std::string&) {
    if (!reload_) return;
    if (auto why = reload_()) throw CommandRefused(*why);
  });
  channel_.addCommand("quit", [this](const std::string&) { quit(); });
  auto quitLoop = +[](gpointer self) -> gboolean {
    static_cast<HostProcess*>(self)->quit();
    return G_SOURCE_CONTINUE;
  };
  signals_.push_back(g_unix_signal_add(SIGINT, quitLoop, this));
  signals_.push_back(g_unix_signal_add(SIGTERM, quitLoop, this));
  signals_.push_back(g_unix_signal_add(
      SIGHUP,
      +[](gpointer self) -> gboolean {
        auto* process = static_cast<HostProcess*>(self);
        contained("a reload signal", [process] {
          if (process->reload_) process->reload_();
        });
        return G_SOURCE_CONTINUE;
      },
      this));
}

HostProcess::~HostProcess() {
  for (guint id : signals_) g_source_remove(id);
  setFaultSink(nullptr);  // the sink may refer to what is gone by now
  g_main_loop_unref(loop_);
}

void HostProcess::onReload(Reload reload) { reload_ = std::move(reload); }

void HostProcess::watch(const std::string& path) {
  watch(path, [this] {
    if (reload_) reload_();
  });
}

void HostProcess::watch(const std::string& path, std::function<void()> changed) {
  watches_.push_back(std::make_unique<FileWatch>(path, std::move(changed)));
}

void HostProcess::addCommand(const std::string& name, CommandChannel::Handler handler, bool takesArgument) {
  channel_.addCommand(name, std::move(handler), takesArgument);
}

std::unique_ptr<HostProcess::FaultScope> HostProcess::reportFaultsTo(FaultSink also) {
  setFaultSink([also = std::move(also)](std::string_view where, std::string_view what) {
    std::cerr << "corvane-widget: " << where << ": " << what << '\n';
    if (also) also(where, what);
  });
  return std::make_unique<FaultScope>();
}

void HostProcess::run(const std::function<void()>& started) {
  for (const std::string& problem : channel_.open()) std::cerr << "corvane-widget: " << problem << '\n';
  if (started) started();
  g_main_loop_run(loop_);
}

void HostProcess::quit() { g_main_loop_quit(loop_); }

std::vector<std::string> HostProcess::handOver(const std::string& command, const std::vector<std::string>& arguments) {
  std::vector<std::string> left;
  for (const std::string& a : arguments)
    if (tellRunning(command, a) == 0) left.push_back(a);
  return left;
}

}  // namespace corvane
