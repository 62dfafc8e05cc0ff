#include "platform/desktop/window_menu.hpp"

#include <cctype>
#include <string>

#include "support/fault.hpp"

namespace corvane {
namespace {

constexpr char kKey[] = "corvane-action";

GtkWidget* item(GtkWidget* menu, GtkWidget* entry, const std::string& action) {
  g_object_set_data_full(G_OBJECT(entry), kKey, g_strdup(action.c_str()), g_free);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
  return entry;
}

std::string capitalized(std::string name) {
  if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

}  // namespace

WindowMenu::WindowMenu(GtkWidget* widget, MenuActions actions) : actions_(std::move(actions)) {
  menu_ = gtk_menu_new();
  auto connect = [this](GtkWidget* w) { g_signal_connect(w, "activate", G_CALLBACK(onActivate), this); };
  open_ = item(menu_, gtk_menu_item_new_with_label("Open Corvane"), "open");
  connect(open_);
  openSeparator_ = gtk_separator_menu_item_new();
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), openSeparator_);
  connect(item(menu_, gtk_menu_item_new_with_label("Reload"), "reload"));

  GtkWidget* size = item(menu_, gtk_menu_item_new_with_label("Size"), "size");
  GtkWidget* sizes = gtk_menu_new();
  GSList* group = nullptr;
  for (const std::string& family : actions_.sizes) {
    GtkWidget* radio = item(sizes, gtk_radio_menu_item_new_with_label(group, capitalized(family).c_str()), family);
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(radio));
    connect(radio);
    sizes_.push_back(radio);
  }
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(size), sizes);

  GtkWidget* add = item(menu_, gtk_menu_item_new_with_label("Add widget"), "add");
  GtkWidget* adds = gtk_menu_new();
  for (const std::string& family : actions_.sizes) {
    GtkWidget* entry = item(adds, gtk_menu_item_new_with_label(capitalized(family).c_str()), "add " + family);
    connect(entry);
    adds_.push_back(entry);
  }
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(add), adds);
  toCorner_ = item(menu_, gtk_menu_item_new_with_label("Move to corner"), "corner");
  connect(toCorner_);
  lock_ = item(menu_, gtk_check_menu_item_new_with_label("Lock in place"), "lock");
  connect(lock_);
  connect(item(menu_, gtk_menu_item_new_with_label("Remove widget"), "remove"));
  shellExtension_ = item(menu_, gtk_menu_item_new_with_label("Turn on GNOME Shell extension"), "shell extension");
  connect(shellExtension_);

  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
  connect(item(menu_, gtk_menu_item_new_with_label("Quit"), "quit"));
  gtk_widget_show_all(menu_);
  gtk_menu_attach_to_widget(GTK_MENU(menu_), widget, nullptr);
}

WindowMenu::~WindowMenu() {
  // Detaching drops the attachment's reference; nothing may call back into us.
  g_signal_handlers_disconnect_by_data(open_, this);
  for (GtkWidget* s : sizes_) g_signal_handlers_disconnect_by_data(s, this);
  for (GtkWidget* a : adds_) g_signal_handlers_disconnect_by_data(a, this);
  g_signal_handlers_disconnect_by_data(toCorner_, this);
  g_signal_handlers_disconnect_by_data(lock_, this);
  g_signal_handlers_disconnect_by_data(shellExtension_, this);
  if (gtk_menu_get_attach_widget(GTK_MENU(menu_))) gtk_menu_detach(GTK_MENU(menu_));
}

void WindowMenu::popUp(const GdkEvent* trigger, std::string_view family) {
  time_ = gdk_event_get_time(trigger);
  const bool canOpen = actions_.canOpen && actions_.canOpen();
  gtk_widget_set_visible(open_, canOpen);
  gtk_widget_set_visible(openSeparator_, canOpen);
  updating_ = true;
  for (std::size_t i = 0; i < actions_.sizes.size(); ++i) {
    const std::string& f = actions_.sizes[i];
    const bool elsewhere = f != family && actions_.shown && actions_.shown(f);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(sizes_[i]), f == family);
    gtk_widget_set_sensitive(sizes_[i], !elsewhere);
    gtk_widget_set_sensitive(adds_[i], !(actions_.shown && actions_.shown(f)));
  }
  const bool locked = actions_.locked && actions_.locked();
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(lock_), locked);
  gtk_widget_set_sensitive(toCorner_, !locked);  // a locked widget stays where it is
  gtk_widget_set_visible(shellExtension_, actions_.canUseShellExtension && actions_.canUseShellExtension());
  updating_ = false;
  gtk_menu_popup_at_pointer(GTK_MENU(menu_), trigger);
}

void WindowMenu::onActivate(GtkMenuItem* item, WindowMenu* self) {
  if (self->updating_) return;
  contained("the widget's menu", [item, self] { self->act(item); });
}

void WindowMenu::act(GtkMenuItem* item) const {
  const std::string action = static_cast<const char*>(g_object_get_data(G_OBJECT(item), kKey));
  auto call = [](const auto& f, auto... args) {
    if (f) f(args...);
  };
  if (action == "open") {
    call(actions_.open, time_);
  } else if (action == "reload") {
    call(actions_.reload);
  } else if (action == "corner") {
    call(actions_.toCorner);
  } else if (action == "lock") {
    call(actions_.lock, gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)) != FALSE);
  } else if (action == "remove") {
    call(actions_.remove);
  } else if (action == "shell extension") {
    call(actions_.useShellExtension);
  } else if (action == "quit") {
    call(actions_.quit);
  } else if (action.rfind("add ", 0) == 0) {
    call(actions_.add, std::string_view(action).substr(4));
  } else if (GTK_IS_CHECK_MENU_ITEM(item) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) {
    // A radio item also "activates" when it loses its tick: act on the new one only.
    call(actions_.resize, std::string_view(action));
  }
}

}  // namespace corvane
