#!/usr/bin/env bash
# The widget's window under the window managers of MATE and Cinnamon, on a
# private Xvfb: marco (composited, as MATE starts it) with caja drawing the
# desktop, then muffin replacing it with nemo-desktop drawing the desktop.
# Under each, next to a normal window: the widget's hints, its place 24 px
# from the top-right corner, above the file manager's desktop window and
# below the normal window (which covers it on the screen), never focused by
# a click on it, kept above the desktop when that is clicked, on every
# workspace, and still shown through Show Desktop. Both window managers come
# from metacity's code, whose Show Desktop hides every window but desktop
# and dock windows and their transients; muffin keeps hidden windows mapped
# (its compositor just stops drawing them), so "shown" is asked of WM_STATE
# and of the pixels, not of the map state alone. One line per check; every
# check runs, and the script fails when one did.
# Usage: mate_cinnamon.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
now=1700000000
began=$EPOCHREALTIME
source "$(dirname "$0")/../kit/common.sh"
require_tools Xvfb marco caja muffin nemo-desktop dbus-daemon xprop xwininfo xdotool wmctrl xmessage import compare convert

source "$(dirname "$0")/ewmh_checks.sh"  # also x11_common.sh

# Shown: mapped, in the normal state, not hidden, and on the screen as render
# draws it (a strip of its header, away from the normal window).
wm_state() { xprop -id "$1" WM_STATE | awk '/window state:/ { print $3 }'; }
shown() { viewable "$1" && [[ $(wm_state "$1") == Normal ]] && ! xprop -id "$1" _NET_WM_STATE | grep -q _HIDDEN; }
hidden() { ! shown "$1"; }
strip=(120 24 220 6)  # width, height, x and y within the widget
expected_face() {
  "$bin" render --family medium --snapshot "$snapshot" --now "$now" --scale 1 --out "$work/render.png" >/dev/null
  convert "$work/render.png" -crop "${strip[0]}x${strip[1]}+${strip[2]}+${strip[3]}" +repage "$work/face-expected.png"
}
same_face() {
  local differ
  import -window root -crop "${strip[0]}x${strip[1]}+$((corner_x + strip[2]))+$((corner_y + strip[3]))" +repage \
    "$work/face.png"
  differ=$(compare -metric AE -fuzz 6% "$work/face-expected.png" "$work/face.png" null: 2>&1 || true)
  [[ $differ =~ ^[0-9]+$ ]] && ((differ <= 10))
}
widget_shown() {  # why, when it is not
  until_ok 3 shown "$wid" || { echo "$1: the widget is $(wm_state "$wid"), $(xprop -id "$wid" _NET_WM_STATE)"; return 1; }
  until_ok 3 same_face && return
  if [[ -n ${CORVANE_SHOTS:-} ]]; then import -window root "$CORVANE_SHOTS/${1// /-}.png"; fi
  echo "$1: the widget's pixels are not on the screen"
  return 1
}

click_desktop() {
  xdotool mousemove 300 700 click 1
  until_ok 5 is_active "$desktop" || { echo "active $(active), not the desktop $desktop"; return 1; }
  widget_shown "after the click" && stacked "$desktop" "$wid" "$normal"
}
every_workspace() {  # whether to look at the pixels too
  local ok=0
  (($(wmctrl -d | wc -l) > 1)) || { echo "one workspace only"; return 1; }
  wmctrl -s 1
  until_ok 5 hidden "$normal" || { echo "the normal window stayed on workspace 2"; ok=1; }
  if [[ $1 == pixels ]]; then
    widget_shown "on workspace 2" || ok=1
  else
    shown "$wid" || { echo "on workspace 2 the widget is $(wm_state "$wid"), $(xprop -id "$wid" _NET_WM_STATE)"; ok=1; }
  fi
  wmctrl -s 0
  until_ok 5 shown "$normal" || { echo "back on workspace 1, the normal window is not shown"; ok=1; }
  return $ok
}
show_desktop() {  # Show Desktop, a click on the desktop, Show Desktop off
  local ok=0
  wmctrl -k on
  until_ok 5 hidden "$normal" || { echo "Show Desktop left the normal window"; ok=1; }
  sleep 0.3
  widget_shown "with Show Desktop on" || ok=1
  xdotool mousemove 300 700 click 1
  sleep 0.5
  widget_shown "after a click on the shown desktop" || ok=1
  wmctrl -k off
  until_ok 5 shown "$normal" || { echo "the normal window did not come back"; ok=1; }
  widget_shown "after Show Desktop" || ok=1
  stacked "$desktop" "$wid" "$normal" || ok=1
  return $ok
}
desktop_checks() {  # window manager, file manager, pixels on workspace 2 (or not)
  check "$1: type, below, on every workspace, out of the taskbar and pager, no input" hints
  check "$1: 24 px from the top-right corner of the work area" in_corner
  check "$1: above $2's desktop window, below the normal window" stacked "$desktop" "$wid" "$normal"
  check "$1: the normal window covers it on the screen" covered
  check "$1: a click on it leaves the focus on the normal window" click_widget_keeps_focus
  check "$1: a click on the desktop focuses the desktop, the widget stays above it" click_desktop
  wmctrl -i -a "$normal"
  until_ok 5 is_active "$normal" || true
  check "$1: there through Show Desktop and a click on the shown desktop" show_desktop
  check "$1: on every workspace" every_workspace "$3"
}

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data \
  XDG_RUNTIME_DIR=$work/runtime
export GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix  # no gvfs daemons for the desktop icons
# Settings in a key file, read by every process: no dconf on the machine.
# nemo-desktop refuses to run as root unless told to treat root as anyone.
export GSETTINGS_BACKEND=keyfile
mkdir -p "$HOME" "$XDG_CONFIG_HOME/glib-2.0/settings" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<'INI'
[org/nemo/preferences]
treat-root-as-normal=true
INI

Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$work/displayfd" 2>"$work/xvfb.log" &
pids+=("$!")
until_ok 10 grep -q . "$work/displayfd" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/displayfd")"
{ read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
corner_x=$((1280 - 24 - 364)) corner_y=24
expected_face

# --- MATE: marco and caja ---------------------------------------------------
nice -n 10 marco >"$work/marco.log" 2>&1 &
marco=$!; pids+=("$marco")
until_ok 10 wm_ready || fail "marco did not start: $(cat "$work/marco.log")"
# The normal window covers the widget's lower left part, its white face from
# about y 140 (below either frame's title bar) on.
xmessage -name corvane-normal -geometry 600x300+500+100 'a normal window' >/dev/null 2>&1 &
pids+=("$!")
until_ok 10 has_window corvane-normal.Xmessage || fail "the normal window did not appear"
normal=$(hex "$(by_class corvane-normal.Xmessage)")
until_ok 5 is_active "$normal" || fail "the normal window was not focused: active $(active)"
session_ms=$(ms_since "$began")
# The widget starts before the desktop does, as a session's autostart may.
run_widget
echo "time: marco took $session_ms ms, the widget's window $startup_ms ms to appear in its place"
nice -n 10 caja -n --force-desktop >"$work/caja.log" 2>&1 &
caja=$!; pids+=("$caja")
until_ok 15 has_window desktop_window.Caja || fail "caja did not map its desktop window: $(cat "$work/caja.log")"
desktop=$(hex "$(by_class desktop_window.Caja)")
until_ok 5 is_active "$normal" || wmctrl -i -a "$normal"
desktop_checks marco caja pixels

# --- Cinnamon: muffin and nemo-desktop --------------------------------------
# The widget starts again under muffin, this time after the desktop.
stop_widget
kill "$caja"
replaced() { ! kill -0 "$1" 2>/dev/null; }
nice -n 10 muffin --replace >"$work/muffin.log" 2>&1 &
pids+=("$!")
until_ok 10 replaced "$marco" || fail "muffin --replace did not take over"
until_ok 10 wm_ready || fail "muffin did not start: $(cat "$work/muffin.log")"
nice -n 10 nemo-desktop >"$work/nemo.log" 2>&1 &
pids+=("$!")
until_ok 15 has_window nemo-desktop.Nemo-desktop || fail "nemo-desktop did not map its window: $(cat "$work/nemo.log")"
desktop=$(hex "$(by_class nemo-desktop.Nemo-desktop)")
wmctrl -i -a "$normal"
until_ok 5 is_active "$normal" || fail "muffin did not focus the normal window: active $(active)"
run_widget
echo "time: under muffin the widget's window took $startup_ms ms to appear in its place"
# muffin alone runs its example effects plugin (Cinnamon brings its own),
# whose workspace switch never completes: the windows it moved are not
# painted again. So workspaces come last, and under muffin they are looked
# at through WM_STATE only.
desktop_checks muffin nemo states

echo "time: $(ms_since "$began") ms in all"
if ((failed > 0)); then
  echo "mate_cinnamon: $failed of $((passed + failed)) checks failed"
  exit 1
fi
echo "mate_cinnamon: all $passed checks ok"
