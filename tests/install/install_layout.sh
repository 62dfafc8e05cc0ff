#!/usr/bin/env bash
# An installation as a packager makes one (DESTDIR): the program and its
# window program; the snapshot schema; the autostart entry, menu entry, user unit, metadata,
# manual page, shell completions and icons in their places; the entries
# naming the installed program; and a windowed `run` reaching the window
# program from the installed command line (it says there is no display).
# Usage: install_layout.sh BUILD_DIR ASSETS (ON when the build writes the
# manual page, completions, icons and entries; the sanitizer builds do not)
set -euo pipefail
build=$1
assets=${2:-ON}
kind=com.corvane.desktop.today
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

install_at() {  # PREFIX FOLDER: installs under $dest/FOLDER
  HOME=/nonexistent DESTDIR=$dest/$2 cmake --install "$build" --prefix "$1" >"$dest.log" 2>&1 ||
    { cat "$dest.log" >&2; rm -f "$dest.log"; fail "cmake --install --prefix $1 failed"; }
  rm -f "$dest.log"
}

# The autostart entry goes where GNUInstallDirs puts configuration, never
# outside the prefix but for /usr's /etc (and /opt's /etc/opt).
if [[ $assets == ON ]]; then
  for case in /usr:/etc /srv/corvane:/srv/corvane/etc /usr/local:/usr/local/etc /opt/corvane:/etc/opt/corvane; do
    prefix=${case%%:*} etc=${case#*:}
    install_at "$prefix" "prefix$prefix"
    found=$(cd "$dest/prefix$prefix" && find . -name corvane-widget.desktop -path '*autostart*')
    [[ $found == ".$etc/xdg/autostart/corvane-widget.desktop" ]] ||
      fail "--prefix $prefix put the autostart entry at '${found:-nowhere}', not $etc/xdg/autostart"
  done
fi

install_at /opt/corvane ""
root=$dest/opt/corvane
for f in bin/corvane-widget libexec/corvane-widget/corvane-widget-window; do
  [[ -x $root/$f ]] || fail "$f is not installed"
done
[[ -f $root/share/corvane-widget/snapshot.schema.json ]] || fail "the snapshot schema is not installed"
if [[ $assets == ON ]]; then
  files=(lib/systemd/user/corvane-widget.service share/applications/$kind.desktop
    share/metainfo/$kind.metainfo.xml share/man/man1/corvane-widget.1.gz
    share/bash-completion/completions/corvane-widget share/zsh/vendor-completions/_corvane-widget
    share/fish/vendor_completions.d/corvane-widget.fish share/icons/hicolor/scalable/apps/$kind.svg)
  for size in 16 32 48 64 128 256; do
    files+=("share/icons/hicolor/${size}x$size/apps/$kind.png")
  done
  for f in "${files[@]}"; do
    [[ -f $root/$f ]] || fail "$f is not installed"
  done
  for entry in "$dest/etc/opt/corvane/xdg/autostart/corvane-widget.desktop" "$root/share/applications/$kind.desktop"; do
    grep -q "^Exec=/opt/corvane/bin/corvane-widget run" "$entry" ||
      fail "$(basename "$entry") does not start the installed program"
  done
  grep -q "^ExecStart=/opt/corvane/bin/corvane-widget run" "$root/lib/systemd/user/corvane-widget.service" ||
    fail "the unit does not start the installed program"
  # The GNOME Shell extension, starting the installed window program only.
  extension=$root/share/gnome-shell/extensions/today@desktop.corvane.com
  for f in metadata.json extension.js keeper.js; do
    [[ -f $extension/$f ]] || fail "the GNOME Shell extension's $f is not installed"
  done
  grep -q '"program": "/opt/corvane/libexec/corvane-widget/corvane-widget-window"' "$extension/metadata.json" ||
    fail "the GNOME Shell extension does not start the installed window program: $(cat "$extension/metadata.json")"
fi

status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/corvane-widget" run >/dev/null 2>"$dest/err" || status=$?
[[ $status == 2 ]] || fail "run without a display ended with $status, not 2: $(cat "$dest/err")"
grep -q "no display to show the widget on" "$dest/err" ||
  fail "the installed program did not reach its window program: $(cat "$dest/err")"
echo "ok"
