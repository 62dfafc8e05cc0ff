#pragma once
// What screen readers are told about a widget window: its name, and the
// texts it shows in reading order as its description.

#include <gtk/gtk.h>

#include <string>

namespace corvane {

class AccessibleText {
 public:
  // Names `window` and `area` (the widget's drawing area).
  AccessibleText(GtkWidget* window, GtkWidget* area, const char* name);
  // Each change notifies the accessibility bridge (and through it, screen
  // readers): only a text that reads differently is set.
  void describe(const std::string& text);

 private:
  GtkWidget* window_;
  GtkWidget* area_;
  std::string described_;
};

}  // namespace corvane
