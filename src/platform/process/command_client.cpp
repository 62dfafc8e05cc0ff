#include "platform/process/command_client.hpp"

// The sending side of the host channel: what `reload` uses.
#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/process/command_channel.hpp"
#include "platform/process/runtime_dir.hpp"

namespace corvane {
namespace {

// How long a host may take to acknowledge, per host.
constexpr int kReplyTimeoutSeconds = 2;

enum class Told { yes, refused, gone, no };

Told tellSocket(const std::string& path, const std::string& line, std::string& refusal) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return Told::no;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Told::no;
  std::unique_ptr<int, void (*)(const int*)> guard(&fd, [](const int* f) { ::close(*f); });
  timeval timeout{kReplyTimeoutSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    return errno == ECONNREFUSED || errno == ENOENT ? Told::gone : Told::no;
  if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) return Told::no;
  char answer[kMaxReplyLine];
  std::size_t got = 0;
  // The answer is one line; a long one may come in pieces.
  while (got < sizeof(answer)) {
    const ssize_t n = ::recv(fd, answer + got, sizeof(answer) - got, 0);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
    if (std::memchr(answer, '\n', got)) break;
  }
  const std::string_view text(answer, got);
  if (text == "ok\n") return Told::yes;
  if (text.starts_with("failed ") && text.ends_with('\n')) {
    refusal = std::string(text.substr(7, text.size() - 8));
    return Told::refused;
  }
  return Told::no;
}

int tellThroughSockets(const std::string& line, std::vector<std::string>* refused) {
  PrivateDir dir = privateRuntimeDir(false);
  if (!dir.path) return 0;
  std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.path->c_str()), ::closedir);
  if (!listing) return 0;
  int told = 0;
  while (dirent* e = ::readdir(listing.get())) {
    std::string name = e->d_name;
    if (name.rfind("host-", 0) != 0 || name.size() < 10 || name.substr(name.size() - 5) != ".sock") continue;
    std::string path = *dir.path + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    std::string refusal;
    switch (tellSocket(path, line, refusal)) {
      case Told::yes: ++told; break;
      case Told::refused:
        if (refused) refused->push_back(std::move(refusal));
        break;
      case Told::gone: ::unlink(path.c_str()); break;  // left by a host that did not end cleanly
      case Told::no: break;
    }
  }
  return told;
}

bool busHasAction(GDBusConnection* bus, const std::string& command) {
  GError* error = nullptr;
  GVariant* listed = g_dbus_connection_call_sync(bus, kApplicationId, kApplicationPath, "org.gtk.Actions", "List",
                                                 nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                                 kReplyTimeoutSeconds * 1000, nullptr, &error);
  if (!listed) {
    g_error_free(error);
    return false;
  }
  GVariantIter* names = nullptr;
  g_variant_get(listed, "(as)", &names);
  bool found = false;
  const gchar* name = nullptr;
  while (!found && g_variant_iter_next(names, "&s", &name)) found = command == name;
  g_variant_iter_free(names);
  g_variant_unref(listed);
  return found;
}

int tellThroughBus(const std::string& command, const std::string& argument) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!bus) {
    g_error_free(error);
    return 0;
  }
  std::unique_ptr<GDBusConnection, void (*)(GDBusConnection*)> guard(bus,
                                                                     [](GDBusConnection* b) { g_object_unref(b); });
  // A process that holds the name without this command (a headless host
  // asked to show a window) does not count as told: activating an action it
  // does not have would still be answered.
  if (!busHasAction(bus, command)) return 0;
  GVariantBuilder parameters;
  g_variant_builder_init(&parameters, G_VARIANT_TYPE("av"));
  if (!argument.empty()) g_variant_builder_add(&parameters, "v", g_variant_new_string(argument.c_str()));
  GVariantBuilder platform;
  g_variant_builder_init(&platform, G_VARIANT_TYPE("a{sv}"));
  // No auto-start: a host that is not running is not started by asking it.
  GVariant* result =
      g_dbus_connection_call_sync(bus, kApplicationId, kApplicationPath, "org.gtk.Actions", "Activate",
                                  g_variant_new("(sava{sv})", command.c_str(), &parameters, &platform), nullptr,
                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, kReplyTimeoutSeconds * 1000, nullptr, &error);
  if (!result) {
    g_error_free(error);
    return 0;
  }
  g_variant_unref(result);
  return 1;
}

}  // namespace

int tellRunning(const std::string& command, const std::string& argument, std::vector<std::string>* refused) {
  std::string line = argument.empty() ? command : command + " " + argument;
  line += '\n';
  if (line.size() > kMaxCommandLine) return 0;
  std::vector<std::string> refusals;
  int told = tellThroughSockets(line, &refusals);
  // A host that refused was reached: the bus would reach the same one.
  if (told == 0 && refusals.empty()) told = tellThroughBus(command, argument);
  if (refused) refused->insert(refused->end(), refusals.begin(), refusals.end());
  return told;
}

}  // namespace corvane
