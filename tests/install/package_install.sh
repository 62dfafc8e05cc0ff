#!/usr/bin/env bash
# The Debian package installed on this machine as a person installs it
# (apt-get install ./corvane-widget_….deb), used from the installed paths,
# then purged: --version, the manual page, the completions found by each
# shell where it looks, the user unit verified, the icon the menu entry
# names, a headless run and a windowed run under Xvfb (which reaches the
# installed window program); after the purge nothing of the package is
# left. The package is purged however the test ends. This changes the
# machine: scripts/test runs it, ctest does not; it needs root and refuses to
# touch an installation it did not make.
# Usage: package_install.sh PACKAGE.deb SNAPSHOT_FILE
set -euo pipefail
deb=$(realpath "$1")
snapshot=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../kit/common.sh"
require_tools apt-get dpkg-query Xvfb xdotool systemd-analyze man bash zsh fish
if [[ $(id -u) -ne 0 ]]; then
  if [[ ${CI:-} == true ]]; then echo "package_install.sh must run as root" >&2; exit 1; fi
  echo "skipping: installing a package needs root"; exit 77
fi
package=corvane-widget
kind=com.corvane.desktop.today
installed() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qvx not-installed; }
if installed; then
  echo "FAIL: $package is already installed here; this test installs and purges its own" >&2
  exit 1
fi

work=$(mktemp -d)
pids=()
ours=false
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if $ours && installed; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "$package" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

ours=true
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  fail "apt-get install: $(cat "$work/apt.log")"
installed || fail "$package is not installed after apt-get install"
dpkg-query -L "$package" >"$work/paths"
version=$(dpkg-query -W -f='${Version}' "$package")

# The program, from the PATH.
[[ $(command -v corvane-widget) == /usr/bin/corvane-widget ]] || fail "corvane-widget is not /usr/bin/corvane-widget"
[[ $(corvane-widget --version) == "corvane-widget $version" ]] || fail "--version: $(corvane-widget --version)"

# The manual page, found by man.
[[ $(man -w corvane-widget) == /usr/share/man/man1/corvane-widget.1.gz ]] || fail "man -w: $(man -w corvane-widget)"
MANWIDTH=80 man corvane-widget 2>/dev/null | grep -q "corvane-widget - the Corvane desktop widget" ||
  fail "man corvane-widget does not show the page"

# Each shell finds its completion where it looks by itself.
bash -c 'source /usr/share/bash-completion/bash_completion; _completion_loader corvane-widget
  complete -p corvane-widget' >"$work/bash" 2>&1 || fail "bash finds no completion: $(cat "$work/bash")"
zsh -fc 'autoload -U compinit; compinit -u -D; print -r -- ${_comps[corvane-widget]}' | grep -qx _corvane-widget ||
  fail "zsh finds no completion in its \$fpath"
fish -c 'complete -C "corvane-widget ren"' | grep -q "^render" || fail "fish finds no completion"

# The menu entry's icon, in the theme at each size.
icon=$(sed -n 's/^Icon=//p' "/usr/share/applications/$kind.desktop")
[[ $icon == "$kind" ]] || fail "the menu entry names the icon $icon"
for size in 16 32 48 64 128 256; do
  [[ -f /usr/share/icons/hicolor/${size}x$size/apps/$icon.png ]] || fail "no ${size} px icon $icon"
done

# The user unit, as a user's manager would load it (offline: systemd-analyze
# needs only a runtime folder of its own, not a running manager).
mkdir -m 700 "$work/runtime"
said=$(XDG_RUNTIME_DIR=$work/runtime systemd-analyze verify --user /usr/lib/systemd/user/corvane-widget.service 2>&1) ||
  fail "systemd-analyze verify --user: $said"
[[ -z $said ]] || fail "systemd-analyze verify --user says: $said"

# A headless run keeps its pictures; SIGTERM ends it cleanly.
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -p "$work/pictures"
corvane-widget run --headless --out "$work/pictures" --snapshot "$snapshot" --now 1700000000 >"$work/headless.out" \
  2>"$work/headless.err" &
headless=$!; pids+=("$headless")
until_ok 20 test -s "$work/pictures/widget-large.png" || fail "the headless run drew nothing: $(cat "$work/headless.err")"
kill -TERM "$headless"
status=0; wait "$headless" || status=$?
[[ $status == 0 ]] || fail "the headless run ended with $status: $(cat "$work/headless.err")"

# A windowed run under Xvfb: the installed command line hands over to the
# installed window program, whose window appears.
rm -f "$work/displayfd"
Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp 9>"$work/displayfd" 2>"$work/xvfb.log" &
pids+=("$!")
until_ok 10 grep -q . "$work/displayfd" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/displayfd")"
corvane-widget run --family small --snapshot "$snapshot" --now 1700000000 >"$work/window.out" 2>"$work/window.err" &
window=$!; pids+=("$window")
until_ok 20 xdotool search --onlyvisible --name '^Corvane today$' ||
  fail "no window appeared: $(cat "$work/window.err")"
[[ $(readlink "/proc/$window/exe") == /usr/libexec/corvane-widget/corvane-widget-window ]] ||
  fail "the window is not the installed window program's: $(readlink "/proc/$window/exe")"
kill -TERM "$window"
status=0; wait "$window" || status=$?
[[ $status == 0 ]] || fail "the windowed run ended with $status: $(cat "$work/window.err")"

# Purged, nothing of it is left: no file it had, no conffile, no record.
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "$package" >"$work/apt.log" 2>&1 ||
  fail "apt-get purge: $(cat "$work/apt.log")"
! installed || fail "$package is still known to dpkg after the purge"
left=()
while read -r path; do
  [[ -e $path && ! -d $path ]] && left+=("$path")
  # Its own folders go too; folders shared with other packages stay.
  [[ -d $path && $path == *corvane* ]] && left+=("$path/")
done <"$work/paths"
((${#left[@]} == 0)) || fail "left after the purge: ${left[*]}"
echo "ok: $package $version installed, used and purged"
