#pragma once
// The widget's right-click menu: Open Corvane (when it is installed),
// Reload, Size (another family in this window), Add widget (another window),
// Move to corner (forget where it was dragged), Lock in place (no drag),
// Remove widget, Quit.

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct MenuActions {
  std::vector<std::string> sizes;  // the families a widget can show, in order ("small", ...)
  std::function<bool()> canOpen;   // whether the application is installed (looked at each time)
  std::function<void(guint32 time)> open;
  std::function<void()> reload;
  std::function<void(std::string_view family)> resize;
  std::function<bool(std::string_view family)> shown;  // a widget of that family is on the desktop
  std::function<void(std::string_view family)> add;
  std::function<void()> toCorner;
  std::function<bool()> locked;           // whether the widget is locked in place now
  std::function<void(bool locked)> lock;  // Lock in place ticked or unticked
  std::function<void()> remove;
  std::function<void()> quit;
  std::function<bool()> canUseShellExtension;  // GNOME Shell's extension for the widget is installed but off
  std::function<void()> useShellExtension;
};

class WindowMenu {
 public:
  // Attaches the menu to `widget`, which it is popped up over.
  WindowMenu(GtkWidget* widget, MenuActions actions);
  ~WindowMenu();
  WindowMenu(const WindowMenu&) = delete;
  WindowMenu& operator=(const WindowMenu&) = delete;

  // Shows the menu at the pointer, with `family` ticked under Size; the
  // families shown elsewhere are greyed out under Size and Add widget.
  void popUp(const GdkEvent* trigger, std::string_view family);

 private:
  static void onActivate(GtkMenuItem* item, WindowMenu* self);
  void act(GtkMenuItem* item) const;

  MenuActions actions_;
  GtkWidget* menu_ = nullptr;  // owned through the attachment to the widget
  GtkWidget* open_ = nullptr;
  GtkWidget* openSeparator_ = nullptr;
  std::vector<GtkWidget*> sizes_;  // one radio item per family
  std::vector<GtkWidget*> adds_;   // one item per family
  GtkWidget* toCorner_ = nullptr;
  GtkWidget* lock_ = nullptr;
  GtkWidget* shellExtension_ = nullptr;
  bool updating_ = false;  // ticking the current size is not a choice
  guint32 time_ = 0;       // of the click that popped the menu up
};

}  // namespace corvane
