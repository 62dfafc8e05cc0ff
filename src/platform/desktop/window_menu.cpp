#include "platform/desktop/window_menu.hpp"

#include <cctype>
#include <string>

#include "support/fault.hpp"

namespace corvane {
namespace {

constexpr char kKey[] = "corvane-action";

GtkWidget* item(GtkWidget* menu, GtkWidget* entry, const char* action) {
  g_object_set_data_full(G_OBJECT(entry), kKey, g_strdup(action), g_free);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
  return entry;
}

}  // namespace

WindowMenu::WindowMenu(GtkWidget* widget, MenuActions actions) : actions_(std::move(actions)) {
  menu_ = gtk_menu_new();
  GtkWidget* reload = item(menu_, gtk_menu_item_new_with_label("Reload"), "reload");
  GtkWidget* size = item(menu_, gtk_menu_item_new_with_label("Size"), "size");
  GtkWidget* sizes = gtk_menu_new();
  GSList* group = nullptr;
  for (const std::string& family : actions_.sizes) {
    std::string label = family;
    if (!label.empty()) label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
    GtkWidget* radio = item(sizes, gtk_radio_menu_item_new_with_label(group, label.c_str()), family.c_str());
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(radio));
    g_signal_connect(radio, "activate", G_CALLBACK(onActivate), this);
    sizes_.push_back(radio);
  }
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(size), sizes);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
  GtkWidget* quit = item(menu_, gtk_menu_item_new_with_label("Quit"), "quit");
  g_signal_connect(reload, "activate", G_CALLBACK(onActivate), this);
  g_signal_connect(quit, "activate", G_CALLBACK(onActivate), this);
  gtk_widget_show_all(menu_);
  gtk_menu_attach_to_widget(GTK_MENU(menu_), widget, nullptr);
}

WindowMenu::~WindowMenu() {
  // Detaching drops the attachment's reference; nothing may call back into us.
  g_signal_handlers_disconnect_by_data(menu_, this);
  for (GtkWidget* s : sizes_) g_signal_handlers_disconnect_by_data(s, this);
  if (gtk_menu_get_attach_widget(GTK_MENU(menu_))) gtk_menu_detach(GTK_MENU(menu_));
}

void WindowMenu::popUp(const GdkEvent* trigger, std::string_view family) {
  updating_ = true;
  for (std::size_t i = 0; i < sizes_.size(); ++i)
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(sizes_[i]), family == actions_.sizes[i]);
  updating_ = false;
  gtk_menu_popup_at_pointer(GTK_MENU(menu_), trigger);
}

void WindowMenu::onActivate(GtkMenuItem* item, WindowMenu* self) {
  if (self->updating_) return;
  contained("the widget's menu", [item, self] { self->act(item); });
}

void WindowMenu::act(GtkMenuItem* item) const {
  const std::string action = static_cast<const char*>(g_object_get_data(G_OBJECT(item), kKey));
  if (action == "reload") {
    if (actions_.reload) actions_.reload();
  } else if (action == "quit") {
    if (actions_.quit) actions_.quit();
  } else if (GTK_IS_CHECK_MENU_ITEM(item) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) {
    // A radio item also "activates" when it loses its tick: act on the new one only.
    if (actions_.resize) actions_.resize(action);
  }
}

}  // namespace corvane
