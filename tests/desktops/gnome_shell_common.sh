# What the GNOME Shell tests share: a headless GNOME Shell 43 (Wayland, with
# Xwayland unless asked otherwise) run as `nobody` with private folders and
# buses, the shell's own scripting through org.gnome.Shell.Eval and the
# helpers of gnome_shell.js, the compositor's own pointer, screenshots
# against `render`, and the window program's wake-ups.
# Sourced by gnome_shell.sh and gnome_shell_extension.sh after their own
# start; they set bin, snapshot and here.

# As root the whole test runs in a PID namespace of its own, so that every
# daemon the session bus starts ends with it: the sourcing script starts
# again inside one ("$0" and "$@" are its own).
if [[ $(id -u) == 0 && -z ${CORVANE_PID_NAMESPACE:-} ]] && unshare --pid --fork --mount-proc true 2>/dev/null; then
  CORVANE_PID_NAMESPACE=1 exec unshare --pid --fork --kill-child --mount-proc -- "$0" "$@"
fi

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
  [[ -z ${CORVANE_KEEP_LOG:-} ]] || cp "$work/shell.log" "$CORVANE_KEEP_LOG" 2>/dev/null || true
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

start_shell() {  # extensions (a GVariant list), then "no-x11" for a session without Xwayland; sets session and client
  local home=$work/home run=$work/runtime
  # Services the last session's bus started (tracker) may still be writing
  # there for a moment after it ended.
  until_ok 10 rm -rf "$home" "$run" "$work/config" || fail "the last session's files stay: $(ls -R "$home" | head)"
  mkdir -p "$home/Desktop" "$run" "$work/shots"
  chmod 700 "$run"
  if [[ -n ${shell_extension:-} ]]; then  # installed for the user, as `gnome-extensions install` does
    mkdir -p "$home/.local/share/gnome-shell/extensions"
    cp -r "$shell_extension" "$home/.local/share/gnome-shell/extensions/"
  fi
  [[ -z ${as[*]} ]] || chown -R nobody "$home" "$run" "$work/shots"
  session=(env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" XDG_CONFIG_HOME="$work/config"
    XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME)
  # A sanitizer build's options (suppressions) reach the widget, also where
  # the Shell starts it: what the Shell starts inherits the Shell's.
  local v
  for v in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
    [[ -z ${!v:-} ]] || session+=("$v=${!v}")
  done
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
  local x11=()
  [[ ${2:-} != no-x11 ]] || x11=(--no-x11)
  "${as[@]}" "${session[@]}" nice -n 10 gnome-shell --headless --wayland "${x11[@]}" --unsafe-mode \
    --wayland-display=wl-test --virtual-monitor 1280x720 >"$work/shell.log" 2>&1 &
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
  x11_display=''
  if [[ ${2:-} != no-x11 ]]; then
    read -r x11_display x11_auth < <(cv 'session()' | sed 's/display=\([^ ]*\) xauthority=\(.*\)/\1 \2/')
    client+=(DISPLAY="$x11_display" XAUTHORITY="$x11_auth")
  fi
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


placed_in_corner() {
  local info area x y w h
  info=$(widget_info)
  IFS=, read -r x y w h <<<"$(field workarea "$info")"
  want="$((x + w - 24 - 364)),$((y + 24)),364,170"
  [[ $(field frame "$info") == "$want" ]]
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

# What every shown widget is, whoever keeps it: out of the taskbar, on every
# workspace, not focused, in the corner of the work area, drawn as `render`
# draws it. $2: its widget_info taken after it was shown.
mapped_checks() {  # label info
  local v=$1 info=$2
  detail=$info; check "$v: skip-taskbar" [ "$(field skip_taskbar "$info")" == true ]
  detail=$info; check "$v: on every workspace" [ "$(field all_workspaces "$info")" == true ]
  detail="focus on $(cv 'focus()')"; check "$v: not focused after map" [ "$(field focused "$info")" == false ]
  until_ok 5 placed_in_corner || true
  detail="at $(field frame "$(widget_info)"), work area $(field workarea "$info"), want $want"
  check "$v: top-right corner of the work area, 24 px from its edges (below the top bar)" placed_in_corner
  check "$v: pixels equal render's picture" pixels_match "$v"
}

# The end of a test: the shell stopped, the counts said, failures fail it.
finish() {
  stop_shell

  echo "note: wall time $((SECONDS - began)) s"
  echo "$passed passed, $failed failed"
  ((failed == 0))
}

not_focused() { local f; f=$(cv 'focus()'); detail="focus on $f"; [[ $f != "Corvane today" ]]; }

# Out of the window switcher, the overview and the dash, where the normal
# window titled $2 is; on the second workspace, where the normal windows
# are not; never focused by either.
lists_and_workspace_checks() {  # label normal-title
  local v=$1 sw ov info
  sw=$(cv 'switcher()')
  echo "note: $v: switcher: $sw"
  detail=$sw; check "$v: the normal window is in the window switcher" grep -q "windows=.*$2" <<<"$sw"
  detail=$sw; check "$v: not in the window switcher's windows nor its applications" \
    bash -c '! grep -q "Corvane today" <<<"$1"' _ "$sw"
  cv 'showOverview()' >/dev/null
  overview_shown() { [[ $(cv 'overviewShown()') == true ]]; }
  until_ok 10 overview_shown || true
  sleep 0.3
  ov=$(cv 'overview()')
  echo "note: $v: overview: $ov"
  detail=$ov; check "$v: the overview shows the normal window" grep -q "previews=.*$2" <<<"$ov"
  detail=$ov; check "$v: not in the overview nor the dash" bash -c '! grep -q "Corvane today" <<<"$1"' _ "$ov"
  cv 'hideOverview()' >/dev/null
  overview_hidden() { [[ $(cv 'overviewHidden()') == true ]]; }
  until_ok 10 overview_hidden || fail "the overview stays open"
  check "$v: not focused after the overview" not_focused

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
