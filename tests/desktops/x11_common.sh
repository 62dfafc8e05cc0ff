# Shared by the X11 session tests (x11_window.sh, x11_session.sh and, through
# ewmh_checks.sh, xfce.sh and mate_cinnamon.sh); sourced, not run. Gives
# $work (a folder removed at exit), the pids array (killed at exit, last
# first), fail() (which shows the tail of every *.err in $work: what the
# widget said names a sanitizer's finding), a private configuration and
# runtime folder, and the two questions every X11 test asks.

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {  # the test cannot go on
  echo "FAIL: $*" >&2
  local log
  for log in "$work"/*.err; do [[ -s $log ]] && { echo "-- $log" >&2; tail -40 "$log" >&2; }; done
  exit 1
}
# The widget keeps its settings and its lock in the test's own folders.
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
window_id() { xdotool search --onlyvisible --name '^Corvane today$' | head -1; }
