# Shared by kwin_x11.sh and kwin_wayland.sh; sourced, not run. Expects
# $bin, $snapshot, $here, $session (x11 or wayland) and common.sh sourced.
# Makes the work folder, whose processes (pids) end with the script, and
# builds the stand-in desktop and normal windows into it.

now=1700000000
wallpaper='#0000ff'  # the stand-in desktop window's colour
margin=24
width=364 height=170  # the medium family at scale 1
failures=0

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [[ -n ${KEEP_WORK:-} ]] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

say_fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
fail() {  # the test cannot go on
  echo "FAIL: $*" >&2
  tail -20 "$work/kwin.log" "$work/run.err" >&2 2>/dev/null || true
  exit 1
}
check() {  # description, then a command that succeeds when the widget behaves
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else say_fail "$what"; fi
}
# What KWin does not let the widget do (written in docs/desktops.md): said,
# never a failure; said too when it starts to hold.
limit() {  # description, why, then a command that succeeds when it would hold
  local what=$1 why=$2; shift 2
  if "$@" >/dev/null 2>&1; then echo "note: $what holds now (was a limit: $why)"; else echo "limit: $what: $why"; fi
}

# A private session bus and home, with two virtual desktops.
start_session() {
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime XDG_DATA_DIRS=$work/no-data
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  printf '[Desktops]\nNumber=2\nRows=1\n' >"$XDG_CONFIG_HOME/kwinrc"
  local bus_pid
  { read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  export DBUS_SESSION_BUS_ADDRESS
  pids+=("$bus_pid")
}

kwin_answers() { gdbus call --session -d org.kde.KWin -o /KWin -m org.kde.KWin.currentDesktop; }

# Runs the JavaScript on stdin in KWin and prints what it print()s. Each
# script's lines carry its own tag in KWin's log (stderr: "js: TAG ..."),
# unique also when called in a subshell.
kwin_js() {
  local script_count; script_count=$(date +%s%N)
  local name="corvane-check-$script_count" tag="CVS$script_count:" file="$work/script-$script_count.js" id
  {
    echo "function out(s) { print('$tag ' + s); }"
    echo 'function widget() { var cs = workspace.clientList(); for (var i = 0; i < cs.length; i++)'
    echo '  if (cs[i].caption == "Corvane today" || cs[i].resourceClass.indexOf("corvane-widget") == 0) return cs[i]; return null; }'
    echo 'function named(t) { var cs = workspace.clientList(); for (var i = 0; i < cs.length; i++) if (cs[i].caption == t) return cs[i]; return null; }'
    cat
    echo "out('END');"
  } >"$file"
  id=$(gdbus call --session -d org.kde.KWin -o /Scripting -m org.kde.kwin.Scripting.loadScript "$file" "$name" | tr -dc 0-9)
  [[ -n $id ]] || fail "KWin did not load a script"
  gdbus call --session -d org.kde.KWin -o "/$id" -m org.kde.kwin.Script.run >/dev/null
  until_ok 5 grep -qa "$tag END" "$work/kwin.log" || fail "KWin did not run a script"
  gdbus call --session -d org.kde.KWin -o /Scripting -m org.kde.kwin.Scripting.unloadScript "$name" >/dev/null
  grep -a "$tag " "$work/kwin.log" | grep -v "$tag END" | sed "s/.*$tag //" || true
}

# One line of key=value about the widget, the stand-ins and the focus.
widget_state() {
  kwin_js <<'JS'
var w = widget(), d = named("standin-desktop"), n = named("standin-normal"), a = workspace.activeClient;
if (!w) { out("none"); } else {
  var g = w.frameGeometry;
  out("skipSwitcher=" + w.skipSwitcher + " skipTaskbar=" + w.skipTaskbar + " skipPager=" + w.skipPager +
      " onAllDesktops=" + w.onAllDesktops + " keepBelow=" + w.keepBelow + " active=" + w.active +
      " demandsAttention=" + w.demandsAttention + " layer=" + w.layer + " stack=" + w.stackingOrder +
      " desktopLayer=" + (d ? d.layer : "none") + " desktopStack=" + (d ? d.stackingOrder : "none") +
      " normalLayer=" + (n ? n.layer : "none") + " normalStack=" + (n ? n.stackingOrder : "none") +
      " activeWindow=" + (a ? (a == w ? "widget" : a.caption) : "none") + " moveable=" + w.moveable +
      " geometry=" + g.x + "," + g.y + "," + g.width + "," + g.height);
}
JS
}
# `has KEY=VALUE` on the last widget_state.
has() { [[ " $state " == *" $1 "* ]]; }
above_desktop() {  # the widget is stacked above the stand-in desktop
  local l s dl ds
  l=$(sed -n 's/.* layer=\([0-9-]*\) .*/\1/p' <<<"$state"); s=$(sed -n 's/.* stack=\([0-9-]*\) .*/\1/p' <<<"$state")
  dl=$(sed -n 's/.*desktopLayer=\([0-9-]*\) .*/\1/p' <<<"$state"); ds=$(sed -n 's/.*desktopStack=\([0-9-]*\) .*/\1/p' <<<"$state")
  ((l > dl || (l == dl && s > ds)))
}
below_normal() {
  local l s nl ns
  l=$(sed -n 's/.* layer=\([0-9-]*\) .*/\1/p' <<<"$state"); s=$(sed -n 's/.* stack=\([0-9-]*\) .*/\1/p' <<<"$state")
  nl=$(sed -n 's/.*normalLayer=\([0-9-]*\) .*/\1/p' <<<"$state"); ns=$(sed -n 's/.*normalStack=\([0-9-]*\) .*/\1/p' <<<"$state")
  ((l < nl || (l == nl && s < ns)))
}
refresh() { state=$(widget_state); }

# The whole screen into $work/$1.png.
shot() {
  if [[ $session == wayland ]]; then
    local f
    f=$(gdbus call --session -d org.kde.KWin -o /Screenshot -m org.kde.kwin.Screenshot.screenshotFullscreen false |
      sed -n "s/^('\(.*\)',)$/\1/p")
    [[ -f $f ]] || fail "KWin took no screenshot"
    mv "$f" "$work/$1.png"
  else
    import -window root "$work/$1.png"
  fi
}

# render's picture of the medium widget on the stand-in desktop's colour.
expected_picture() {
  "$bin" render --family medium --snapshot "$snapshot" --now "$now" --scale 1 --out "$work/render.png" >/dev/null
  convert "$work/render.png" -background "$wallpaper" -flatten "$work/expected.png"
}
# Whether the screen shows render's picture at the widget's place, in the
# columns from $2 (0: all) of the widget; a few antialiased pixels may differ.
shows_widget() {  # label [first column]
  local from=${2:-0} x=$((1280 - margin - width)) y=$margin differ end=$((SECONDS + 5))
  while :; do
    shot "$1"
    convert "$work/$1.png" -crop "$((width - from))x${height}+$((x + from))+$y" +repage "$work/$1-crop.png"
    convert "$work/expected.png" -crop "$((width - from))x${height}+${from}+0" +repage "$work/$1-want.png"
    differ=$(compare -metric AE -fuzz 6% "$work/$1-want.png" "$work/$1-crop.png" null: 2>&1 || true)
    [[ $differ =~ ^[0-9.]+$ ]] && ((${differ%.*} <= 40)) && return 0
    ((SECONDS < end)) || break
    sleep 0.2
  done
  echo "$1: $differ pixels differ" >&2
  return 1
}
pixel() { convert "$work/$1.png" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }

# On another virtual desktop, then with Show Desktop turned on (left on).
workspace_and_show_desktop_checks() {
  # Another virtual desktop.
  kwin_js <<<'workspace.currentDesktop = 2;' >/dev/null
  sleep 0.3
  check "shown on virtual desktop 2" shows_widget desktop-2
  kwin_js <<<'workspace.currentDesktop = 1;' >/dev/null
  sleep 0.3

  # Show Desktop: the desktop window is lifted above every ordinary window.
  kwin_js <<<'workspace.slotToggleShowDesktop();' >/dev/null
  showing() { gdbus call --session -d org.kde.KWin -o /KWin -m org.freedesktop.DBus.Properties.Get org.kde.KWin showingDesktop | grep -q true; }
  until_ok 5 showing || fail "Show Desktop did not turn on"
  sleep 0.5
  refresh
  echo "   $state"
  check "shown with Show Desktop on (above the desktop window)" above_desktop
  check "shown with Show Desktop on (pixels)" shows_widget show-desktop
  check "not active with Show Desktop on" has active=false
}

# What both sessions check once the widget is mapped and placed: an ordinary
# window over it, a click and an activation, workspaces and Show Desktop, the
# menu on a right click. Each script defines start_normal (starts the
# ordinary window and waits until KWin lists it), click X Y left|right, and
# focus_check DESCRIPTION COMMAND... (check, or limit with the reason).
shared_checks() {
  start_normal
  sleep 0.5
  refresh
  check "below an ordinary window (KWin's stacking)" below_normal
  shot normal
  check "below an ordinary window (its pixels cover the widget)" test "$(pixel normal 950 100)" = 00FF00
  check "the rest of the widget still shows" shows_widget beside-normal 120

  # A click, and an activation by a script.
  click 1150 150 left
  sleep 0.5
  refresh
  focus_check "not active after a click on it" has active=false
  click 850 300 left  # the ordinary window
  sleep 0.3
  kwin_js <<<'workspace.activeClient = widget();' >/dev/null
  sleep 0.3
  refresh
  focus_check "not active after a script activates it" has active=false
  check "not demanding attention after a click and an activation" has demandsAttention=false
  check "still below the ordinary window after a click" below_normal
  click 850 300 left

  workspace_and_show_desktop_checks
  click 200 700 left  # the desktop window, raised on a click
  sleep 0.5
  check "shown with Show Desktop on after a click on the desktop" shows_widget show-desktop-click
  kwin_js <<<'workspace.slotToggleShowDesktop();' >/dev/null
  sleep 0.5
  refresh
  check "below the ordinary window again once Show Desktop is off" below_normal
  click 200 700 left
  sleep 0.5
  check "shown after a click on the desktop window" shows_widget desktop-click 120

  # The menu on a right click: the screen right and below the pointer changes.
  shot before-menu
  click 1100 100 right
  sleep 0.8
  shot menu
  menu_shown() {
    convert "$work/before-menu.png" -crop 120x60+1105+105 +repage "$work/a.png"
    convert "$work/menu.png" -crop 120x60+1105+105 +repage "$work/b.png"
    local d; d=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
    ((${d%.*} > 1000))
  }
  check "a right click opens its menu" menu_shown
}

cc -O1 -o "$work/standin" "$here/kwin_standin.c" $(pkg-config --cflags --libs gtk+-3.0) || fail "could not build the stand-in windows"
