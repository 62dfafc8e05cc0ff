#!/usr/bin/env bash
# The widget's window on Wayland, under sway's headless backend: a layer
# surface (not a toplevel) at the chosen corner with the margin, its pixels
# equal to what `render` draws for the same entry and time, and drawn again
# at 2x when the output's scale changes. sway refuses to run as root, so
# when run as root the compositor and the widget run as `nobody` from copies
# in a private folder.
# Usage: wayland_layer.sh CORVANE_WIDGET_BINARY SNAPSHOT_FILE
set -euo pipefail

bin=$1
snapshot=$2
now=1700000000
wallpaper='#0000ff'
source "$(dirname "$0")/../kit/common.sh"
require_tools sway swaymsg grim compare convert

work=$(mktemp -d)
runtime=$(mktemp -d)
chmod 755 "$work"
as=()
if [[ $(id -u) == 0 ]]; then
  as=(runuser -u nobody --)
  chown nobody "$runtime" "$work"
fi
chmod 700 "$runtime"
sway_pid=''
widget_pid=''
cleanup() {
  # Children of runuser: ended by their own ids, then runuser itself.
  for p in $widget_pid $sway_pid; do
    pkill -TERM -P "$p" 2>/dev/null || true
    kill "$p" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work" "$runtime"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$work/run.err" "$work/sway.log" >&2 2>/dev/null || true
  exit 1
}


# Copies nobody can read and run, whatever the permissions on the build tree.
install -m 755 "$bin" "$work/corvane-widget"
install -m 755 "$(dirname "$bin")/corvane-widget-window" "$work/corvane-widget-window"
install -m 644 "$snapshot" "$work/snapshot.json"
cat >"$work/sway.conf" <<EOF
xwayland disable
output HEADLESS-1 resolution 1280x800 bg $wallpaper solid_color
EOF

session=(env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$work/config")
"${as[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway -d -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
socket_ready() { compgen -G "$runtime/sway-ipc.*.sock" && [[ -S $runtime/wayland-1 ]]; }
until_ok 20 socket_ready || fail "sway did not start"
swaysock=$(compgen -G "$runtime/sway-ipc.*.sock" | head -1)
client=("${as[@]}" "${session[@]}" WAYLAND_DISPLAY=wayland-1 SWAYSOCK="$swaysock")
swaymsg() { "${client[@]}" swaymsg "$@"; }
until_ok 10 swaymsg -t get_outputs || fail "sway does not answer"

"${client[@]}" GDK_BACKEND=wayland "$work/corvane-widget" run --family medium --snapshot "$work/snapshot.json" \
  --now "$now" --speed 0.000001 --position bottom-left --margin 16 >"$work/run.out" 2>"$work/run.err" &
widget_pid=$!

# sway logs each layer surface with its namespace, layer (1: bottom),
# anchor and size when it maps.
layer_logged() { grep -q 'new layer surface: namespace corvane-widget layer 1 ' "$work/sway.log"; }
until_ok 20 layer_logged || fail "no layer surface on the bottom layer"
grep -m1 'new layer surface: namespace corvane-widget' "$work/sway.log" | sed 's/.*\] //'
# A layer surface is not a window: the tree holds no view at all.
tree=$(swaymsg -t get_tree -r)
if grep -qE '"(app_id|pid)"' <<<"$tree"; then fail "the widget shows up as a toplevel: $tree"; fi
grep -q 'placement is left to the compositor' "$work/run.err" && fail "layer shell not used"

# The window's pixels at the corner against render's picture on the wallpaper.
shot_matches() {  # scale label: compares once and records the count
  local scale=$1 label=$2 w=$((364 * $1)) h=$((170 * $1)) m=$((16 * $1))
  local x=$m y=$((800 - m - h))
  "${client[@]}" grim -o HEADLESS-1 "$work/screen-$label.png" || return 1
  convert "$work/screen-$label.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/shot-$label.png"
  differ=$(compare -metric AE -fuzz 6% "$work/expected-$label.png" "$work/shot-$label.png" null: 2>&1 || true)
  ((${differ%.*} <= 40 * scale * scale))
}
for scale in 1 2; do
  label="${scale}x"
  "$work/corvane-widget" render --family medium --snapshot "$work/snapshot.json" --now "$now" --scale "$scale" \
    --out "$work/render-$label.png" >/dev/null
  convert "$work/render-$label.png" -background "$wallpaper" -flatten "$work/expected-$label.png"
  if ((scale > 1)); then swaymsg output HEADLESS-1 scale "$scale" >/dev/null; fi
  # The first paint (and the new layout after a scale change) take a moment.
  differ=unknown
  until_ok 15 shot_matches "$scale" "$label" || fail "$label: $differ pixels differ from render's picture"
  echo "$label: bottom-left, 16 pt margin; $differ pixels differ"
  if [[ -n ${CORVANE_SHOTS:-} ]]; then cp "$work/screen-$label.png" "$work/expected-$label.png" "$CORVANE_SHOTS/"; fi
done
kill -0 "$widget_pid" 2>/dev/null || fail "the widget ended"
echo "wayland layer surface: ok"
