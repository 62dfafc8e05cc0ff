#!/usr/bin/env bash
# The manual page against the program it describes: it renders without a
# warning from groff or man (lintian's way of reading it), its NAME line
# makes a whatis entry, it names the program's version, and every subcommand
# and option that `--help` lists is in it, each option under its own
# command's heading.
# Usage: manual_page.sh CORVANE_WIDGET_BINARY MANUAL_PAGE.gz
set -euo pipefail
bin=$1
page=$2
source "$(dirname "$0")/../kit/common.sh"
require_tools groff man lexgrog col gzip

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

gzip -dc "$page" >"$work/page.1"
groff -ww -z -man "$work/page.1" 2>"$work/groff.err" || fail "groff failed"
[[ ! -s $work/groff.err ]] || fail "groff warns: $(cat "$work/groff.err")"
# What lintian runs (manpage-has-errors-from-man).
LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$work/page.1" >/dev/null \
  2>"$work/man.err" || fail "man failed"
[[ ! -s $work/man.err ]] || fail "man warns: $(cat "$work/man.err")"
lexgrog "$work/page.1" | grep -q ': "corvane-widget - ' || fail "no whatis entry: $(lexgrog "$work/page.1" || true)"

version=$("$bin" --version)
grep -qF ".TH \"CORVANE\\-WIDGET\" 1 " "$work/page.1" || fail "no .TH line"
grep -F '.TH ' "$work/page.1" | grep -qF "\"${version//-/\\-}\"" || fail "the page does not name $version"

# The page as a person reads it, one line per paragraph, and what --help lists.
MANWIDTH=1000 man -l "$work/page.1" 2>/dev/null | col -b >"$work/page.txt"
"$bin" --help >"$work/help"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
  grep -qx "$section" "$work/page.txt" || fail "no $section section"
done
options() { awk '/^  -/{n=split($1, names, ","); for (i = 1; i <= n; i++) print names[i]}'; }
# The options the page lists under a command's heading ("   NAME"), up to the next.
page_options() {  # heading
  awk -v h="   $1" '$0 == h {on=1; next} on && /^   [^ ]/ {on=0} on && /^       -/ {
    line = $0; gsub(/,/, " ", line); n = split(line, w, " ")
    for (i = 1; i <= n; i++) if (w[i] ~ /^-/) print w[i]}' "$work/page.txt"
}
top=$(awk '$0 == "OPTIONS" {on=1; next} on && /^[A-Z]/ {on=0} on && /^       -/ {
  line = $0; gsub(/,/, " ", line); n = split(line, w, " "); for (i = 1; i <= n; i++) if (w[i] ~ /^-/) print w[i]}' \
  "$work/page.txt")
while read -r opt; do grep -qxF -- "$opt" <<<"$top" || fail "OPTIONS lacks $opt"; done < <(options <"$work/help")
commands=$(awk '/^Subcommands:/{on=1; next} on && /^  [a-z]/{print $1}' "$work/help")
[[ -n $commands ]] || fail "--help lists no subcommands"
for c in $commands; do
  grep -qx "   $c" "$work/page.txt" || { fail "no heading for $c"; continue; }
  listed=$(page_options "$c")
  while read -r opt; do
    grep -qxF -- "$opt" <<<"$listed" || fail "$c: the page lacks $opt"
  done < <("$bin" "$c" --help | options)
done
((failures == 0)) || exit 1
echo "ok: $(wc -w <<<"$commands") commands"
