#!/usr/bin/env bash
# What the X session can do to the widget: a window manager that lists a
# window already gone (every request of ours meets BadWindow), two runs
# started in the same instant (one process, one window), and the display
# going away and coming back on the same number (the widget comes back).
# Usage: x11_session.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
source "$(dirname "$0")/../kit/common.sh"
require_tools Xvfb openbox xdotool xdpyinfo cc pkg-config

source "$(dirname "$0")/x11_common.sh"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus

windows() { xdotool search --onlyvisible --name '^Corvane today$' 2>/dev/null | wc -l; }
one_window() { [[ $(windows) == 1 ]]; }
# The server answering is the one this test started: its lock names it.
ours() { [[ $(tr -d ' \n' </tmp/.X"$1"-lock 2>/dev/null) == "$xvfb" ]] && xdpyinfo -display ":$1" >/dev/null 2>&1; }
start_xvfb() {  # on display $1
  Xvfb ":$1" -screen 0 1280x800x24 -nolisten tcp -noreset 2>>"$work/xvfb.err" &
  xvfb=$!; pids+=("$xvfb")
  until_ok 10 ours "$1" || fail "Xvfb :$1 did not start"
}
# A display number of this test's own for its whole run, also while its
# server is away (section 3): another run of this test at the same time
# (the sanitizer builds' tests run beside the normal build's) would
# otherwise take the free number, and the two widgets would share a server.
reservation=''
for n in $(seq 60 99); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  exec {reservation}>>"/tmp/.corvane-test-display-$n.lock"
  flock -n "$reservation" && break
  exec {reservation}>&-
  reservation=''
done
[[ -n $reservation ]] || fail "no free display number from :60 to :99"
export DISPLAY=:$n

# 1. A window manager whose client list names a window already destroyed:
#    the widget's look for the desktop window meets BadWindow and goes on.
start_xvfb "$n"
cc -O1 -o "$work/wm_standin" "$(dirname "$0")/wm_standin.c" $(pkg-config --cflags --libs x11) ||
  fail "could not build the window manager stand-in"
"$work/wm_standin" KWin >"$work/standin.out" 2>"$work/standin.err" & pids+=("$!")
until_ok 5 grep -q ready "$work/standin.out" || fail "the stand-in did not start"
"$bin" run --family small --snapshot "$snapshot" >"$work/kwin.out" 2>"$work/kwin.err" &
widget=$!; pids+=("$widget")
until_ok 15 one_window || fail "no window under the stand-in"
sleep 2  # twenty rewrites of the list, each looked through
kill -0 "$widget" 2>/dev/null || fail "the widget ended on an X error: $(cat "$work/kwin.err")"
one_window || fail "the window is gone"
kill "$widget"; wait "$widget" 2>/dev/null || true
kill "$xvfb"; wait "$xvfb" 2>/dev/null || true

# 2. Two runs started in the same instant (the autostart entry and the user
#    unit at login): one process stays, with one window. And the autostart
#    entry's run stands down when the user unit is enabled.
start_xvfb "$n"
openbox --sm-disable >"$work/openbox.err" 2>&1 & pids+=("$!")
wants=$XDG_CONFIG_HOME/systemd/user/graphical-session.target.wants
mkdir -p "$wants"; touch "$wants/corvane-widget.service"
"$bin" run --autostart --snapshot "$snapshot" >"$work/autostart.out" 2>"$work/autostart.err" ||
  fail "run --autostart with the unit enabled: status $?"
grep -q 'the autostart entry stands down' "$work/autostart.err" || fail "no word from the autostart entry's run"
[[ $(windows) == 0 ]] || fail "the autostart entry's run showed a window though the unit is enabled"
rm -r "$XDG_CONFIG_HOME/systemd"
"$bin" run --family medium --snapshot "$snapshot" >"$work/a.out" 2>"$work/a.err" & a=$!; pids+=("$a")
"$bin" run --family medium --snapshot "$snapshot" >"$work/b.out" 2>"$work/b.err" & b=$!; pids+=("$b")
until_ok 15 one_window || fail "no window from two runs"
one_left() { ! kill -0 "$a" 2>/dev/null || ! kill -0 "$b" 2>/dev/null; }
until_ok 15 one_left || fail "both runs stay"
sleep 1
[[ $(windows) == 1 ]] || fail "$(windows) windows from two runs"
if kill -0 "$a" 2>/dev/null; then stayed=$a; left=$b; else stayed=$b; left=$a; fi
status=0; wait "$left" || status=$?
[[ $status == 0 ]] || fail "the second run ended with status $status"
cat "$work/a.err" "$work/b.err" | grep -q 'already running' || fail "the second run did not say it handed over"

# 3. The display goes away and comes back on the same number (Xwayland
#    restarted by its compositor): the widget is back within 30 s.
kill "$xvfb"; wait "$xvfb" 2>/dev/null || true
sleep 1
start_xvfb "$n"
until_ok 30 one_window || fail "no window 30 s after the display came back"
kill -0 "$stayed" 2>/dev/null || fail "the process did not stay to come back"
grep -q 'the display went away' "$work"/[ab].err || fail "the loss was not said"
echo "x11 session: ok"
