#!/usr/bin/env bash
# The widget's window under KWin on X11 (kwin_x11 on a private Xvfb), next to
# a stand-in for Plasma's desktop window (type DESKTOP, as plasmashell makes
# it) and an ordinary window: out of the switcher and the taskbar, on every
# virtual desktop, below ordinary windows and above the desktop window, never
# the active window nor demanding attention (after mapping, a click, a
# script's activation), still shown with Show Desktop on (also after a click
# on the desktop), at the top-right corner of the work area 24 px from its
# edges, its pixels those of `render`, its menu on a right click, and
# draggable. One line per check; the status says whether all passed.
# Usage: kwin_x11.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../kit/common.sh"
require_tools Xvfb kwin_x11 dbus-daemon gdbus xprop xwininfo xdotool import convert compare cc pkg-config
started=$SECONDS
session=x11

source "$here/kwin_common.sh"
start_session
Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset 9>"$work/displayfd" 2>"$work/xvfb.log" &
pids+=("$!")
until_ok 10 grep -q . "$work/displayfd" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/displayfd")"
QT_QPA_PLATFORM=xcb nice -n 10 kwin_x11 --replace >"$work/kwin.log" 2>&1 &
pids+=("$!")
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
until_ok 30 kwin_answers || fail "kwin_x11 does not answer on the session bus"
until_ok 10 wm_ready || fail "kwin_x11 manages no windows"
echo "kwin_x11 ready after $((SECONDS - started)) s"

GDK_BACKEND=x11 "$work/standin" desktop "$wallpaper" >"$work/desktop.log" 2>&1 &
pids+=("$!")
until_ok 10 xdotool search --onlyvisible --name '^standin-desktop$' || fail "the stand-in desktop did not map"
expected_picture

"$bin" run --family medium --snapshot "$snapshot" --now "$now" --speed 0.000001 --events >"$work/run.out" 2>"$work/run.err" &
pids+=("$!")
window_id() { xdotool search --onlyvisible --name '^Corvane today$' | head -1; }
until_ok 15 window_id || fail "no window appeared: $(cat "$work/run.err")"
wid=$(window_id)
placed() { refresh; has "geometry=$((1280 - margin - width)),$margin,$width,$height"; }
check "at the top-right corner of the work area, $margin px from its edges" until_ok 10 placed
echo "   $state"

# What KWin makes of the window once mapped.
refresh
check "out of the window switcher (KWin: skipSwitcher)" has skipSwitcher=true
props=$(xprop -id "$wid" _NET_WM_STATE _NET_WM_WINDOW_TYPE)
check "out of the window switcher (_KDE_NET_WM_STATE_SKIP_SWITCHER)" grep -q _KDE_NET_WM_STATE_SKIP_SWITCHER <<<"$props"
check "out of the taskbar and the pager" has skipTaskbar=true
check "out of the pager" has skipPager=true
check "on all virtual desktops" has onAllDesktops=true
check "not active after mapping" has active=false
check "not demanding attention after mapping" has demandsAttention=false
check "no _NET_WM_STATE_DEMANDS_ATTENTION after mapping" bash -c "! grep -q DEMANDS_ATTENTION <<<'$props'"
check "above the desktop window" above_desktop
check "shows what render draws" shows_widget mapped

# The ordinary window, clicks and the menu as on Wayland (kwin_common.sh).
start_normal() {
  GDK_BACKEND=x11 "$work/standin" normal '#00ff00' 700 60 300 300 >"$work/normal.log" 2>&1 &
  pids+=("$!")
  until_ok 10 xdotool search --onlyvisible --name '^standin-normal$' || fail "the ordinary window did not map"
  normal_mapped() { refresh; ! has normalLayer=none; }
  until_ok 5 normal_mapped || fail "KWin does not list the ordinary window"
}
click() { xdotool mousemove "$1" "$2" click "$([[ $3 == left ]] && echo 1 || echo 3)"; }
focus_check() { check "$@"; }
shared_checks
xdotool key Escape
sleep 0.3

# A drag with the left button moves it (KWin moves a UTILITY window; it
# refuses to move DESKTOP and DOCK windows).
xdotool mousemove 1150 150 mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove $((1150 - 50 * step)) $((150 + 17 * step)); sleep 0.1; done
xdotool mousemove 850 252
sleep 0.3
xdotool mouseup 1
moved() { refresh; has "geometry=$((1280 - margin - width - 300)),$((margin + 102)),$width,$height"; }
check "a drag moves it" until_ok 5 moved
echo "   $state"

echo "kwin x11: $failures failed checks, $((SECONDS - started)) s"
((failures == 0))
