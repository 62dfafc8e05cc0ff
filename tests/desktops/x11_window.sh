#!/usr/bin/env bash
# The widget's window on X11, under a private Xvfb with openbox: its hints,
# its size at scale 1 and 2, its pixels against `render` for the same entry
# and time, transparent corners with a compositor (xcompmgr) and corners cut
# by a shape without one, and a clean exit when the display goes away.
# Usage: x11_window.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
now=1700000000
# xcompmgr draws a root without a wallpaper pixmap in this grey; the
# wallpaper without a compositor is set to the same.
wallpaper='#808080'
source "$(dirname "$0")/../kit/common.sh"
require_tools Xvfb openbox xcompmgr xprop xwininfo xdotool import compare convert xsetroot xrandr dbus-daemon

source "$(dirname "$0")/x11_common.sh"

start_x() {  # starts Xvfb (and openbox) with the wallpaper; sets DISPLAY
  rm -f "$work/displayfd"
  Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$work/displayfd" 2>"$work/xvfb.log" &
  xvfb=$!; pids+=("$xvfb")
  until_ok 10 grep -q . "$work/displayfd" || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$work/displayfd")"
  xsetroot -solid "$wallpaper"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  openbox=$!; pids+=("$openbox")
  until_ok 10 wm_ready || fail "openbox did not start"
}

stop_x() {
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}

unshaped() { xwininfo -id "$wid" -shape | grep -q 'No window shape defined'; }
shaped() { xwininfo -id "$wid" -shape | grep -q 'Window shape extents'; }

run_widget() {  # family, then extra options; sets wid
  # The host's clock starts at $now and nearly stands still, so the window
  # shows what `render --now $now` draws.
  "$bin" run --family "$1" --snapshot "$snapshot" --now "$now" --speed "${speed:-0.000001}" "${@:2}" \
    >"$work/run.out" 2>"$work/run.err" &
  widget=$!; pids+=("$widget")
  until_ok 15 window_id || { cat "$work/run.err" >&2; fail "no window appeared"; }
  wid=$(window_id)
  sleep 0.5  # first paint
}

stop_widget() {
  kill "$widget" 2>/dev/null || true
  wait "$widget" 2>/dev/null || true
}

