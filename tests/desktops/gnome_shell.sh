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

if [[ $(id -u) == 0 && -z ${CORVANE_PID_NAMESPACE:-} ]] && unshare --pid --fork --mount-proc true 2>/dev/null; then
  CORVANE_PID_NAMESPACE=1 exec unshare --pid --fork --kill-child --mount-proc -- "$0" "$@"
fi

bin=$1
snapshot=$2
now=1700000000
wallpaper='#808080'
here=$(dirname "$0")
source "$here/../kit/common.sh"
require_tools gnome-shell Xwayland gjs gdbus gsettings dbus-daemon xdotool compare convert pgrep
if [[ ! -d /usr/share/gnome-shell/extensions/ding@rastersoft.com ]]; then
  msg="the desktop-icons extension is not installed (gnome-shell-extension-desktop-icons-ng; scripts/setup installs it)"
  if [[ ${CI:-} == true ]]; then echo "missing: $msg" >&2; exit 1; fi
  echo "skipping: $msg"; exit 77
fi
began=$SECONDS

work=$(mktemp -d)
chmod 755 "$work"
as=()
if [[ $(id -u) == 0 ]]; then
  as=(runuser -u nobody --)
  chown nobody "$work"
fi
shell_pid='' bus_pids=() widget_pid='' client_pids=()
stop_widget() {
  if [[ -n $widget_pid ]]; then
    kill "$widget_pid" 2>/dev/null || true
    wait "$widget_pid" 2>/dev/null || true
    widget_pid=''
  fi
}
stop_shell() {
  stop_widget
  for p in "${client_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${client_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  client_pids=()
  if [[ -n $shell_pid ]]; then
    kill "$shell_pid" 2>/dev/null || true
    wait "$shell_pid" 2>/dev/null || true
    shell_pid=''
  fi
  # The buses last: the services they started end with them.
  for p in "${bus_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  bus_pids=()
}
cleanup() {
  stop_shell
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -15 "$work/run.err" "$work/shell.log" >&2 2>/dev/null || true
  exit 1
}
passed=0 failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() {  # description, then a command that holds
  local what=$1; shift
  if "$@"; then
    if [[ $what == *pixels* ]]; then ok "$what ($detail)"; else ok "$what"; fi
  else
    bad "$what${detail:+ ($detail)}"
  fi
  detail=''
}
detail=''

# Copies nobody can read and run, whatever the permissions on the build tree.
install -m 755 "$bin" "$work/corvane-widget"
install -m 755 "$(dirname "$bin")/corvane-widget-window" "$work/corvane-widget-window"
install -m 644 "$snapshot" "$work/snapshot.json"
install -m 644 "$here/gnome_shell.js" "$work/gnome_shell.js"
cat >"$work/normal.js" <<'EOF'
// A normal window, on the backend GDK_BACKEND names.
imports.gi.versions.Gtk = '3.0';
const Gtk = imports.gi.Gtk;
Gtk.init(null);
const w = new Gtk.Window({title: ARGV[0]});
w.set_default_size(500, 300);
w.connect('destroy', () => Gtk.main_quit());
w.show_all();
Gtk.main();
EOF

"$work/corvane-widget" render --family medium --snapshot "$work/snapshot.json" --now "$now" --scale 1 \
  --out "$work/render.png" >/dev/null
convert "$work/render.png" -background "$wallpaper" -flatten "$work/expected.png"

