#include "platform/process/command_channel.hpp"

#include <glib-unix.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/process/runtime_dir.hpp"
#include "support/fault.hpp"

namespace corvane {
namespace {

// While the process has no file descriptor left for a new connection,
// accepting pauses for this long: the listening socket stays readable, and
// trying again at once would spin.
constexpr guint kAcceptPauseMs = 1000;

void reply(int fd, const char* text) { (void)::send(fd, text, std::strlen(text), MSG_NOSIGNAL | MSG_DONTWAIT); }

}  // namespace

struct CommandChannel::Connection {
  int fd = -1;
  std::string line;
  guint readSource = 0;
  guint timeoutSource = 0;
  CommandChannel* owner = nullptr;

  static gboolean onReadable(gint, GIOCondition, gpointer self);
  static gboolean onTimeout(gpointer self);
};

CommandChannel::CommandChannel() = default;

CommandChannel::~CommandChannel() {
  while (!connections_.empty()) closeConnection(connections_.back().get());
  if (listenSource_) g_source_remove(listenSource_);
  if (listenFd_ >= 0) ::close(listenFd_);
  if (!socketPath_.empty()) ::unlink(socketPath_.c_str());
  if (app_) g_object_unref(app_);
}

void CommandChannel::addCommand(const std::string& name, Handler handler, bool takesArgument) {
  commands_[name] = Command{std::move(handler), takesArgument};
}

std::vector<std::string> CommandChannel::open() {
  std::vector<std::string> problems;
  openBus();
  if (std::string problem = openSocket(); !problem.empty()) problems.push_back(problem);
  return problems;
}

CommandChannel::Outcome CommandChannel::dispatch(const std::string& line) {
  const auto space = line.find(' ');
  const std::string name = line.substr(0, space);
  const std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
  auto it = commands_.find(name);
  if (it == commands_.end() || it->second.takesArgument == argument.empty()) return {};
  Outcome outcome{true, {}};
  // Called from the socket's and the bus's C callbacks.
  contained("the " + name + " command", [&] {
    try {
      it->second.handler(argument);
    } catch (const CommandRefused& refused) {
      outcome.refused = refused.what();
    }
  });
  return outcome;
}

void CommandChannel::openBus() {
  GApplication* app = g_application_new(kApplicationId, G_APPLICATION_DEFAULT_FLAGS);
  for (const auto& [name, command] : commands_) {
    GSimpleAction* action = g_simple_action_new(name.c_str(), command.takesArgument ? G_VARIANT_TYPE_STRING : nullptr);
    g_signal_connect(action, "activate", G_CALLBACK(+[](GSimpleAction* a, GVariant* parameter, gpointer self) {
                       auto* channel = static_cast<CommandChannel*>(self);
                       std::string line = g_action_get_name(G_ACTION(a));
                       if (parameter) line += std::string(" ") + g_variant_get_string(parameter, nullptr);
                       channel->dispatch(line);
                     }),
                     this);
    g_action_map_add_action(G_ACTION_MAP(app), G_ACTION(action));
    g_object_unref(action);
  }
  // Without a session bus GApplication registers as a plain local instance;
  // with one, the first host takes the name and later ones find it taken.
  GError* error = nullptr;
  const bool registered = g_application_register(app, nullptr, &error);
  if (error) g_error_free(error);
  if (registered && !g_application_get_is_remote(app) && g_application_get_dbus_connection(app)) {
    app_ = app;
  } else {
    g_object_unref(app);
  }
}

std::string CommandChannel::openSocket() {
  PrivateDir dir = privateRuntimeDir(true);
  if (!dir.path) return "no command socket: " + dir.reason;
  std::string path = hostSocketPath(*dir.path, static_cast<long>(::getpid()));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return "no command socket: " + path + ": name too long";
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return std::string("no command socket: ") + std::strerror(errno);
  ::unlink(path.c_str());  // a socket left by an earlier process with this id
  // The folder keeps others out; the socket is then made the user's alone
  // too. (The umask is the whole process's, and other threads — GDBus's —
  // create files while this runs: it is never changed.)
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                     ::chmod(path.c_str(), 0600) == 0 && ::listen(fd, 8) == 0;
  if (!bound) {
    std::string reason = std::strerror(errno);
    ::close(fd);
    return "no command socket: " + path + ": " + reason;
  }
  listenFd_ = fd;
  socketPath_ = path;
  listen();
  return {};
}

void CommandChannel::listen() { listenSource_ = g_unix_fd_add(listenFd_, G_IO_IN, &CommandChannel::onAccept, this); }

gboolean CommandChannel::onAccept(gint fd, GIOCondition, gpointer self) {
  auto* channel = static_cast<CommandChannel*>(self);
  int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (client < 0 && (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)) {
    // The connection waits in the backlog until a descriptor is free.
    channel->listenSource_ = g_timeout_add(
        kAcceptPauseMs,
        +[](gpointer p) -> gboolean {
          static_cast<CommandChannel*>(p)->listen();
          return G_SOURCE_REMOVE;
        },
        channel);
    return G_SOURCE_REMOVE;
  }
  if (client < 0) return G_SOURCE_CONTINUE;
  ucred peer{};
  socklen_t length = sizeof(peer);
  const bool sameUser = ::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
  if (!sameUser || channel->connections_.size() >= kMaxConnections) {
    ::close(client);
    return G_SOURCE_CONTINUE;
  }
  auto c = std::make_unique<Connection>();
  c->fd = client;
  c->owner = channel;
  c->readSource =
      g_unix_fd_add(client, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), &Connection::onReadable, c.get());
  c->timeoutSource = g_timeout_add(kConnectionTimeoutMs, &Connection::onTimeout, c.get());
  channel->connections_.push_back(std::move(c));
  return G_SOURCE_CONTINUE;
}

