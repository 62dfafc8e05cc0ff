#!/usr/bin/env bash
# Loads the extension's GNOME 45+ entry under gjs, as that Shell would (an ES
# module), with stand-ins for the Shell's own modules in place of its
# imports, on a private session bus, and runs keeper_test.js against it.
# Usage: esm_entry.sh EXTENSION_FOLDER (the build's gnome-shell/esm/UUID)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../kit/common.sh"
require_tools gjs dbus-run-session
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1"/metadata.json "$1"/*.js "$work/"
cp -r "$here/stubs" "$work/stubs"
# The Shell's modules, ours instead; GLib and Gio are the real ones.
sed -i -e "s|'gi://Meta'|'./stubs/Meta.js'|" -e "s|'gi://Clutter'|'./stubs/Clutter.js'|" \
  -e "s|'resource:///org/gnome/shell/ui/main.js'|'./stubs/main.js'|" \
  -e "s|'resource:///org/gnome/shell/extensions/extension.js'|'./stubs/extension.js'|" "$work/extension.js"
if grep -nE "from '(resource|gi://(Meta|Clutter|St|Shell))" "$work/extension.js" "$work/keeper.js"; then
  echo "FAIL: an import of the Shell's own is not stood in for" >&2
  exit 1
fi
GIO_USE_VFS=local dbus-run-session -- gjs -m "$here/keeper_test.js" "$work"
