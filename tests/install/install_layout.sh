#!/usr/bin/env bash
# An installation as a packager makes one (DESTDIR): the program, its window
# program, the snapshot schema, the autostart entry and the user unit in
# their places, the entries naming the installed program, and a windowed
# `run` reaching the window program from the installed command line (it says
# there is no display).
# Usage: install_layout.sh BUILD_DIR
set -euo pipefail
build=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

HOME=/nonexistent DESTDIR=$dest cmake --install "$build" --prefix /opt/corvane >"$dest.log" 2>&1 ||
  { cat "$dest.log" >&2; rm -f "$dest.log"; fail "cmake --install failed"; }
rm -f "$dest.log"
root=$dest/opt/corvane
for f in bin/corvane-widget libexec/corvane-widget/corvane-widget-window lib/systemd/user/corvane-widget.service \
  share/corvane-widget/snapshot.schema.json; do
  [[ -x $root/$f || ( $f != bin/* && $f != libexec/* && -f $root/$f ) ]] || fail "$f is not installed"
done
[[ -f $dest/etc/xdg/autostart/corvane-widget.desktop ]] || fail "no autostart entry"
grep -q "^Exec=/opt/corvane/bin/corvane-widget run" "$dest/etc/xdg/autostart/corvane-widget.desktop" ||
  fail "the autostart entry does not start the installed program"
grep -q "^ExecStart=/opt/corvane/bin/corvane-widget run" "$root/lib/systemd/user/corvane-widget.service" ||
  fail "the unit does not start the installed program"

status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/corvane-widget" run >/dev/null 2>"$dest/err" || status=$?
[[ $status == 2 ]] || fail "run without a display ended with $status, not 2: $(cat "$dest/err")"
grep -q "no display to show the widget on" "$dest/err" ||
  fail "the installed program did not reach its window program: $(cat "$dest/err")"
echo "ok"
