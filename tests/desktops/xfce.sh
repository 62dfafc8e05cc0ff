#!/usr/bin/env bash
# The widget's window on an Xfce desktop under a private Xvfb: xfwm4 with its
# compositor, xfdesktop drawing a solid backdrop and its icons, a panel's
# strut (an xmessage typed as a dock) and a normal window (another xmessage).
# The widget must stay above xfdesktop's window and below the normal window,
# on every workspace, out of the window switcher, never focused (also after a
# click on it or on the desktop), there through Show Desktop, with its
# corners showing the backdrop with the compositor and without one (a
# shape), 24 px from the top-right corner of the work area. Then xfwm4
# replaces itself without a compositor, and icewm replaces xfwm4: a window
# manager whose Show Desktop and window switcher choose windows by other
# rules than xfwm4's. One line per check; every check runs, and the script
# fails when one did.
# Usage: xfce.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
now=1700000000
# 0.2, 0.4, 0.6: whole steps of 1/255, so xfdesktop paints exactly this.
backdrop='#336699'
began=$EPOCHREALTIME
source "$(dirname "$0")/../kit/common.sh"
require_tools Xvfb xfwm4 xfdesktop xfconf-query icewm dbus-daemon dbus-send xprop xwininfo xdotool wmctrl \
  xmessage import compare convert
xfconfd=$(compgen -G '/usr/lib/*/xfce4/xfconf/xfconfd' | head -1 || true)
if [[ -z $xfconfd ]]; then  # as require_tools does, for a program off the PATH
  if [[ ${CI:-} == true ]]; then echo "missing xfconfd (scripts/setup installs xfconf)" >&2; exit 1; fi
  echo "skipping: xfconfd is not installed (scripts/setup installs xfconf)"; exit 77
fi

source "$(dirname "$0")/ewmh_checks.sh"  # also x11_common.sh

unshaped() { xwininfo -id "$wid" -shape | grep -q 'No window shape defined'; }
shaped() { xwininfo -id "$wid" -shape | grep -q 'Window shape extents'; }
# The widget's pixels on the screen against render's picture laid on the
# backdrop: a few antialiased edge pixels may differ slightly; a shape has
# no partly covered pixels, so its rounded rims (four quarter circles of
# 22 pt, about 140 pixels) are hard. The very corner pixel shows the backdrop.
compare_pixels() {  # label
  local allowed=40
  shaped && allowed=160
  "$bin" render --family medium --snapshot "$snapshot" --now "$now" --scale 1 --out "$work/render-$1.png" >/dev/null
  convert "$work/render-$1.png" -background "$backdrop" -flatten "$work/expected-$1.png"
  local differ x y w h corner end=$((SECONDS + 10))
  while :; do
    read -r x y w h < <(geometry)
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot-$1.png"
    differ=$(compare -metric AE -fuzz 6% "$work/expected-$1.png" "$work/shot-$1.png" null: 2>&1 || true)
    [[ $differ =~ ^[0-9.]+$ ]] && ((${differ%.*} <= allowed)) && break
    ((SECONDS < end)) || break
    sleep 0.2
  done
  if [[ -n ${CORVANE_SHOTS:-} ]]; then cp "$work/shot-$1.png" "$work/expected-$1.png" "$CORVANE_SHOTS/"; fi
  [[ $differ =~ ^[0-9.]+$ ]] && ((${differ%.*} <= allowed)) || { echo "$differ pixels differ from render's picture"; return 1; }
  corner=$(convert "$work/shot-$1.png" -format '%[hex:p{0,0}]' info:)
  [[ ${corner:0:6} == "${backdrop#\#}" ]] || { echo "corner pixel #$corner, not the backdrop"; return 1; }
}

