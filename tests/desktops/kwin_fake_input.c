// Pointer input through KWin's fake-input protocol (KWIN_WAYLAND_NO_PERMISSION_CHECKS=1).
// kwin_fake_input move X Y | down BUTTON | up BUTTON | click BUTTON | key CODE | sleep MS ...
// BUTTON: left, right or an evdev code.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>
#include "fake-input-client.h"  // made by wayland-scanner from plasma-wayland-protocols

static struct org_kde_kwin_fake_input* fake;

static void global(void* data, struct wl_registry* r, uint32_t name, const char* iface, uint32_t version) {
  (void)data;
  if (strcmp(iface, org_kde_kwin_fake_input_interface.name) == 0)
    fake = wl_registry_bind(r, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4);
}
static void global_remove(void* d, struct wl_registry* r, uint32_t n) { (void)d; (void)r; (void)n; }
static const struct wl_registry_listener listener = {global, global_remove};

static uint32_t button(const char* s) {
  if (!strcmp(s, "left")) return 0x110;
  if (!strcmp(s, "right")) return 0x111;
  return (uint32_t)strtoul(s, NULL, 0);
}

int main(int argc, char** argv) {
  struct wl_display* d = wl_display_connect(NULL);
  if (!d) { fprintf(stderr, "kwin_fake_input: no Wayland display\n"); return 1; }
  struct wl_registry* reg = wl_display_get_registry(d);
  wl_registry_add_listener(reg, &listener, NULL);
  wl_display_roundtrip(d);
  if (!fake) { fprintf(stderr, "kwin_fake_input: no org_kde_kwin_fake_input\n"); return 1; }
  org_kde_kwin_fake_input_authenticate(fake, "corvane test", "clicks in a test");
  for (int i = 1; i < argc; ++i) {
    const char* c = argv[i];
    if (!strcmp(c, "move") && i + 2 < argc) {
      org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(atof(argv[i + 1])), wl_fixed_from_double(atof(argv[i + 2])));
      i += 2;
    } else if (!strcmp(c, "down") && i + 1 < argc) {
      org_kde_kwin_fake_input_button(fake, button(argv[++i]), 1);
    } else if (!strcmp(c, "up") && i + 1 < argc) {
      org_kde_kwin_fake_input_button(fake, button(argv[++i]), 0);
    } else if (!strcmp(c, "click") && i + 1 < argc) {
      uint32_t b = button(argv[++i]);
      org_kde_kwin_fake_input_button(fake, b, 1);
      wl_display_roundtrip(d);
      usleep(50000);
      org_kde_kwin_fake_input_button(fake, b, 0);
    } else if (!strcmp(c, "key") && i + 1 < argc) {
      uint32_t k = (uint32_t)strtoul(argv[++i], NULL, 0);
      org_kde_kwin_fake_input_keyboard_key(fake, k, 1);
      wl_display_roundtrip(d);
      org_kde_kwin_fake_input_keyboard_key(fake, k, 0);
    } else if (!strcmp(c, "sleep") && i + 1 < argc) {
      wl_display_roundtrip(d);
      usleep((useconds_t)atoi(argv[++i]) * 1000);
    } else {
      fprintf(stderr, "kwin_fake_input: unknown command %s\n", c);
      return 2;
    }
    wl_display_roundtrip(d);
  }
  wl_display_roundtrip(d);
  wl_display_disconnect(d);
  return 0;
}
