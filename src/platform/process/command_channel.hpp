#pragma once
// How a running host is told things from outside (reload, quit, and what a
// window host adds): actions of a GApplication on the session bus, when
// there is one, and a Unix socket in the user's private runtime folder,
// which works without a bus. Commands are one short line; nothing else is
// read from a connection, and only processes of the same user are heard.

#include <gio/gio.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {

inline constexpr const char* kApplicationId = "com.corvane.desktop.today";
inline constexpr const char* kApplicationPath = "/com/corvane/desktop/today";
// The longest command line a host reads, newline included.
inline constexpr std::size_t kMaxCommandLine = 64;
// The longest answer a host sends, newline included.
inline constexpr std::size_t kMaxReplyLine = 256;
// A connection that has not sent its line by then is dropped.
inline constexpr guint kConnectionTimeoutMs = 2000;
// More simultaneous connections than this are refused at once.
inline constexpr std::size_t kMaxConnections = 8;

// What a handler throws when it cannot act on its command: the sender is
// told why (a socket's answer is "failed REASON").
struct CommandRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class CommandChannel {
 public:
  // Called with the command's argument (empty for commands without one).
  using Handler = std::function<void(const std::string& argument)>;

  CommandChannel();
  ~CommandChannel();
  CommandChannel(const CommandChannel&) = delete;
  CommandChannel& operator=(const CommandChannel&) = delete;

  // Adds a command before open(); with `takesArgument`, one word follows it
  // ("show medium"), and the bus action takes a string.
  void addCommand(const std::string& name, Handler handler, bool takesArgument = false);

  // Starts listening on the default main context. Returns what could
  // not be opened (no session bus is not worth a word; an unsafe runtime
  // folder is); the host runs on with whatever did open.
  std::vector<std::string> open();

  // Whether this host holds the application's name on the session bus
  // (single instance per user: the first host does).
  bool ownsBusName() const { return app_ != nullptr; }
  const std::string& socketPath() const { return socketPath_; }

  // Runs a command line as if it had come from outside.
  struct Outcome {
    bool known = false;
    std::string refused;  // why the handler could not act, if it could not
  };
  Outcome dispatch(const std::string& line);

 private:
  struct Command {
    Handler handler;
    bool takesArgument;
  };
  struct Connection;

  void openBus();
  std::string openSocket();
  void listen();
  static gboolean onAccept(gint fd, GIOCondition condition, gpointer self);
  void closeConnection(Connection* c);

  std::map<std::string, Command> commands_;
  GApplication* app_ = nullptr;
  int listenFd_ = -1;
  guint listenSource_ = 0;  // watches the socket, or waits to watch it again
  std::string socketPath_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace corvane
