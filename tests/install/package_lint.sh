#!/usr/bin/env bash
# The Debian package as a distribution would judge it, without installing
# it: lintian with no error and no warning; its files in their Debian places;
# one version in the package, the program, the metadata, the manual and the
# changelog; Depends from the binaries and from the fonts' owners; and the
# metadata, menu entry and icon agreeing with one another (appstreamcli
# validate-tree).
# Usage: package_lint.sh PACKAGE.deb BUILD_DIR
set -euo pipefail
deb=$(realpath "$1")
build=$2
source "$(dirname "$0")/../kit/common.sh"
require_tools lintian dpkg-deb dpkg-query appstreamcli desktop-file-validate

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
kind=com.corvane.desktop.today

# Every tag lintian knows of, shown; errors and warnings fail. (An override
# would be in the package, with its reason in a comment above it.)
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
  fail "lintian: $(cat "$work/lintian")"
grep -E '^[EW]: ' "$work/lintian" && fail "lintian reports errors or warnings"
[[ -s $work/lintian ]] && { echo "lintian (information only):"; cat "$work/lintian"; }

root=$work/root
dpkg-deb -x "$deb" "$root"
field() { dpkg-deb -f "$deb" "$1"; }
for f in usr/bin/corvane-widget usr/libexec/corvane-widget/corvane-widget-window \
  etc/xdg/autostart/corvane-widget.desktop usr/share/applications/$kind.desktop \
  usr/lib/systemd/user/corvane-widget.service usr/share/metainfo/$kind.metainfo.xml \
  usr/share/man/man1/corvane-widget.1.gz usr/share/bash-completion/completions/corvane-widget \
  usr/share/zsh/vendor-completions/_corvane-widget usr/share/fish/vendor_completions.d/corvane-widget.fish \
  usr/share/icons/hicolor/scalable/apps/$kind.svg usr/share/doc/corvane-widget/copyright \
  usr/share/doc/corvane-widget/changelog.gz; do
  [[ -f $root/$f ]] || fail "the package lacks /$f"
done
for size in 16 32 48 64 128 256; do
  [[ -f $root/usr/share/icons/hicolor/${size}x$size/apps/$kind.png ]] || fail "the package lacks the ${size} px icon"
done
dpkg-deb -I "$deb" conffiles | grep -qx /etc/xdg/autostart/corvane-widget.desktop ||
  fail "the autostart entry is not a conffile"

# One version everywhere.
version=$(field Version)
[[ $(basename "$deb") == "corvane-widget_${version}_$(field Architecture).deb" ]] || fail "the file name is not NAME_VERSION_ARCH.deb"
program=$("$root/usr/bin/corvane-widget" --version)
[[ $program == "corvane-widget $version" ]] || fail "the program says \"$program\", the package $version"
grep -qF "<release version=\"$version\" " "$root/usr/share/metainfo/$kind.metainfo.xml" ||
  fail "the metadata's release is not $version"
gzip -dc "$root/usr/share/man/man1/corvane-widget.1.gz" | grep '^\.TH' | grep -qF "\"corvane\\-widget ${version//-/\\-}\"" ||
  fail "the manual page does not name $version"
gzip -dc "$root/usr/share/doc/corvane-widget/changelog.gz" | head -1 | grep -qxF "corvane-widget ($version) unstable; urgency=medium" ||
  fail "the changelog's entry is not $version"

# Depends: the libraries the binaries link, and the fonts' packages.
depends=$(field Depends) recommends=$(field Recommends)
for lib in libc6 libgtk-3-0 libcairo2 libpango-1.0-0; do
  grep -qE "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib (from dpkg-shlibdeps): $depends"
done
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
for var in CORVANE_INTER_DIR CORVANE_MONO_DIR CORVANE_FALLBACK_FONT_DIR CORVANE_CJK_FONT CORVANE_EMOJI_FONT; do
  path=$(cache "$var")
  owners=$(dpkg-query -S "$path" 2>/dev/null | sed 's/: .*//; s/, /\n/g') || { fail "no package owns $path ($var)"; continue; }
  found=""
  while read -r owner; do
    grep -qE "(^|, )$owner( |,|$)" <<<"$depends, $recommends" && found=$owner
  done <<<"$owners"
  [[ -n $found ]] || fail "neither Depends nor Recommends names the owner of $path ($var): $(echo $owners)"
done

# The entries as installed, and the metadata with the files it points at.
for entry in etc/xdg/autostart/corvane-widget.desktop usr/share/applications/$kind.desktop; do
  said=$(desktop-file-validate "$root/$entry" 2>&1) || fail "$entry: $said"
  [[ -z $said ]] || fail "$entry: desktop-file-validate says: $said"
  grep -qE "^Exec=/usr/bin/corvane-widget run( --autostart)?$" "$root/$entry" || fail "$entry does not run /usr/bin/corvane-widget"
done
appstreamcli validate-tree --no-net "$root" >"$work/tree" 2>&1 || fail "appstreamcli validate-tree: $(cat "$work/tree")"
grep -E '^[EW]: ' "$work/tree" && fail "appstreamcli validate-tree warns: $(cat "$work/tree")"

((failures == 0)) || exit 1
echo "ok: $(basename "$deb")"