geometry() {  # x y width height of the window
  xwininfo -id "$wid" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

# The window's pixels on the screen against render's picture laid on the
# wallpaper: a few antialiased edge pixels may differ slightly.
compare_pixels() {  # family scale label [allowed differing pixels]
  "$bin" render --family "$1" --snapshot "$snapshot" --now "${render_now:-$now}" --scale "$2" \
    --out "$work/render-$3.png" >/dev/null
  convert "$work/render-$3.png" -background "$wallpaper" -flatten "$work/expected-$3.png"
  # On a loaded machine the window may not have painted (or been placed)
  # yet: look again, for at most ten seconds, before judging.
  local differ end=$((SECONDS + 10))
  while :; do
    read -r x y w h < <(geometry)
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot-$3.png"
    differ=$(compare -metric AE -fuzz 6% "$work/expected-$3.png" "$work/shot-$3.png" null: 2>&1 || true)
    [[ $differ =~ ^[0-9.]+$ ]] && ((${differ%.*} <= ${4:-$((40 * $2 * $2))})) && break
    ((SECONDS < end)) || break
    sleep 0.2
  done
  echo "$3: ${w}x${h} at $x,$y; $differ pixels differ"
  if [[ -n ${CORVANE_SHOTS:-} ]]; then cp "$work/shot-$3.png" "$work/expected-$3.png" "$CORVANE_SHOTS/"; fi
  # Circles' antialiased rims may differ by a shade between a window's
  # surface and an image surface at 2x.
  ((${differ%.*} <= ${4:-$((40 * $2 * $2))})) || fail "$3: $differ pixels differ from render's picture"
}

# 1. Hints, size and pixels at scale 1 and 2, with a compositor.
for scale in 1 2; do
  start_x
  xcompmgr >"$work/xcompmgr.log" 2>&1 & pids+=("$!")
  until_ok 10 xprop -root _NET_WM_CM_S0 || true
  sleep 0.5
  export GDK_SCALE=$scale
  run_widget medium
  props=$(xprop -id "$wid" WM_CLASS WM_NAME _NET_WM_WINDOW_TYPE _NET_WM_STATE _NET_WM_DESKTOP)
  for want in '"corvane-widget", "corvane-widget"' '"Corvane today"' _NET_WM_WINDOW_TYPE_UTILITY \
      _NET_WM_STATE_BELOW _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER; do
    grep -qF -- "$want" <<<"$props" || fail "scale $scale: $want missing in: $props"
  done
  grep -qE '_NET_WM_DESKTOP\(CARDINAL\) = 4294967295|_NET_WM_STATE_STICKY' <<<"$props" || fail "not on every workspace"
  xprop -id "$wid" WM_HINTS | grep -q 'accepts input or input focus: False' || fail "the window takes focus"
  # Top-right corner, 24 pt from the edges, once the window manager placed it.
  w=$((364 * scale)); h=$((170 * scale))
  placed() { [[ "$(geometry)" == "$((1280 - 24 * scale - w)) $((24 * scale)) $w $h" ]]; }
  until_ok 10 placed || fail "scale $scale: at and of $(geometry), not $((1280 - 24 * scale - w)) $((24 * scale)) $w $h"
  compare_pixels medium "$scale" "composited-${scale}x"
  # Transparent corners: the wallpaper shows at the very corner pixel.
  corner=$(convert "$work/shot-composited-${scale}x.png" -format '%[hex:p{0,0}]' info:)
  [[ ${corner:0:6} == 808080 ]] || fail "scale $scale: corner pixel is #$corner, not the wallpaper"
  xwininfo -id "$wid" -shape | grep -q 'No window shape defined' || fail "scale $scale: shaped under a compositor"
  stop_widget
  # A tick repaints the freshness line alone, straight from the host's
  # timer: the window then shows what render draws at the tick's time. The
  # snapshot is 125 s old at $now; a host second lasts 4 s here, so the
  # picture holds still while it is looked at.
  speed=0.25 run_widget medium --events
  ticked() { grep '"event":"draw"' "$work/run.out" | grep -q '6 sec'; }
  until_ok 15 ticked || fail "scale $scale: no tick drawn: $(cat "$work/run.out")"
  tick_now=$(grep '"event":"draw"' "$work/run.out" | grep '6 sec' | head -1 | sed 's/.*"now":\([0-9.]*\).*/\1/')
  render_now=$tick_now compare_pixels medium "$scale" "ticked-${scale}x"
  stop_widget
  stop_x
done
unset GDK_SCALE

# 2. No compositor: the corners are cut by a window shape; turning a
#    compositor on removes the shape.
start_x
run_widget small
xwininfo -id "$wid" -shape | grep -q 'Window shape extents' || fail "no window shape without a compositor"
# A shape has no partly covered pixels: the rounded rims (four quarter
# circles of 22 pt, about 140 pixels) are hard instead of antialiased.
compare_pixels small 1 "shaped-1x" 160
corner=$(convert "$work/shot-shaped-1x.png" -format '%[hex:p{0,0}]' info:)
[[ ${corner:0:6} == 808080 ]] || fail "without a compositor the corner pixel is #$corner"
xcompmgr >"$work/xcompmgr.log" 2>&1 & xcompmgr=$!; pids+=("$xcompmgr")
until_ok 10 unshaped || fail "the shape stays once a compositor runs"
compare_pixels small 1 "composited-later-1x"

# 3. It stays. Its monitor goes away (Xvfb turns its only output off when
#    the screen shrinks below it; GDK then offers a monitor of the new
#    screen) and comes back: the window follows to the corner of what is
#    there.
read -r x0 y0 w h < <(geometry)
at() { read -r x y _ < <(geometry); [[ "$x $y" == "$1 $2" ]]; }
output=$(xrandr | awk '/ connected/{print $1; exit}')
xrandr --fb 1024x768 >/dev/null 2>&1 || true
xrandr | grep -q 'current 1024 x 768' || fail "could not take the monitor away"
until_ok 10 at $((1024 - 24 - w)) 24 || fail "still at $(geometry) once its monitor went away"
xrandr --output "$output" --mode 1280x800
until_ok 10 at "$x0" "$y0" || fail "at $(geometry) once the monitor came back, not $x0 $y0"
# The window manager is replaced: the new one reads the same hints.
openbox --replace --sm-disable >"$work/openbox2.log" 2>&1 & pids+=("$!")
openbox_gone() { ! kill -0 "$openbox" 2>/dev/null; }
until_ok 10 openbox_gone || fail "openbox --replace did not take over"
until_ok 10 wm_ready || fail "the new openbox did not start"
sleep 0.5
props=$(xprop -id "$wid" _NET_WM_STATE _NET_WM_DESKTOP _NET_WM_WINDOW_TYPE)
for want in _NET_WM_WINDOW_TYPE_UTILITY _NET_WM_STATE_BELOW _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER; do
  grep -qF -- "$want" <<<"$props" || fail "after openbox --replace: $want missing in: $props"
done
xwininfo -id "$wid" | grep -q 'IsViewable' || fail "the window is gone after openbox --replace"
at "$x0" "$y0" || fail "moved to $(geometry) by openbox --replace"
# The compositor dies: corners are cut again; it comes back: no shape.
kill "$xcompmgr"; wait "$xcompmgr" 2>/dev/null || true
until_ok 10 shaped || fail "no shape once the compositor died"
compare_pixels small 1 "shaped-again-1x" 160
xcompmgr >"$work/xcompmgr.log" 2>&1 & pids+=("$!")
until_ok 10 unshaped || fail "the shape stays once the compositor is back"
compare_pixels small 1 "composited-again-1x"

# 4. What a person does. A click opens the application (a desktop entry in
#    a private data folder, which notes its start and its startup
#    notification id) and moves or keeps nothing; a drag with a long pause
#    half-way is kept where it was let go, and opens nothing; the window's
#    own moves (its place off every monitor) are not kept; Size shows
#    another family, which its paints name, and is kept. The next run shows
#    the widgets kept; Add widget and Remove widget change them; removing
#    the last one ends the run and keeps it for the next.
settings=$XDG_CONFIG_HOME/corvane-widget/widgets
kept() { grep -v '^#' "$settings" 2>/dev/null | tr '\n' ';'; }
kept_is() { [[ $(kept) == "$1" ]]; }
menu() { xdotool mousemove --window "$wid" 60 60 click 3; sleep 0.5; xdotool key "$@"; }
stop_widget
mkdir -p "$work/data/applications"
cat >"$work/data/applications/com.corvane.desktop.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Corvane
Exec=sh -c 'echo "started \$DESKTOP_STARTUP_ID gl=\${GDK_GL:-none}" >>$work/opened'
StartupNotify=true
ENTRY
export XDG_DATA_DIRS=$work/data
run_widget medium --events
read -r x0 y0 w h < <(geometry)
xdotool mousemove --window "$wid" 100 100 click 1
until_ok 5 test -s "$work/opened" || fail "a click did not open the application: $(grep open "$work/run.out")"
grep -q 'started .' "$work/opened" || fail "opened without a startup notification id: $(cat "$work/opened")"
grep -q 'gl=none' "$work/opened" || fail "the application inherited the widget's GDK_GL: $(cat "$work/opened")"
grep -q '"event":"open".*"entry":"com.corvane.desktop.desktop"' "$work/run.out" || fail "no open event"
# A double click is one gesture: it opens the application once.
sleep 1
xdotool mousemove --window "$wid" 100 100 click --repeat 2 --delay 80 1
sleep 1
[[ $(wc -l <"$work/opened") == 2 ]] || fail "a double click opened it $(($(wc -l <"$work/opened") - 1)) times"
[[ ! -e $settings ]] || fail "a click was kept: $(kept)"
at "$x0" "$y0" || fail "a click moved the window to $(geometry)"
xdotool mousemove --window "$wid" 100 100 mousedown 1
xdotool mousemove_relative -- -150 40
sleep 1.2  # longer than a person's pause: the button is still down
xdotool mousemove_relative -- -150 20
sleep 0.2
xdotool mouseup 1
x1=$((x0 - 300)) y1=$((y0 + 60))
until_ok 5 at "$x1" "$y1" || fail "dragged to $(geometry), not $x1 $y1"
until_ok 5 grep -qx "medium $x1 $y1" "$settings" || fail "kept after a drag: $(kept)"
[[ $(wc -l <"$work/opened") == 2 ]] || fail "a drag opened the application"
xrandr --fb 640x480 >/dev/null 2>&1 || true  # the dragged place is off the screen now
until_ok 10 at $((640 - 24 - w)) 24 || fail "still at $(geometry) on a screen that no longer shows it"
xrandr --output "$output" --mode 1280x800
until_ok 10 at "$x1" "$y1" || fail "at $(geometry), not back at the dragged place $x1 $y1"
[[ $(kept) == "medium $x1 $y1;" ]] || fail "the window's own moves were kept: $(kept)"
menu Down Down Down Right Down Down Return  # Open Corvane, Reload, Size > Large
large() { [[ "$(geometry)" == "$x1 $y1 364 382" ]]; }
until_ok 5 large || fail "after Size, Large: $(geometry)"
until_ok 5 grep -q '"event":"draw".*"family":"large"' "$work/run.out" || fail "paints after Size do not name large"
[[ $(kept) == "large $x1 $y1;" ]] || fail "after Size: $(kept)"
stop_widget
"$bin" run --snapshot "$snapshot" --now "$now" --speed 0.000001 >"$work/run.out" 2>"$work/run.err" &
widget=$!; pids+=("$widget")
until_ok 15 window_id || fail "no window in a run without --family: $(cat "$work/run.err")"
wid=$(window_id)
until_ok 5 large || fail "the next run shows $(geometry), not the large widget at $x1 $y1"
menu Down Down Down Down Right Return  # Add widget > Small
two() { [[ $(xdotool search --onlyvisible --name '^Corvane today$' | wc -l) == 2 ]]; }
until_ok 10 two || fail "Add widget opened no window"
[[ $(kept) == "large $x1 $y1;small;" ]] || fail "after Add widget: $(kept)"
small=$(xdotool search --onlyvisible --name '^Corvane today$' | grep -vx "$wid")
wid=$small menu Down Down Down Down Down Down Down Return  # Remove widget
one() { [[ $(xdotool search --onlyvisible --name '^Corvane today$' | wc -l) == 1 ]]; }
until_ok 10 one || fail "Remove widget left the window"
[[ $(kept) == "large $x1 $y1;" ]] || fail "after Remove widget: $(kept)"
menu Down Down Down Down Down Down Down Return  # Remove widget, the last one
status=0
until_ok 10 bash -c "! kill -0 $widget" || fail "removing the last widget did not end the run"
wait "$widget" || status=$?
[[ $status == 0 ]] || fail "removing the last widget: status $status"
[[ $(kept) == "large $x1 $y1;" ]] || fail "after removing the last widget: $(kept)"
# A damaged file: said once, ignored, and the default widget opens.
echo "medium here" >"$settings"
# Corvane not installed: a click says why in a desktop notification, once
# per click (each replacing the one before), and does nothing else.
export XDG_DATA_DIRS=$work/no-data
{ read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
gjs "$(dirname "$0")/notifications_standin.js" "$work/notices" 2>"$work/notices.err" & pids+=("$!")
until_ok 10 grep -qx ready "$work/notices" || fail "the notification stand-in did not start: $(cat "$work/notices.err")"
run_widget_default() {
  "$bin" run --snapshot "$snapshot" --now "$now" --speed 0.000001 --events >"$work/run.out" 2>"$work/run.err" &
  widget=$!; pids+=("$widget")
  until_ok 15 window_id || fail "no window with a damaged settings file: $(cat "$work/run.err")"
  wid=$(window_id)
}
run_widget_default
grep -qF "$settings: line 1: a place is two finite numbers; such lines are skipped and kept in the file as they are" "$work/run.err" ||
  fail "the damaged file was not said: $(cat "$work/run.err")"
[[ "$(geometry)" == *" 364 170" ]] || fail "with a damaged file: $(geometry), not the medium widget"
xdotool mousemove --window "$wid" 100 100 click 1
until_ok 5 grep -q '"event":"open".*"entry":null.*"reason":"Corvane is not installed' "$work/run.out" ||
  fail "a click without the application: $(grep open "$work/run.out")"
notice='Corvane today|0|com.corvane.desktop.today|Corvane is not installed|Corvane is not installed (no com.corvane.desktop.desktop or corvane.desktop)'
until_ok 5 grep -qxF "$notice" "$work/notices" || fail "no notification after the click: $(cat "$work/notices")"
sleep 1  # not a double click
xdotool mousemove --window "$wid" 100 100 click 1
notices() { [[ $(grep -c 'is not installed' "$work/notices") == "$1" ]]; }
until_ok 5 notices 2 || fail "a second click: $(cat "$work/notices")"
grep -q '^Corvane today|1|' "$work/notices" || fail "the second notice did not replace the first: $(cat "$work/notices")"
unset DBUS_SESSION_BUS_ADDRESS

# 4b. Places that never surprise (Corvane is not installed here, so the
#     menu starts at Reload). A widget another run adds goes to the first
#     free spot and is kept; Remove and Add again bring it back to the same
#     spot, never further along; a Size that grows a widget moves its
#     neighbour along; Lock in place stops drags; Move to corner forgets a
#     drag; all of it kept. An explicit --position wins over a dragged place.
stop_widget
rm -f "$settings"
at_size() {  # X Y W H: a widget window stands there
  local w
  for w in $(xdotool search --onlyvisible --name '^Corvane today$'); do
    [[ "$(wid=$w geometry)" == "$*" ]] && return 0
  done
  return 1
}
of_size() {  # W H: the widget window of that size
  local w
  for w in $(xdotool search --onlyvisible --name '^Corvane today$'); do
    if [[ "$(wid=$w geometry)" == *" $1 $2" ]]; then echo "$w"; fi
  done
}
run_widget small
until_ok 5 at_size 1086 24 170 170 || fail "small not at the corner: $(geometry)"
"$bin" run --family medium --snapshot "$snapshot" >"$work/second.out" 2>"$work/second.err" || fail "second run: $?"
until_ok 10 at_size 698 24 364 170 || fail "the medium widget another run added is not next to the small one"
until_ok 5 kept_is "small;medium;" || fail "what another run added is not kept: $(kept)"
for cycle in 1 2; do
  wid=$(of_size 364 170) menu Down Down Down Down Down Down Return  # Remove widget
  until_ok 10 one || fail "cycle $cycle: Remove widget left the window"
  wid=$(of_size 170 170) menu Down Down Down Right Return  # Add widget > Medium (Small is shown: greyed, skipped)
  until_ok 10 at_size 698 24 364 170 || fail "cycle $cycle: the added widget crept to $(wid=$(of_size 364 170) geometry)"
done
wid=$(of_size 170 170) menu Down Down Right Down Return  # Size > Large (Medium is shown elsewhere: skipped)
until_ok 10 at_size 892 24 364 382 || fail "Size did not make the corner widget large"
until_ok 10 at_size 504 24 364 170 || fail "the grown widget's neighbour was not moved along: $(wid=$(of_size 364 170) geometry)"
wid=$(of_size 364 382)
menu Down Down Down Down Down Return  # Lock in place
until_ok 5 kept_is "large locked;medium;" || fail "Lock in place is not kept: $(kept)"
drag() {  # DX DY, in two steps with the button held
  xdotool mousemove --window "$wid" 100 100 mousedown 1
  xdotool mousemove_relative -- $(($1 / 2)) $(($2 / 2)); sleep 0.3
  xdotool mousemove_relative -- $(($1 / 2)) $(($2 / 2)); sleep 0.2
  xdotool mouseup 1
}
drag -200 100
sleep 1
at_size 892 24 364 382 || fail "a locked widget was dragged to $(geometry)"
wid=$(of_size 364 170)
drag -200 300
until_ok 5 at 304 324 || fail "the medium widget was not dragged: $(geometry)"
until_ok 5 kept_is "large locked;medium 304 324;" || fail "the drag is not kept: $(kept)"
menu Down Down Down Down Return  # Move to corner
until_ok 5 at 504 24 || fail "Move to corner put it at $(geometry)"
until_ok 5 kept_is "large locked;medium;" || fail "Move to corner is not kept: $(kept)"
stop_widget
echo "medium 100 500" >"$settings"
run_widget medium --position bottom-left
until_ok 5 at 24 606 || fail "--position bottom-left lost to the kept place: $(geometry)"
[[ $(kept) == "medium 100 500;" ]] || fail "the place kept for the next run changed: $(kept)"
stop_widget
# At 2x the large widget (728x764 px) is 12 px taller than the screen less
# its margin: it is moved up into the work area.
rm -f "$settings"
GDK_SCALE=2 run_widget large
until_ok 5 at_size 504 36 728 764 || fail "at 2x the large widget is at $(geometry), not inside the screen"
stop_widget
unset XDG_DATA_DIRS

# 5. A headless host runs for the same user on the same session bus: it has
#    no window to show, so a windowed run opens its own; a second windowed
#    run hands its family to the first instead of opening a duplicate.
stop_widget
{ read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
mkdir -p "$work/pictures"
"$bin" run --headless --out "$work/pictures" --snapshot "$snapshot" >"$work/headless.out" 2>"$work/headless.err" &
headless=$!; pids+=("$headless")
until_ok 10 test -S "$XDG_RUNTIME_DIR/corvane-widget/host-$headless.sock" || fail "the headless host did not start"
run_widget small
"$bin" run --family small --snapshot "$snapshot" >"$work/second.out" 2>"$work/second.err" || fail "second run: $?"
grep -q 'already running' "$work/second.err" || fail "the second run did not hand over: $(cat "$work/second.err")"
windows=$(xdotool search --onlyvisible --name '^Corvane today$' | wc -l)
[[ $windows == 1 ]] || fail "$windows windows after a second run"
# Asked for a family shown already and one not: the running process shows
# both, and neither opens twice.
"$bin" run --family small --family large --snapshot "$snapshot" >"$work/third.out" 2>"$work/third.err" ||
  fail "third run: $?"
two_windows() { [[ $(xdotool search --onlyvisible --name '^Corvane today$' | wc -l) == 2 ]]; }
until_ok 15 two_windows || fail "not two windows after asking for small and large: $(cat "$work/third.err")"
sleep 1
windows=$(xdotool search --onlyvisible --name '^Corvane today$' | wc -l)
[[ $windows == 2 ]] || fail "$windows windows: a family shown already opened again"
kill "$headless"; wait "$headless" 2>/dev/null || true
unset DBUS_SESSION_BUS_ADDRESS

# 6. The display goes away: said, never a crash; the widget waits for it
#    to come back (x11_session.sh sees it come back).
stop_x
until_ok 10 grep -q 'the display went away' "$work/run.err" || fail "no message when the display went away"
sleep 0.5
kill -0 "$widget" 2>/dev/null || { cat "$work/run.err" >&2; fail "the widget ended when the display went away"; }
stop_widget

# 7. No display named at all: said at once.
status=0 began=$SECONDS
env -u DISPLAY -u WAYLAND_DISPLAY "$bin" run --snapshot "$snapshot" 2>"$work/nodisplay.err" || status=$?
[[ $status == 2 ]] || fail "no display: status $status"
((SECONDS - began < 5)) || fail "with no display named, it waited $((SECONDS - began)) s"
grep -q -- '--headless' "$work/nodisplay.err" || fail "no display: the message does not point to --headless"
# 8. A display that answers late (a session starting the widget before its
#    X server accepts clients) is waited for.
for n in $(seq 70 99); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
DISPLAY=:$n "$bin" run --family small --snapshot "$snapshot" >"$work/late.out" 2>"$work/late.err" &
late=$!; pids+=("$late")
sleep 2
kill -0 "$late" 2>/dev/null || fail "gave up on a display not there yet: $(cat "$work/late.err")"
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset 2>/dev/null & pids+=("$!")
export DISPLAY=":$n"
until_ok 15 window_id || fail "no window once the display came: $(cat "$work/late.err")"
grep -q 'waiting for the display' "$work/late.err" || fail "the wait was not said: $(cat "$work/late.err")"
echo "x11 window: ok"