gboolean CommandChannel::Connection::onReadable(gint fd, GIOCondition, gpointer self) {
  auto* c = static_cast<Connection*>(self);
  char buffer[kMaxCommandLine];
  // Never more than what is left of one line: the rest of what a client
  // sends is not read at all.
  const ssize_t n = ::recv(fd, buffer, kMaxCommandLine - c->line.size(), 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return G_SOURCE_CONTINUE;
  if (n <= 0) {
    c->readSource = 0;
    c->owner->closeConnection(c);
    return G_SOURCE_REMOVE;
  }
  c->line.append(buffer, static_cast<std::size_t>(n));
  const auto end = c->line.find('\n');
  if (end == std::string::npos && c->line.size() < kMaxCommandLine) return G_SOURCE_CONTINUE;
  const Outcome outcome = end != std::string::npos ? c->owner->dispatch(c->line.substr(0, end)) : Outcome{};
  if (!outcome.known) {
    reply(fd, "unknown\n");
  } else if (outcome.refused.empty()) {
    reply(fd, "ok\n");
  } else {
    // One line, as long as the sender reads.
    std::string answer = "failed " + outcome.refused.substr(0, kMaxReplyLine - 8);
    std::replace(answer.begin(), answer.end(), '\n', ' ');
    reply(fd, (answer + "\n").c_str());
  }
  c->readSource = 0;
  c->owner->closeConnection(c);
  return G_SOURCE_REMOVE;
}

gboolean CommandChannel::Connection::onTimeout(gpointer self) {
  auto* c = static_cast<Connection*>(self);
  c->timeoutSource = 0;
  c->owner->closeConnection(c);
  return G_SOURCE_REMOVE;
}

void CommandChannel::closeConnection(Connection* c) {
  if (c->readSource) g_source_remove(c->readSource);
  if (c->timeoutSource) g_source_remove(c->timeoutSource);
  ::close(c->fd);
  std::erase_if(connections_, [c](const auto& p) { return p.get() == c; });
}

}  // namespace corvane
