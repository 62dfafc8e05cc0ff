#include "platform/desktop/accessibility.hpp"

namespace corvane {

AccessibleText::AccessibleText(GtkWidget* window, GtkWidget* area, const char* name) : window_(window), area_(area) {
  atk_object_set_name(gtk_widget_get_accessible(area_), name);
  atk_object_set_name(gtk_widget_get_accessible(window_), name);
}

void AccessibleText::describe(const std::string& text) {
  if (text == described_) return;
  described_ = text;
  atk_object_set_description(gtk_widget_get_accessible(area_), described_.c_str());
  atk_object_set_description(gtk_widget_get_accessible(window_), described_.c_str());
}

}  // namespace corvane
