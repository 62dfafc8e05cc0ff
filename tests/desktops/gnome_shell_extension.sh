#!/usr/bin/env bash
# The widget kept by its own GNOME Shell extension, in GNOME Shell 43
# (headless): with the desktop icons (ding@rastersoft.com) on, and on a
# session without Xwayland. `corvane-widget run` is started as a person
# does; the extension's keeper starts the window program as a Wayland client
# of the Shell. Checked with the Shell's own scripting: a Wayland window,
# above the icons' window and below normal windows (also after a raise and
# an activation), out of the switcher, the overview and the dash, on every
# workspace, never left focused, at the corner of the work area, its pixels
# against `render`; the widget's own menu on a right click, a drag that moves
# it and is kept, a click that opens the application's desktop entry, and
# Quit ending the run. Last, the extension installed but off: the program
# says how to turn it on and runs as before.
#
# Lines: "ok: …", "FAIL: …", "note: …"; the last line counts them.
# Shared with gnome_shell.sh: gnome_shell_common.sh and gnome_shell.js.
# Usage: gnome_shell_extension.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE EXTENSION_FOLDER
set -euo pipefail

bin=$1
snapshot=$2
here=$(dirname "$0")
source "$here/gnome_shell_common.sh"
uuid=today@desktop.corvane.com
[[ -f $3/$uuid/metadata.json ]] || fail "no extension in $3"

# The build's extension, naming the copy of the window program nobody can run.
shell_extension=$work/$uuid
cp -r "$3/$uuid" "$shell_extension"
sed -i "s|\"program\": \".*\"|\"program\": \"$work/corvane-widget-window\"|" "$shell_extension/metadata.json"
chmod -R a+rX "$shell_extension"

# The application's desktop entry, which a click opens.
entry() {
  mkdir -p "$work/home/.local/share/applications"
  cat >"$work/home/.local/share/applications/com.corvane.desktop.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Corvane
Exec=sh -c 'echo started >>$work/opened'
ENTRY
  [[ -z ${as[*]} ]] || chown -R nobody "$work/home/.local"
}

stacked() {  # the icons' window (if any), then the widget, then both normal windows
  local s; s=$(cv 'stack()')
  detail=$s
  [[ $s == *"Corvane today:"*"Normal wayland:"* && $s != *"Normal wayland:"*"Corvane today:"* ]] || return 1
  [[ -z ${icons:-} ]] || [[ $s == *"@!"*"Corvane today:"* && $s != *"Corvane today:"*"@!"* ]]
}

kept_checks() {  # label
  local v=$1 info
  info=$(widget_info)
  detail=$info; check "$v: a Wayland window of the Shell's own client" [ "$(field client "$info")" == wayland ]
  local pid parent; pid=$(pgrep -f "$work/corvane-widget-window" | head -1); parent=$(ps -o ppid= -p "$pid" | tr -d ' ')
  detail="pid $pid, parent $parent ($(ps -o comm= -p "$parent"))"
  check "$v: the window program was started by the Shell itself" [ "$(ps -o comm= -p "$parent")" == gnome-shell ]
  mapped_checks "$v" "$info"

  open_normal wayland "Normal wayland"
  cv 'move("Normal wayland", 800, 60)' >/dev/null
  sleep 0.3
  check "$v: above the icons' window, below a normal window" stacked
  cv 'raise()' >/dev/null
  sleep 0.3
  check "$v: still so after it is raised" stacked
  cv 'activate()' >/dev/null
  sleep 0.5
  check "$v: not focused after an activation" not_focused
  check "$v: still below after an activation" stacked
  lists_and_workspace_checks "$v" "Normal wayland"
}