# The window switcher's size while Alt is held after one Tab (it grows with
# the windows it lists), then Alt is let go.
switcher_size() {  # the switcher's WM_NAME
  local w="" end=$((SECONDS + 5))
  xdotool keydown alt key Tab
  while [[ -z $w ]] && ((SECONDS < end)); do
    w=$(xwininfo -root -tree | awk -v n="\"$1\":" '$2 == n && /\+[0-9]+\+[0-9]+ +\+/ { print $1 }' |
      while read -r c; do viewable "$c" && echo "$c"; done | head -1)
    [[ -n $w ]] || sleep 0.1
  done
  [[ -n $w ]] && xwininfo -id "$w" | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w "x" h}'
  xdotool keyup alt
  sleep 0.3
}

# Xfce's own checks, beside those of ewmh_checks.sh.
click_desktop() {
  xdotool mousemove 300 700 click 1
  until_ok 5 is_active "$desktop" || { echo "active $(active), not the desktop $desktop"; return 1; }
  viewable "$wid" || { echo "the widget is gone"; return 1; }
  stacked "$desktop" "$wid" "$normal"
}
every_workspace() {
  wmctrl -s 1
  local ok=0
  until_ok 5 unmapped "$normal" || { echo "the normal window stayed on workspace 2"; ok=1; }
  viewable "$wid" || { echo "the widget is not on workspace 2"; ok=1; }
  ((ok == 0)) && compare_pixels "workspace-2" || ok=1
  wmctrl -s 0
  until_ok 5 viewable "$normal" || { echo "back on workspace 1, the normal window is not shown"; ok=1; }
  return $ok
}
show_desktop() {  # Show Desktop, a click on the desktop, Show Desktop off
  local ok=0
  wmctrl -k on
  until_ok 5 unmapped "$normal" || { echo "Show Desktop left the normal window"; ok=1; }
  sleep 0.3
  viewable "$wid" || { echo "Show Desktop hid the widget"; ok=1; }
  ((ok == 0)) && { compare_pixels "show-desktop" || ok=1; }
  xdotool mousemove 300 700 click 1
  sleep 0.5
  viewable "$wid" || { echo "a click on the shown desktop hid the widget"; ok=1; }
  wmctrl -k off
  until_ok 5 viewable "$normal" || { echo "the normal window did not come back"; ok=1; }
  viewable "$wid" || { echo "the widget is gone after Show Desktop"; ok=1; }
  stacked "$desktop" "$wid" "$normal" || ok=1
  return $ok
}
out_of_switcher() {  # the switcher's WM_NAME; it lists what it did before the widget came
  local size
  size=$(switcher_size "$1")
  [[ -n $size ]] || { echo "no window switcher appeared: $(xwininfo -root -tree | grep -F "\"$1\":")"; return 1; }
  [[ $size == "$switcher_alone" ]] || { echo "the switcher is $size, $switcher_alone without the widget"; return 1; }
  [[ $(active) != "$wid" ]] || { echo "the widget became active"; return 1; }
}

# --- Xfce -------------------------------------------------------------------
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data \
  XDG_RUNTIME_DIR=$work/runtime
export GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix  # no gvfs daemons for xfdesktop's icons
mkdir -p "$HOME" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# A solid backdrop on Xvfb's only monitor ("screen"); xfdesktop uses the
# first workspace's backdrop on all of them.
cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty">
    <property name="screen0" type="empty">
      <property name="monitorscreen" type="empty">
        <property name="workspace0" type="empty">
          <property name="color-style" type="int" value="0"/>
          <property name="image-style" type="int" value="0"/>
          <property name="rgba1" type="array">
            <value type="double" value="0.2"/>
            <value type="double" value="0.4"/>
            <value type="double" value="0.6"/>
            <value type="double" value="1"/>
          </property>
        </property>
      </property>
    </property>
  </property>
</channel>
XML

Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$work/displayfd" 2>"$work/xvfb.log" &
pids+=("$!")
until_ok 10 grep -q . "$work/displayfd" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/displayfd")"
{ read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
"$xfconfd" >"$work/xfconfd.log" 2>&1 &
pids+=("$!")
xfconf_owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.xfce.Xfconf | grep -q 'boolean true'
}
until_ok 10 xfconf_owned || fail "xfconfd did not start"
nice -n 10 xfwm4 --compositor=on >"$work/xfwm4.log" 2>&1 &
xfwm4=$!; pids+=("$xfwm4")
# A deadline, not a pause: on a machine busy with the other test lane a
# niced xfwm4 may take more than the 10 s that were once allowed.
xfwm4_state() { if kill -0 "$xfwm4" 2>/dev/null; then echo running; else wait "$xfwm4" || echo "ended with status $?"; fi; }
until_ok 30 wm_ready || fail "xfwm4 did not start within 30 s ($(xfwm4_state)): $(cat "$work/xfwm4.log")"