start_shell() {  # extensions (a GVariant list); sets session, client and x11
  local home=$work/home run=$work/runtime
  rm -rf "$home" "$run" "$work/config"
  mkdir -p "$home/Desktop" "$run" "$work/shots"
  chmod 700 "$run"
  [[ -z ${as[*]} ]] || chown -R nobody "$home" "$run" "$work/shots"
  session=(env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" XDG_CONFIG_HOME="$work/config"
    XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME)
  local sys_bus sys_pid bus bus_pid
  { read -r sys_bus; read -r sys_pid; } < <("${as[@]}" "${session[@]}" dbus-daemon --session --fork \
    --address="unix:path=$run/system_bus" --print-address=1 --print-pid=1)
  { read -r bus; read -r bus_pid; } < <("${as[@]}" "${session[@]}" dbus-daemon --session --fork \
    --address="unix:path=$run/bus" --print-address=1 --print-pid=1)
  bus_pids+=("$sys_pid" "$bus_pid")
  session+=(DBUS_SYSTEM_BUS_ADDRESS="$sys_bus" DBUS_SESSION_BUS_ADDRESS="$bus")
  gset() { "${as[@]}" "${session[@]}" gsettings set "$@"; }
  gset org.gnome.shell enabled-extensions "$1"
  gset org.gnome.desktop.background picture-uri ''
  gset org.gnome.desktop.background picture-uri-dark ''
  gset org.gnome.desktop.background primary-color "$wallpaper"
  gset org.gnome.desktop.background color-shading-type solid
  gset org.gnome.desktop.interface enable-animations false
  gset org.gnome.desktop.lockdown disable-lock-screen true
  gset org.gnome.desktop.notifications show-banners false
  local start_ns
  start_ns=$(date +%s%N)
  "${as[@]}" "${session[@]}" nice -n 10 gnome-shell --headless --wayland --unsafe-mode --wayland-display=wl-test \
    --virtual-monitor 1280x720 >"$work/shell.log" 2>&1 &
  shell_pid=$!
  client=("${as[@]}" "${session[@]}" WAYLAND_DISPLAY=wl-test)
  shell_up() { [[ $(shell_eval "$(cat "$work/gnome_shell.js")") == loaded ]] && [[ $(cv 'ready()') == 'starting=false'* ]]; }
  until_ok 30 shell_up || fail "gnome-shell did not start"
  shell_started_ms=$((($(date +%s%N) - start_ns) / 1000000))
  cv 'hideOverview()' >/dev/null
  hidden() { [[ $(cv 'overviewHidden()') == true ]]; }
  until_ok 10 hidden || fail "the overview stays open"
  # The compositor's own pointer, made early: the first events of a new
  # device can be lost while the seat takes it in.
  cv 'pointerTo(640, 710)' >/dev/null
  read -r x11_display x11_auth < <(cv 'session()' | sed 's/display=\([^ ]*\) xauthority=\(.*\)/\1 \2/')
  client+=(DISPLAY="$x11_display" XAUTHORITY="$x11_auth")
}

