#!/usr/bin/env bash
# The menu entry, the autostart entry, the user unit and the metadata written
# during the build: each passes its validator without a warning or hint, and
# each says what the program's declaration says (`corvane-widget info`), with
# the icon it names drawn and the version `--version` prints.
# Usage: entries.sh CORVANE_WIDGET_BINARY DATA_DIR
set -euo pipefail
bin=$(realpath "$1")
data=$2
source "$(dirname "$0")/../kit/common.sh"
require_tools desktop-file-validate appstreamcli systemd-analyze

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

info=$("$bin" info)
field() { sed -E "s/.*\"$1\":\"([^\"]*)\".*/\1/" <<<"$info"; }
kind=$(field kind) name=$(field displayName) description=$(field description)
version=$("$bin" --version | sed 's/^corvane-widget //')
[[ -n $kind && -n $name && -n $description ]] || fail "corvane-widget info: $info"

# The entries name the program's folder when installed; here, the build's.
folder=$(dirname "$bin")
for entry in "$kind.desktop" autostart/corvane-widget.desktop; do
  out=$work/$(basename "$entry")
  sed "s|@CMAKE_INSTALL_FULL_BINDIR@|$folder|" "$data/$entry.in" >"$out"
  said=$(desktop-file-validate "$out" 2>&1) || fail "$entry: desktop-file-validate failed"
  [[ -z $said ]] || fail "$entry: desktop-file-validate says: $said"
  grep -qxF "Name=$name" "$out" || fail "$entry: Name is not \"$name\""
  grep -qxF "Comment=$description" "$out" || fail "$entry: Comment is not \"$description\""
  # The autostart entry's run stands down when the user unit is enabled.
  exec="Exec=$folder/corvane-widget run"
  [[ $entry == autostart/* ]] && exec+=" --autostart"
  grep -qxF "$exec" "$out" || fail "$entry: Exec does not run the program"
  icon=$(sed -n 's/^Icon=//p' "$out")
  [[ $icon == "$kind" ]] || fail "$entry: Icon=$icon, not the kind $kind"
  for size in 16 32 48 64 128 256; do
    [[ -s $data/icons/${size}x$size/$icon.png ]] || fail "$entry: no ${size}x$size icon named $icon"
  done
  [[ -s $data/icons/scalable/$icon.svg ]] || fail "$entry: no scalable icon named $icon"
done
grep -qx "NoDisplay=true" "$work/corvane-widget.desktop" || fail "the autostart entry shows in the menu"
grep -q "^NoDisplay" "$work/$kind.desktop" && fail "the menu entry is hidden"

metainfo=$data/$kind.metainfo.xml
said=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli validate failed: $said"
grep -E '^[EW]:' <<<"$said" && fail "appstreamcli validate warns: $said"
for element in "<id>$kind</id>" "<name>$name</name>" "<summary>${description%.}</summary>" \
  "<launchable type=\"desktop-id\">$kind.desktop</launchable>" "<release version=\"$version\" date=\""; do
  grep -qF "$element" "$metainfo" || fail "the metadata lacks $element"
done
grep -qF "$description" "$metainfo" || fail "the metadata's description lacks \"$description\""

# The unit, run by the manager of a user session: verified offline, without
# one (systemd-analyze needs only a runtime folder of its own for that).
unit=$work/corvane-widget.service
sed "s|@CMAKE_INSTALL_FULL_BINDIR@|$folder|" "$data/corvane-widget.service.in" >"$unit"
grep -qxF "Description=$name desktop widget" "$unit" || fail "the unit's Description does not name \"$name\""
mkdir -m 700 "$work/runtime"
said=$(XDG_RUNTIME_DIR=$work/runtime systemd-analyze verify --user "$unit" 2>&1) ||
  fail "systemd-analyze verify --user: $said"
[[ -z $said ]] || fail "systemd-analyze verify --user says: $said"

((failures == 0)) || exit 1
echo "ok: $kind"
