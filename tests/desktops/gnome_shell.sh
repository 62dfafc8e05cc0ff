#!/usr/bin/env bash
# The widget's window under GNOME Shell 43 (headless, Wayland, Xwayland), as
# a person runs it: once without and once with the desktop-icons extension
# (ding@rastersoft.com, Ubuntu's default). GNOME offers no layer shell, so
# the window program is to use X11 through the session's Xwayland, whose
# window manager (mutter) honours the X11 hints. Checked with the shell's
# own scripting: below a normal window (X11 and Wayland), out of the window
# switcher, the overview and the dash, on every workspace, never focused
# (after map, after an activation, after a click), at the top-right corner
# of the work area (below the top bar) 24 px from its edges, its pixels
# against `render`; its menu and a drag through the compositor's own
# pointer. A native Wayland run and a run that leaves the backend to the
# program are recorded too.
#
# Lines: "ok: …" a check that holds, "FAIL: …" one that does not,
# "limit: …" what GNOME does not allow (recorded, never a failure),
# "note: …" what was seen. The last line counts passes and failures.
#
# The shell and every client run as `nobody` (as root; else as the caller)
# with a private HOME, runtime folder, system and session bus: gnome-shell
# as root shows a "privileged user" notification, and nobody needs no
# account of its own. As root the whole test runs in a PID namespace of its
# own, so that every daemon the session bus starts ends with it.
# Usage: gnome_shell.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
here=$(dirname "$0")
source "$here/gnome_shell_common.sh"

# What a run shows: the window's kind, stacking, focus, switcher, overview,
# workspaces. Shared by both variants.
desktop_checks() {  # label
  local v=$1 info
  info=$(widget_info)
  detail=$info; check "$v: an X11 (Xwayland) window" [ "$(field client "$info")" == x11 ]
  detail=$info; check "$v: on the bottom layer (kept below)" [ "$(field layer "$info")" == BOTTOM ]
  mapped_checks "$v" "$info"
  echo "note: $v: $(wakeups 1) wake-ups in 1 s at rest"

  # Normal windows over it, one of each kind.
  open_normal x11 "Normal x11"
  open_normal wayland "Normal wayland"
  cv 'move("Normal x11", 700, 40)' >/dev/null
  cv 'move("Normal wayland", 800, 120)' >/dev/null
  sleep 0.3
  below_both() {
    local s; s=$(cv 'stack()')
    detail=$s
    [[ $s == *"Corvane today:"*"Normal x11:"* && $s == *"Corvane today:"*"Normal wayland:"* ]]
  }
  check "$v: below a normal X11 and a normal Wayland window" below_both
  cv 'raise()' >/dev/null
  sleep 0.2
  check "$v: still below them after it is raised" below_both
  cv 'activate()' >/dev/null
  sleep 0.5
  check "$v: not focused after an activation" not_focused
  check "$v: still below after an activation" below_both
  lists_and_workspace_checks "$v" "Normal x11"
}