# org.gnome.Shell.Eval: the value of the JavaScript, as the plain text the
# helpers return.
shell_eval() {
  local out
  out=$("${client[@]}" gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.gnome.Shell.Eval "$1" \
    2>/dev/null) || return 1
  [[ $out == "(true, "* ]] || { echo "$out" >&2; return 1; }
  out=${out#"(true, '"}; out=${out%"')"}; out=${out#\"}; out=${out%\"}
  echo "$out"
}
cv() { shell_eval "global._cv.$1"; }

screenshot() {  # file in $work/shots
  "${client[@]}" gdbus call --session -d org.gnome.Shell.Screenshot -o /org/gnome/Shell/Screenshot \
    -m org.gnome.Shell.Screenshot.Screenshot false false "$work/shots/$1" >/dev/null
}

widget_info() { cv 'info()'; }
field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2" | head -1; }
run_widget() {  # backend ("" for the program's own choice), then extra options
  local backend=()
  [[ -z $1 ]] || backend=(GDK_BACKEND="$1")
  "${client[@]}" "${backend[@]}" "$work/corvane-widget" run --family medium --snapshot "$work/snapshot.json" \
    --now "$now" --speed 0.000001 "${@:2}" >"$work/run.out" 2>"$work/run.err" &
  widget_pid=$!
  shown() { [[ $(widget_info) == *shown=true* ]]; }
  until_ok 20 shown || { cat "$work/run.err" >&2; fail "no widget window appeared: $(cv 'stack()')"; }
  sleep 0.5  # first paint
}
open_normal() {  # backend title
  "${client[@]}" GDK_BACKEND="$1" gjs "$work/normal.js" "$2" >"$work/normal-$1.log" 2>&1 &
  client_pids+=("$!")
  there() { [[ $(cv 'stack()') == *"$2:"* ]]; }
  until_ok 15 there "$@" || fail "the normal window $2 did not open"
}

# The widget's pixels on the screen against render's picture on the
# wallpaper: a few antialiased edge pixels may differ slightly.
pixels_match() {  # label
  local frame x y w h differ end=$((SECONDS + 10))
  while :; do
    frame=$(field frame "$(widget_info)")
    IFS=, read -r x y w h <<<"$frame"
    screenshot "screen-$1.png"
    convert "$work/shots/screen-$1.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/shot-$1.png"
    differ=$(compare -metric AE -fuzz 6% "$work/expected.png" "$work/shot-$1.png" null: 2>&1 || true)
    [[ $differ =~ ^[0-9.]+$ ]] && ((${differ%.*} <= 40)) && break
    ((SECONDS < end)) || break
    sleep 0.3
  done
  if [[ -n ${CORVANE_SHOTS:-} ]]; then cp "$work/shots/screen-$1.png" "$CORVANE_SHOTS/"; fi
  detail="$differ pixels differ at $frame"
  [[ $differ =~ ^[0-9.]+$ ]] && ((${differ%.*} <= 40))
}

pointer_drag() {  # from x y by dx dy, in steps, with a pause half-way
  local x=$1 y=$2 dx=$3 dy=$4 i
  cv "pointerTo($x, $y)" >/dev/null
  cv 'button(1, true)' >/dev/null
  sleep 0.2
  for i in 1 2 3 4 5 6 7 8 9 10; do
    cv "pointerTo($((x + dx * i / 10)), $((y + dy * i / 10)))" >/dev/null
    ((i == 5)) && sleep 1 || sleep 0.05
  done
  sleep 0.3
  cv 'button(1, false)' >/dev/null
  sleep 0.5
}
pointer_click() {  # x y button
  cv "pointerTo($1, $2)" >/dev/null
  sleep 0.1
  cv "button($3, true)" >/dev/null
  cv "button($3, false)" >/dev/null
}
kept() { cat "$work/config/corvane-widget/places" "$work/config/corvane-widget/widgets" 2>/dev/null | grep -v '^#' | tr '\n' ';' || true; }

# What a run shows: the window's kind, stacking, focus, switcher, overview,
# workspaces. Shared by both variants.
placed_in_corner() {
  local info area x y w h
  info=$(widget_info)
  IFS=, read -r x y w h <<<"$(field workarea "$info")"
  want="$((x + w - 24 - 364)),$((y + 24)),364,170"
  [[ $(field frame "$info") == "$want" ]]
}
desktop_checks() {  # label
  local v=$1 info
  info=$(widget_info)
  detail=$info; check "$v: an X11 (Xwayland) window" [ "$(field client "$info")" == x11 ]
  detail=$info; check "$v: on the bottom layer (kept below)" [ "$(field layer "$info")" == BOTTOM ]
  detail=$info; check "$v: skip-taskbar" [ "$(field skip_taskbar "$info")" == true ]
  detail=$info; check "$v: on every workspace" [ "$(field all_workspaces "$info")" == true ]
  detail="focus on $(cv 'focus()')"; check "$v: not focused after map" [ "$(field focused "$info")" == false ]
  until_ok 5 placed_in_corner || true
  detail="at $(field frame "$(widget_info)"), work area $(field workarea "$info"), want $want"
  check "$v: top-right corner of the work area, 24 px from its edges (below the top bar)" placed_in_corner
  check "$v: pixels equal render's picture" pixels_match "$v"
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
  not_focused() { local f; f=$(cv 'focus()'); detail="focus on $f"; [[ $f != "Corvane today" ]]; }
  check "$v: not focused after an activation" not_focused
  check "$v: still below after an activation" below_both
  local sw; sw=$(cv 'switcher()')
  echo "note: $v: switcher: $sw"
  detail=$sw; check "$v: normal windows are in the window switcher" grep -q 'windows=.*Normal x11' <<<"$sw"
  detail=$sw; check "$v: not in the window switcher's windows nor its applications" \
    bash -c '! grep -q "Corvane today" <<<"$1"' _ "$sw"
  cv 'showOverview()' >/dev/null
  shown() { [[ $(cv 'overviewShown()') == true ]]; }
  until_ok 10 shown || true
  sleep 0.3
  local ov; ov=$(cv 'overview()')
  detail=$ov; check "$v: the overview shows the normal windows" grep -q 'previews=.*Normal wayland' <<<"$ov"
  echo "note: $v: overview: $ov"
  detail=$ov; check "$v: not in the overview nor the dash" bash -c '! grep -q "Corvane today" <<<"$1"' _ "$ov"
  cv 'hideOverview()' >/dev/null
  hidden() { [[ $(cv 'overviewHidden()') == true ]]; }
  until_ok 10 hidden || fail "the overview stays open"
  check "$v: not focused after the overview" not_focused

  # Another workspace: the widget is there, the normal windows are not.
  cv 'switchTo(1)' >/dev/null
  on_ws1() { [[ $(cv 'workspaces()') == *active=1* ]]; }
  until_ok 5 on_ws1 || fail "could not switch workspace: $(cv 'workspaces()')"
  sleep 0.3
  info=$(widget_info)
  detail=$info; check "$v: shown on the second workspace" \
    bash -c '[[ $1 == *on_active_workspace=true* && $1 == *shown=true* ]]' _ "$info"
  check "$v: pixels on the second workspace equal render's picture" pixels_match "$v-ws2"
  check "$v: not focused after the workspace switch" not_focused
  cv 'switchTo(0)' >/dev/null
  sleep 0.3
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
# Voluntary context switches of the window program's main thread over $1 s.
wakeups() {
  local p a b
  p=$(pgrep -P "$widget_pid" | head -1); p=${p:-$widget_pid}
  a=$(awk '/^voluntary_ctxt_switches/{print $2}' "/proc/$p/status")
  sleep "$1"
  b=$(awk '/^voluntary_ctxt_switches/{print $2}' "/proc/$p/status")
  echo $((b - a))
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
stop_shell

echo "note: wall time $((SECONDS - began)) s"
echo "$passed passed, $failed failed"
((failed == 0))
