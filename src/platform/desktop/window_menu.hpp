#pragma once
// The widget's right-click menu: Reload, Size (small, medium, large), Quit.

#include <gtk/gtk.h>

#include <functional>
#include <string_view>

namespace corvane {

struct MenuActions {
  std::function<void()> reload;
  std::function<void(std::string_view family)> resize;
  std::function<void()> quit;
};

class WindowMenu {
 public:
  // Attaches the menu to `widget`, which it is popped up over.
  WindowMenu(GtkWidget* widget, MenuActions actions);
  ~WindowMenu();
  WindowMenu(const WindowMenu&) = delete;
  WindowMenu& operator=(const WindowMenu&) = delete;

  // Shows the menu at the pointer, with `family` ticked under Size.
  void popUp(const GdkEvent* trigger, std::string_view family);

 private:
  static void onActivate(GtkMenuItem* item, WindowMenu* self);
  void act(GtkMenuItem* item) const;

  MenuActions actions_;
  GtkWidget* menu_ = nullptr;  // owned through the attachment to the widget
  GtkWidget* sizes_[3] = {};
  bool updating_ = false;  // ticking the current size is not a choice
};

}  // namespace corvane
