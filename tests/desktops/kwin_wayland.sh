#!/usr/bin/env bash
# The widget's window under KWin on Wayland (kwin_wayland --virtual, with
# Xwayland), where the widget is a layer surface: next to a stand-in for
# Plasma's desktop window (an Xwayland window of type DESKTOP: KWin stacks it
# like plasmashell's desktop, whose type comes from its plasma-shell role)
# and an ordinary window: out of the switcher and the taskbar, on every
# virtual desktop, below ordinary windows and above the desktop window, never
# the active window nor demanding attention (after mapping, a click, a
# script's activation), still shown with Show Desktop on (also after a click
# on the desktop), at the top-right corner 24 px from the edges, its pixels
# those of `render`, and its menu on a right click. Clicks go through KWin's
# fake-input protocol, pictures through its screenshot interface. A layer
# surface stays where it is anchored: it is not dragged here.
# Usage: kwin_wayland.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../kit/common.sh"
require_tools kwin_wayland Xwayland dbus-daemon gdbus convert compare import cc pkg-config wayland-scanner pgrep
fake_input_xml=/usr/share/plasma-wayland-protocols/fake-input.xml
if [[ ! -f $fake_input_xml ]]; then
  if [[ ${CI:-} == true ]]; then echo "missing $fake_input_xml (plasma-wayland-protocols)" >&2; exit 1; fi
  echo "skipping: plasma-wayland-protocols is not installed"; exit 77
fi
started=$SECONDS
session=wayland

source "$here/kwin_common.sh"
wayland-scanner client-header "$fake_input_xml" "$work/fake-input-client.h"
wayland-scanner private-code "$fake_input_xml" "$work/fake-input.c"
cc -O1 -I"$work" -o "$work/fake_input" "$here/kwin_fake_input.c" "$work/fake-input.c" $(pkg-config --cflags --libs wayland-client) ||
  fail "could not build the fake-input client"
# /usr/bin/kwin_wayland carries a file capability (CAP_SYS_RESOURCE) that
# makes it refuse to start here; a plain copy of it runs.
mkdir -p "$work/bin"
install -m 755 "$(command -v kwin_wayland)" "$work/bin/kwin_wayland"
start_session
QT_QPA_PLATFORM=wayland-org.kde.kwin.qpa KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
  nice -n 10 "$work/bin/kwin_wayland" --virtual --xwayland --socket wl-corvane --width 1280 --height 800 \
  --no-lockscreen --no-global-shortcuts >"$work/kwin.log" 2>&1 &
kwin=$!
pids+=("$kwin")
until_ok 30 kwin_answers || fail "kwin_wayland does not answer on the session bus"
export WAYLAND_DISPLAY=wl-corvane
xwayland_display() {
  local p; p=$(pgrep -P "$kwin" -x Xwayland) || return 1
  tr '\0' '\n' </proc/"$p"/cmdline | grep -m1 '^:[0-9]'
}
until_ok 20 xwayland_display || fail "KWin started no Xwayland"
xdisplay=$(xwayland_display)
echo "kwin_wayland ready after $((SECONDS - started)) s"
click() {  # x y left|right
  "$work/fake_input" move "$1" "$2" sleep 150 click "$3" sleep 100
}

DISPLAY=$xdisplay GDK_BACKEND=x11 "$work/standin" desktop "$wallpaper" >"$work/desktop.log" 2>&1 &
pids+=("$!")
desktop_mapped() { kwin_js <<<'out(named("standin-desktop") ? "yes" : "no");' | grep -q yes; }
until_ok 10 desktop_mapped || fail "the stand-in desktop did not map"
expected_picture

env -u DISPLAY GDK_BACKEND=wayland "$bin" run --family medium --snapshot "$snapshot" --now "$now" --speed 0.000001 --events \
  >"$work/run.out" 2>"$work/run.err" &
pids+=("$!")
mapped() { refresh; [[ $state != none && -n $state ]]; }
until_ok 15 mapped || fail "no window appeared: $(cat "$work/run.err")"
placed() { refresh; has "geometry=$((1280 - margin - width)),$margin,$width,$height"; }
check "at the top-right corner of the work area, $margin px from its edges" until_ok 10 placed
echo "   $state"

# What KWin makes of the surface once mapped.
refresh
check "out of the window switcher (KWin: skipSwitcher)" has skipSwitcher=true
check "out of the taskbar" has skipTaskbar=true
check "out of the pager" has skipPager=true
check "on all virtual desktops" has onAllDesktops=true
check "not active after mapping" has active=false
check "not demanding attention after mapping" has demandsAttention=false
check "above the desktop window" above_desktop
check "shows what render draws" shows_widget mapped

# The ordinary window, clicks and the menu as on X11 (kwin_common.sh).
start_normal() {
  DISPLAY=$xdisplay GDK_BACKEND=x11 "$work/standin" normal '#00ff00' 700 60 300 300 >"$work/normal.log" 2>&1 &
  pids+=("$!")
  normal_mapped() { refresh; ! has normalLayer=none; }
  until_ok 10 normal_mapped || fail "the ordinary window did not map"
}
focus_check() { limit "$1" "KWin 5.27 activates any layer surface it is asked to focus" "${@:2}"; }
shared_checks
"$work/fake_input" key 1  # Escape
refresh
echo "   $state"

echo "kwin wayland: $failures failed checks, $((SECONDS - started)) s"
((failures == 0))