# The widget's own menu and a drag, through the compositor's pointer.
pointer_checks() {  # label
  local v=$1 x y w h menus
  IFS=, read -r x y w h <<<"$(field frame "$(widget_info)")"
  cv 'move("Normal x11", 100, 400)' >/dev/null
  cv 'move("Normal wayland", 300, 420)' >/dev/null
  sleep 0.3
  pointer_click $((x + 60)) $((y + 60)) 3
  menu_open() { [[ $(cv 'menus()') != none ]]; }
  until_ok 3 menu_open || true
  menus=$(cv 'menus()')
  if [[ $menus != none ]]; then
    ok "$v: a right-click opens the widget's menu ($menus)"
    # A key through the compositor: the menu has no keyboard focus of its own.
    cv 'key("Escape")' >/dev/null
    sleep 0.5
    if [[ $(cv 'menus()') == none ]]; then
      echo "note: $v: Escape from the keyboard closes the menu"
    else
      echo "limit: $v: keys go to the focused window, not to the widget's menu (it never takes focus); Escape through Xwayland's XTEST closes it"
      "${client[@]}" xdotool key Escape
    fi
  else
    if [[ $v == *icons* ]]; then
      echo "limit: $v: a right-click on the widget opens $(cv 'popups()') instead of the widget's menu: the icons' window is above it"
      cv 'key("Escape")' >/dev/null
      sleep 0.3
    else
      bad "$v: a right-click opens the widget's menu (popups: $(cv 'popups()'))"
    fi
  fi
  check "$v: not focused after the right-click" not_focused
  local before after
  before=$(field frame "$(widget_info)")
  pointer_drag $((x + 100)) $((y + 100)) -300 150
  moved() { after=$(field frame "$(widget_info)"); [[ $after == "$((x - 300)),$((y + 150)),$w,$h" ]]; }
  until_ok 3 moved || true
  if moved; then
    ok "$v: a drag moves it (from $before to $after)"
    detail="kept: $(kept)"
    check "$v: the place it was let go is kept" until_ok 3 bash -c \
      'grep -qE "medium $1 $2" "$3"/corvane-widget/* 2>/dev/null' _ $((x - 300)) $((y + 150)) "$work/config"
  elif [[ $v == *icons* ]]; then
    echo "limit: $v: a drag does not move it (still at $after): the icons' window takes the pointer"
  else
    bad "$v: a drag moves it (still at $after)"
  fi
  check "$v: not focused after the drag" not_focused
  local switches
  switches=$(wakeups 1)
  detail="$switches wake-ups in 1 s"
  check "$v: idle after the drag (nothing left polling)" [ "$switches" -le 5 ]
  if [[ $v != *icons* ]]; then
    # The menu's last item is Quit: the pointer picks it and the run ends.
    IFS=, read -r x y w h <<<"$(field frame "$(widget_info)")"
    pointer_click $((x + 60)) $((y + 60)) 3
    until_ok 3 menu_open || true
    # GTK takes a release within half a second of the menu's popup for the
    # end of the press that opened it, and keeps the menu up: on a loaded
    # machine the pick could come that soon.
    sleep 0.6
    local mx my mw mh
    IFS=, read -r mx my mw mh <<<"$(cv 'menus()' | sed 's/^[A-Z_]*://; s/,[A-Z_]*:.*//')"
    pointer_click $((mx + mw / 2)) $((my + mh - 24)) 1
    ended() { ! kill -0 "$widget_pid" 2>/dev/null; }
    detail="menu at $mx,$my,$mw,$mh; $(cv 'menus()')"
    check "$v: the pointer picks Quit in the widget's menu and the run ends" until_ok 5 ended
    widget_pid=''
  fi
}
echo "== without desktop icons"
start_shell "[]"
echo "note: gnome-shell answered after ${shell_started_ms} ms; X11 display $x11_display"

# Today's behaviour on Wayland itself, recorded.
run_widget wayland
info=$(widget_info)
echo "limit: native Wayland: $info (GNOME has no layer shell: an ordinary window the compositor places)"
grep -q 'no layer shell' "$work/run.err" && echo "note: native Wayland: the program says: $(grep -m1 'no layer shell' "$work/run.err")"
stop_widget

# The program's own choice with both displays named.
run_widget ''
info=$(widget_info)
detail="$(field client "$info"); $(grep -m1 'layer shell' "$work/run.err" || true)"
check "with DISPLAY and WAYLAND_DISPLAY, the program takes X11 by itself" [ "$(field client "$info")" == x11 ]
stop_widget

rm -rf "$work/config/corvane-widget"  # the shell and its extensions keep their own settings there
run_widget x11
desktop_checks "X11 on GNOME"
check "X11 on GNOME: says nothing of desktop icons" bash -c '! grep -q "desktop icons" "$1"' _ "$work/run.err"
pointer_checks "X11 on GNOME"
stop_shell

echo "== with desktop icons (ding@rastersoft.com)"
start_shell "['ding@rastersoft.com']"
icons_up() { [[ $(cv 'desktopIcons()') == layer=NORMAL* ]]; }
until_ok 20 icons_up || fail "the desktop-icons window did not appear: $(grep DING "$work/shell.log" | tail -5)"
echo "note: gnome-shell answered after ${shell_started_ms} ms; the icons' window: $(cv 'desktopIcons()')"
rm -rf "$work/config/corvane-widget"
run_widget x11
icons_below() { local s; s=$(cv 'stack()'); detail=$s; [[ $s == *"Corvane today:"*"@!"* ]]; }
if icons_below; then echo "note: with icons: the widget is below the icons' window: $(cv 'stack()')"; fi
desktop_checks "X11 with icons"
check "X11 with icons: says the icons take the pointer" grep -q "desktop icons lie over the widget" "$work/run.err"
pointer_checks "X11 with icons"
finish
