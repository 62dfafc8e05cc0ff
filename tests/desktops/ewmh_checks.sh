# Shared by xfce.sh and mate_cinnamon.sh; sourced, not run. What the X11
# desktop tests ask of a window manager through EWMH and of the widget's
# window. Expects $bin, $snapshot, $now and common.sh sourced; gives, through
# x11_common.sh, $work, the pids array, fail(), wm_ready and window_id; the
# checks look at $wid (the widget), $normal (a normal
# window), $desktop (the desktop's window) and $corner_x/$corner_y (where the
# widget belongs), as the script sets them.

source "$(dirname "${BASH_SOURCE[0]}")/x11_common.sh"

passed=0 failed=0
# Runs a check: `check NAME COMMAND...`; the command prints why when it fails.
check() {
  local name=$1 out
  shift
  if out=$("$@" 2>&1); then
    echo "ok: $name"; passed=$((passed + 1))
  else
    out=${out//$'\n'/; }
    echo "FAIL: $name${out:+ ($out)}"; failed=$((failed + 1))
  fi
}
ms_since() { echo $(((${EPOCHREALTIME/./} - ${1/./}) / 1000)); }

hex() { printf '0x%x' "$(($1))"; }
by_class() { wmctrl -lx | awk -v c="$1" '$3 == c { print $1; exit }'; }  # instance.Class
has_window() { [[ -n $(by_class "$1") ]]; }
active() { hex "$(xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p')"; }
focused() { hex "$(xdotool getwindowfocus)"; }
is_active() { [[ $(active) == "$1" ]]; }
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*' || true; }  # bottom first
viewable() { xwininfo -id "$1" | grep -q IsViewable; }
unmapped() { xwininfo -id "$1" | grep -q IsUnMapped; }
workarea() { xprop -root _NET_WORKAREA | sed 's/.*= //' | cut -d, -f1-4; }
geometry() {  # x y width height of the widget's window
  xwininfo -id "$wid" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
pixel() { import -window root -crop "1x1+$1+$2" +repage png:- | convert - -format '%[hex:p{0,0}]' info:; }

# Each id is below the next one in the window manager's stacking order.
stacked() {
  local -a order=()
  local w i at last=-1
  for w in $(stacking); do order+=("$(hex "$w")"); done
  for w in "$@"; do
    at=-1
    for i in "${!order[@]}"; do [[ ${order[i]} == "$w" ]] && at=$i; done
    ((at > last)) || { echo "stacking, bottom first: ${order[*]}; wanted $* in this order"; return 1; }
    last=$at
  done
}

run_widget() {  # starts the widget; sets widget, wid and startup_ms
  local t0=$EPOCHREALTIME
  "$bin" run --family medium --snapshot "$snapshot" --now "$now" --speed 0.000001 >"$work/run.out" 2>"$work/run.err" &
  widget=$!; pids+=("$widget")
  until_ok 15 window_id || { cat "$work/run.err" >&2; fail "no window appeared"; }
  wid=$(hex "$(window_id)")
  until_ok 10 placed || fail "not placed: at and of $(geometry), not $corner_x $corner_y 364 170"
  startup_ms=$(ms_since "$t0")
}
placed() { [[ "$(geometry)" == "$corner_x $corner_y 364 170" ]]; }
stop_widget() {
  kill "$widget" 2>/dev/null || true
  wait "$widget" 2>/dev/null || true
}

# The checks every window manager must pass.
hints() {
  local props
  props=$(xprop -id "$wid" _NET_WM_WINDOW_TYPE _NET_WM_STATE _NET_WM_DESKTOP WM_HINTS)
  for want in _NET_WM_WINDOW_TYPE_UTILITY _NET_WM_STATE_BELOW _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER \
      'accepts input or input focus: False'; do
    grep -qF -- "$want" <<<"$props" || { echo "$want missing in: $props"; return 1; }
  done
  grep -qE '_NET_WM_DESKTOP\(CARDINAL\) = 4294967295|_NET_WM_STATE_STICKY' <<<"$props" || { echo "not on every workspace: $props"; return 1; }
}
in_corner() { placed || { echo "at and of $(geometry), not $corner_x $corner_y 364 170 (work area $(workarea))"; return 1; }; }
covered() {  # the normal window's white face shows where it overlaps the widget
  local p
  p=$(pixel $((corner_x + 200)) $((corner_y + 150)))
  [[ ${p:0:6} == FFFFFF ]] || { echo "pixel #$p where the normal window covers the widget"; return 1; }
}
click_widget_keeps_focus() {  # a click where only the widget is
  local before
  before=$(active)
  xdotool mousemove $((corner_x + 60)) $((corner_y + 40)) click 1
  sleep 0.7
  [[ $(active) == "$before" && $(focused) == "$before" ]] ||
    { echo "active $(active), focus $(focused), was $before; widget $wid"; return 1; }
  stacked "$desktop" "$wid" "$normal"
}
