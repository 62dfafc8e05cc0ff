#!/usr/bin/env bash
# The minimal writers of docs/snapshot-format.md, run as written there (their
# snapshot path pointed into a temporary home): each leaves the file decoding
# and nothing else in its folder, and a running headless host hears the
# reload each asks for. Skips (77) when python3 or node is missing, unless CI
# is set: there a missing tool is a failure.
# Usage: snapshot_writers.sh WIDGET DOC
set -euo pipefail
widget=$1 doc=$2
here=$(dirname "$0")
# shellcheck source=../kit/common.sh
source "$here/../kit/common.sh"
require_tools python3 node

tmp=$(mktemp -d)
host=
cleanup() {
  if [[ -n $host ]]; then kill "$host" 2>/dev/null || true; wait "$host" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The fenced blocks of one language, in order, into PREFIX-1, PREFIX-2, ...
blocks() {
  awk -v lang="$1" -v out="$2" '
    $0 == "```" lang { n++; f = out "-" n; next }
    /^```/ && f { close(f); f = ""; next }
    f { print > f }' "$doc"
}
blocks python "$tmp/py"
blocks js "$tmp/js"
[[ -f $tmp/py-2 && -f $tmp/js-2 ]] || fail "no writer and its use in $doc, for each language"

file="$tmp/home/Library/Application Support/Corvane/widget.json"
mkdir -p "$tmp/run" "$tmp/out"
# The writers find this program on the PATH, and it finds this host.
export PATH="$(dirname "$widget"):$PATH" XDG_RUNTIME_DIR="$tmp/run"
unset DBUS_SESSION_BUS_ADDRESS

"$widget" run --headless --out "$tmp/out" --snapshot "$file" --events >"$tmp/events" 2>"$tmp/host.err" &
host=$!
until_ok 10 compgen -G "$tmp/run/corvane-widget/host-*.sock" || fail "the host did not start: $(cat "$tmp/host.err")"
heard() { (($(grep -c '"event":"reload-requested"' "$tmp/events") >= $1)); }

reloads=0
for lang in python js; do
  case $lang in
    python)
      { cat "$tmp/py-1"; printf 'snapshot_path = lambda: %s\n' "\"$file\""; cat "$tmp/py-2"; } >"$tmp/writer.py"
      python3 "$tmp/writer.py" || fail "the Python writer failed" ;;
    js)
      { cat "$tmp/js-1"; printf 'snapshotPath = () => %s;\n' "\"$file\""; cat "$tmp/js-2"; } >"$tmp/writer.mjs"
      node "$tmp/writer.mjs" || fail "the JavaScript writer failed" ;;
  esac
  "$widget" check "$file" >/dev/null || fail "$lang: the file written does not decode"
  left=$(ls -A "$(dirname "$file")")
  [[ $left == widget.json ]] || fail "$lang: the folder holds $left"
  reloads=$((reloads + 1))
  until_ok 5 heard $reloads || fail "$lang: the host heard no reload"
  rm "$file"
done
echo "ok"
