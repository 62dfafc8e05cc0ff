// A window manager stand-in for the X11 session test, in plain Xlib: it
// names itself (_NET_SUPPORTING_WM_CHECK, _NET_WM_NAME) as `argv[1]`, makes
// a desktop window, and keeps rewriting _NET_CLIENT_LIST with a window that
// no longer exists listed first, as a real window manager's list may for a
// moment when a window closes. Every rewrite makes the widget look through
// the list again. Runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  Display* x = XOpenDisplay(NULL);
  if (!x) return 1;
  Window root = DefaultRootWindow(x);
  Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  Atom name = XInternAtom(x, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
  Atom clients = XInternAtom(x, "_NET_CLIENT_LIST", False);
  Atom type = XInternAtom(x, "_NET_WM_WINDOW_TYPE", False);
  Atom desktopType = XInternAtom(x, "_NET_WM_WINDOW_TYPE_DESKTOP", False);

  Window self = XCreateSimpleWindow(x, root, -10, -10, 1, 1, 0, 0, 0);
  XChangeProperty(x, self, check, XA_WINDOW, 32, PropModeReplace, (unsigned char*)&self, 1);
  XChangeProperty(x, self, name, utf8, 8, PropModeReplace, (unsigned char*)argv[1], (int)strlen(argv[1]));
  XChangeProperty(x, root, check, XA_WINDOW, 32, PropModeReplace, (unsigned char*)&self, 1);

  Window desktop = XCreateSimpleWindow(x, root, 0, 0, 1280, 800, 0, 0, 0);
  XChangeProperty(x, desktop, type, XA_ATOM, 32, PropModeReplace, (unsigned char*)&desktopType, 1);
  XMapWindow(x, desktop);
  Window gone = XCreateSimpleWindow(x, root, 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(x, gone);
  Window list[2] = {gone, desktop};
  puts("ready");
  fflush(stdout);
  for (;;) {
    XChangeProperty(x, root, clients, XA_WINDOW, 32, PropModeReplace, (unsigned char*)list, 2);
    XFlush(x);
    usleep(100000);
  }
}