# A panel's strut: 30 px at the top and 40 px on the right.
xmessage -name corvane-panel -geometry 1280x30+0+0 panel >/dev/null 2>&1 &
pids+=("$!")
until_ok 10 has_window corvane-panel.Xmessage || fail "the panel's window did not appear"
panel=$(by_class corvane-panel.Xmessage)
xprop -id "$panel" -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DOCK
xprop -id "$panel" -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL '0, 40, 30, 0, 0, 0, 0, 799, 0, 1279, 0, 0'
# Managed again, it is a dock: no frame. Its shadow would darken the
# backdrop where the widget's top corners are.
xfconf-query -c xfwm4 -p /general/show_dock_shadow -n -t bool -s false
xdotool windowunmap --sync "$panel"
xdotool windowmap --sync "$panel"
xdotool windowmove --sync "$panel" 0 0
until_ok 10 eval '[[ $(workarea) == "0, 30, 1240, 770" ]]' || fail "the work area is $(workarea)"
corner_x=$((1240 - 24 - 364)) corner_y=$((30 + 24))
# The normal window covers the widget's lower part (its frame starts at y 150).
xmessage -name corvane-normal -geometry 600x300+500+150 'a normal window' >/dev/null 2>&1 &
pids+=("$!")
until_ok 10 has_window corvane-normal.Xmessage || fail "the normal window did not appear"
normal=$(hex "$(by_class corvane-normal.Xmessage)")
until_ok 5 is_active "$normal" || fail "the normal window was not focused: active $(active)"
switcher_alone=$(switcher_size xfwm4)
[[ -n $switcher_alone ]] || fail "xfwm4's window switcher did not appear"
session_ms=$(ms_since "$began")

# The widget starts before the desktop does, as a session's autostart may.
run_widget
echo "time: the session took $session_ms ms, the widget's window $startup_ms ms to appear in its place"
nice -n 10 xfdesktop >"$work/xfdesktop.log" 2>&1 &
pids+=("$!")
until_ok 15 has_window xfdesktop.Xfdesktop || fail "xfdesktop did not map its window: $(cat "$work/xfdesktop.log")"
desktop=$(hex "$(by_class xfdesktop.Xfdesktop)")
until_ok 5 is_active "$normal" || true

check "xfwm4: type, below, on every workspace, out of the taskbar and pager, no input" hints
check "xfwm4: composited, no window shape" until_ok 10 unshaped
check "xfwm4: 24 px from the top-right corner of the work area" in_corner
check "xfwm4: above xfdesktop's window (started after it), below the normal window" stacked "$desktop" "$wid" "$normal"
check "xfwm4: the normal window covers it on the screen" covered
check "xfwm4: out of Alt-Tab" out_of_switcher xfwm4
xfconf-query -c xfwm4 -p /general/cycle_minimum -n -t bool -s false
check "xfwm4: out of Alt-Tab when it lists skip-taskbar windows too (cycle_minimum off)" out_of_switcher xfwm4
xfconf-query -c xfwm4 -p /general/cycle_minimum -s true
check "xfwm4: a click on it leaves the focus on the normal window" click_widget_keeps_focus
check "xfwm4: a click on the desktop focuses the desktop, the widget stays above it" click_desktop
check "xfwm4: a click on it leaves the focus on the desktop" click_widget_keeps_focus
wmctrl -a "$normal" -i
check "xfwm4: on every workspace, its pixels match render's, corners show the backdrop" every_workspace
check "xfwm4: there through Show Desktop and a click on the shown desktop" show_desktop

