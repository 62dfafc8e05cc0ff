// Windows for the KWin tests to stack the widget against (GTK 3, X11 or
// Xwayland):
//   kwin_standin desktop COLOR        a desktop window as Plasma's desktop view makes it:
//                                     type DESKTOP, keep below, out of the taskbar, the
//                                     whole monitor, and it takes focus when clicked
//   kwin_standin normal COLOR X Y W H an ordinary window at X,Y
// The window's title is the mode ("desktop" or "normal") prefixed with "standin-".
#include <gtk/gtk.h>
#include <stdlib.h>
#include <string.h>

static GdkRGBA color;

static gboolean draw(GtkWidget* w, cairo_t* cr, gpointer data) {
  (void)w;
  (void)data;
  gdk_cairo_set_source_rgba(cr, &color);
  cairo_paint(cr);
  return TRUE;
}

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 3 || !gdk_rgba_parse(&color, argv[2])) return 2;
  const gboolean desktop = strcmp(argv[1], "desktop") == 0;
  if (!desktop && argc < 7) return 2;
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* w = GTK_WINDOW(win);
  gtk_window_set_title(w, desktop ? "standin-desktop" : "standin-normal");
  gtk_window_set_decorated(w, FALSE);
  GdkRectangle g = {0, 0, 0, 0};
  if (desktop) {
    gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &g);
    gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DESKTOP);
    gtk_window_set_keep_below(w, TRUE);
    gtk_window_set_skip_taskbar_hint(w, TRUE);
  } else {
    g = (GdkRectangle){atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6])};
  }
  gtk_window_move(w, g.x, g.y);
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, g.width, g.height);
  g_signal_connect(area, "draw", G_CALLBACK(draw), NULL);
  gtk_container_add(GTK_CONTAINER(win), area);
  g_signal_connect(win, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show_all(win);
  gtk_main();
  return 0;
}
