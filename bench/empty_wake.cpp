// A process that wakes once a second and does nothing else, to measure
// what a wake costs on a machine apart from any work done in it
// (bench/measure-wake-floor runs it from outside, as bench/measure-window
// runs the widget):
//
//   empty_wake plain MB        holds MB of memory, touched once, in 4 KiB pages
//   empty_wake huge MB         the same memory in 2 MiB pages where it may
//   empty_wake gtk             a GTK 3 window the widget's size, shown as the
//                              widget's window program shows its own (GL off),
//                              woken by a GLib timeout
#include <gtk/gtk.h>
#include <sys/mman.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

[[noreturn]] void wakeEachSecond() {
  const int fd = timerfd_create(CLOCK_MONOTONIC, 0);
  const itimerspec second{{1, 0}, {1, 0}};
  if (fd < 0 || timerfd_settime(fd, 0, &second, nullptr) != 0) std::exit(1);
  for (;;) {
    std::uint64_t expirations = 0;
    if (read(fd, &expirations, sizeof expirations) < 0) std::exit(1);
  }
}

[[noreturn]] void holdAndWake(std::size_t mebibytes, bool huge) {
  const std::size_t size = mebibytes << 20;
  void* memory = nullptr;
  if (posix_memalign(&memory, std::size_t{2} << 20, size + 1) != 0) std::exit(1);
  if (huge) madvise(memory, size, MADV_HUGEPAGE);
  std::memset(memory, 1, size);
  wakeEachSecond();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view shape = argc > 1 ? argv[1] : "";
  if (shape == "plain" || shape == "huge")
    holdAndWake(std::strtoul(argc > 2 ? argv[2] : "1", nullptr, 10), shape == "huge");
  if (shape != "gtk") {
    std::fprintf(stderr, "usage: empty_wake plain|huge MB | gtk\n");
    return 2;
  }
  setenv("GDK_GL", "disable", 0);
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 364, 170);
  gtk_widget_show_all(window);
  g_timeout_add(
      1000, +[](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
  gtk_main();
}