# The compositor goes off and comes back (Settings > Window Manager Tweaks),
# looked at on the second workspace, where the normal window is not.
compositor() {
  local ok=0
  wmctrl -s 1
  until_ok 5 unmapped "$normal" || ok=1
  xfconf-query -c xfwm4 -p /general/use_compositing -n -t bool -s false
  until_ok 10 shaped || { echo "no shape without the compositor"; ok=1; }
  compare_pixels "shaped" || ok=1
  xfconf-query -c xfwm4 -p /general/use_compositing -s true
  until_ok 10 unshaped || { echo "the shape stays once the compositor is back"; ok=1; }
  compare_pixels "composited-again" || ok=1
  wmctrl -s 0
  until_ok 5 viewable "$normal" || ok=1
  return $ok
}
check "xfwm4: compositor off, corners cut by a shape; back on, no shape" compositor

# --- xfwm4 without a compositor, replacing itself ---------------------------
replaced() { ! kill -0 "$1" 2>/dev/null; }
nice -n 10 xfwm4 --replace --compositor=off >"$work/xfwm4-off.log" 2>&1 &
xfwm4_off=$!; pids+=("$xfwm4_off")
until_ok 10 replaced "$xfwm4" || fail "xfwm4 --replace did not take over"
until_ok 10 wm_ready || fail "xfwm4 without a compositor did not start"
until_ok 10 stacked "$desktop" "$wid" "$normal" || fail "xfwm4 without a compositor lists no stacking: $(stacking)"
wmctrl -i -a "$normal"
until_ok 5 is_active "$normal" || fail "xfwm4 without a compositor did not focus the normal window: active $(active)"
kept() {
  viewable "$wid" || { echo "the widget is gone"; return 1; }
  until_ok 5 shaped || { echo "no shape without a compositor"; return 1; }
  hints && in_corner && stacked "$desktop" "$wid" "$normal"
}
check "xfwm4 without compositor: hints, place and stacking kept, corners cut by a shape" kept
check "xfwm4 without compositor: a click on it leaves the focus where it was" click_widget_keeps_focus

# --- icewm ------------------------------------------------------------------
# icewm's own task bar (at the bottom) joins the panel's strut; the widget is
# started again under it, after the switcher was looked at without it.
stop_widget
nice -n 10 icewm --replace >"$work/icewm.log" 2>&1 &
pids+=("$!")
until_ok 10 replaced "$xfwm4_off" || fail "icewm --replace did not take over"
until_ok 10 wm_ready || fail "icewm did not start: $(cat "$work/icewm.log")"
until_ok 10 eval '[[ $(workarea) == "0, 30, 1240, "* ]]' || fail "under icewm the work area is $(workarea)"
wmctrl -a "$normal" -i
until_ok 5 is_active "$normal" || fail "icewm did not focus the normal window: active $(active)"
switcher_alone=$(switcher_size IceSwitch)
[[ -n $switcher_alone ]] || fail "icewm's window switcher did not appear"
run_widget
echo "time: under icewm the widget's window took $startup_ms ms to appear in its place"
check "icewm: hints, the work area's corner, above the desktop and below the normal window" \
  eval 'hints && in_corner && stacked "$desktop" "$wid" "$normal"'
check "icewm: a click on it leaves the focus where it was" click_widget_keeps_focus
check "icewm: there through Show Desktop and a click on the shown desktop" show_desktop
check "icewm: out of Alt-Tab" out_of_switcher IceSwitch
icewm_workspace() {
  wmctrl -s 1
  local ok=0
  until_ok 5 unmapped "$normal" || ok=1
  viewable "$wid" || { echo "the widget is not on workspace 2"; ok=1; }
  wmctrl -s 0
  until_ok 5 viewable "$normal" || ok=1
  return $ok
}
check "icewm: on every workspace" icewm_workspace

echo "time: $(ms_since "$began") ms in all"
if ((failed > 0)); then
  echo "xfce: $failed of $((passed + failed)) checks failed"
  exit 1
fi
echo "xfce: all $passed checks ok"
