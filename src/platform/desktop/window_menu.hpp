#pragma once
// The widget's right-click menu: Reload, Size (the families a window can
// show), Quit.

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct MenuActions {
  std::vector<std::string> sizes;  // the families Size offers, in order ("small", ...)
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
  GtkWidget* menu_ = nullptr;      // owned through the attachment to the widget
  std::vector<GtkWidget*> sizes_;  // one radio item per family offered
  bool updating_ = false;          // ticking the current size is not a choice
};

}  // namespace corvane