# The pointer: the widget's menu, a drag, a click, Quit.
pointer_checks() {  # label
  local v=$1 x y w h menus
  cv 'move("Normal wayland", 100, 400)' >/dev/null
  sleep 0.3
  IFS=, read -r x y w h <<<"$(field frame "$(widget_info)")"
  pointer_click $((x + 60)) $((y + 60)) 3
  menu_open() { [[ $(cv 'menus()') != none ]]; }
  until_ok 3 menu_open || true
  menus=$(cv 'menus()')
  detail="menus: $menus; popups: $(cv 'popups()')"
  check "$v: a right-click opens the widget's menu, not the icons'" [ "$menus" != none ]
  cv 'key("Escape")' >/dev/null
  sleep 0.5
  if [[ $(cv 'menus()') == none ]]; then
    echo "note: $v: Escape from the keyboard closes the menu"
  else
    echo "note: $v: Escape from the compositor's keyboard leaves the menu open; a click beside it closes it"
    pointer_click 640 600 1
    menu_closed() { [[ $(cv 'menus()') == none ]]; }
    until_ok 3 menu_closed || true
  fi
  detail=$(cv 'menus()'); check "$v: the menu closes" [ "$(cv 'menus()')" == none ]
  check "$v: not focused after the right-click" not_focused
  check "$v: still below the normal window after the right-click" stacked

  local before after
  before=$(field frame "$(widget_info)")
  pointer_drag $((x + 100)) $((y + 100)) -300 150
  moved() { after=$(field frame "$(widget_info)"); [[ $after == "$((x - 300)),$((y + 150)),$w,$h" ]]; }
  until_ok 3 moved || true
  detail="from $before to $after"; check "$v: a drag moves it" moved
  detail="kept: $(kept)"
  check "$v: the place it was let go is kept" until_ok 3 bash -c \
    'grep -qE "medium $1 $2" "$3"/corvane-widget/* 2>/dev/null' _ $((x - 300)) $((y + 150)) "$work/config"
  check "$v: not focused after the drag" not_focused
  check "$v: still below the normal window after the drag" stacked
  local switches; switches=$(wakeups 1)
  detail="$switches wake-ups in 1 s"; check "$v: idle after the drag" [ "$switches" -le 5 ]

  IFS=, read -r x y w h <<<"$(field frame "$(widget_info)")"
  rm -f "$work/opened"
  pointer_click $((x + 60)) $((y + 60)) 1
  detail=$(tail -3 "$work/run.err"); check "$v: a click opens the application's desktop entry" until_ok 5 test -s "$work/opened"
  sleep 1  # the application's start settles

  pointer_click $((x + 60)) $((y + 60)) 3
  until_ok 3 menu_open || true
  sleep 0.6  # GTK takes an earlier release for the end of the press that opened the menu
  local mx my mw mh
  IFS=, read -r mx my mw mh <<<"$(cv 'menus()' | sed 's/^[A-Z_]*://; s/,[A-Z_]*:.*//')"
  pointer_click $((mx + mw / 2)) $((my + mh - 24)) 1
  ended() { ! kill -0 "$widget_pid" 2>/dev/null; }
  detail="menu at $mx,$my,$mw,$mh"
  check "$v: Quit in the widget's menu ends the run that started it" until_ok 5 ended
  local status=0
  wait "$widget_pid" || status=$?
  widget_pid=''
  detail="status $status"; check "$v: the run ends with status 0" [ "$status" == 0 ]
}

echo "== kept by the extension, with desktop icons"
icons=yes
start_shell "['ding@rastersoft.com', '$uuid']"
icons_up() { [[ $(cv 'desktopIcons()') == layer=NORMAL* ]]; }
until_ok 20 icons_up || fail "the desktop-icons window did not appear: $(grep DING "$work/shell.log" | tail -5)"
echo "note: gnome-shell answered after ${shell_started_ms} ms"
entry
run_widget ''
kept_checks "kept, icons"
detail=$(cat "$work/run.err")
check "kept, icons: the run says nothing of layer shells or icons" \
  bash -c '! grep -qE "layer shell|desktop icons" "$1"' _ "$work/run.err"
pointer_checks "kept, icons"
stop_shell

echo "== kept by the extension, Wayland only (no Xwayland)"
icons=''
start_shell "['$uuid']" no-x11
entry
run_widget ''
kept_checks "Wayland only"
pointer_checks "Wayland only"
stop_shell

echo "== the extension installed but off"
start_shell "[]"
run_widget ''
info=$(widget_info)
detail=$info; check "off: the widget runs as before (an X11 window kept below)" \
  bash -c '[[ $1 == *client=x11* && $1 == *layer=BOTTOM* ]]' _ "$info"
detail=$(cat "$work/run.err")
check "off: the run says, once, how to turn the extension on" \
  [ "$(grep -c "gnome-extensions enable $uuid" "$work/run.err")" == 1 ]
# The menu's item, above Quit (menu items are 25 px high), turns it on; the
# same run starts again as a widget the keeper keeps.
IFS=, read -r x y w h <<<"$(field frame "$(widget_info)")"
pointer_click $((x + 60)) $((y + 60)) 3
menu_open() { [[ $(cv 'menus()') != none ]]; }
until_ok 3 menu_open || true
sleep 0.6
IFS=, read -r mx my mw mh <<<"$(cv 'menus()' | sed 's/^[A-Z_]*://; s/,[A-Z_]*:.*//')"
pointer_click $((mx + mw / 2)) $((my + mh - 50)) 1
kept_now() { [[ $(widget_info) == *client=wayland*skip_taskbar=true* ]]; }
detail="$(widget_info); $(tail -3 "$work/run.err")"
check "off: the menu's \"Turn on GNOME Shell extension\" turns it on and the widget is kept" until_ok 15 kept_now
detail=''; check "off: by the same run" kill -0 "$widget_pid"
# Turned off again: the run shows the widget itself, as before.
"${client[@]}" gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
  -m org.gnome.Shell.Extensions.DisableExtension "$uuid" >/dev/null
x11_again() { [[ $(widget_info) == *client=x11*layer=BOTTOM* ]]; }
detail="$(widget_info); $(tail -3 "$work/run.err")"
check "off again: the same run shows it as before" until_ok 15 x11_again
detail=''; check "off again: by the same run" kill -0 "$widget_pid"
finish
