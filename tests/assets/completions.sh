#!/usr/bin/env bash
# The shell completions against the program they complete: every subcommand
# and every option that `--help` lists (for the program and for each
# subcommand) is offered by bash, zsh and fish, each option's listed values
# are offered after it, and a positional argument completes as a file name.
# The lists come from the program, so a new option must reach the
# completions through the generator, not by hand.
# Usage: completions.sh CORVANE_WIDGET_BINARY COMPLETIONS_DIR
set -euo pipefail
bin=$(realpath "$1")
dir=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../kit/common.sh"
require_tools bash zsh fish

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# What --help lists: subcommands under "Subcommands:", options as the first
# word of a line starting with "  -" (names split at commas), and an option's
# values where its type reads TEXT:{a,b,c}.
"$bin" --help >"$work/help" || { echo "FAIL: $bin --help failed" >&2; exit 1; }
subcommands() { awk '/^Subcommands:/{on=1; next} on && /^  [a-z]/{print $1}' "$work/help"; }
options() {  # [subcommand]
  awk '/^  -/{n=split($1, names, ","); for (i = 1; i <= n; i++) print names[i]}' "$work/help${1:+-$1}"
}
choices() {  # subcommand option
  awk -v opt="$2" '$1 == opt && match($0, /:\{[^}]*\}/) {
    s = substr($0, RSTART + 2, RLENGTH - 3); gsub(",", "\n", s); print s}' "$work/help-$1"
}

mapfile -t commands < <(subcommands)
for c in "${commands[@]}"; do "$bin" "$c" --help >"$work/help-$c"; done
((${#commands[@]} >= 8)) || { echo "FAIL: --help lists only ${#commands[@]} subcommands" >&2; exit 1; }

# Each query is a command line with the cursor at its end; each shell prints
# "QUERY<TAB>MATCH" lines for all of them at once.
queries=("corvane-widget " "corvane-widget -")
for c in "${commands[@]}"; do queries+=("corvane-widget $c -"); done
declare -A expected  # query -> the words it must offer, one a line
expected["corvane-widget "]=$(printf '%s\n' "${commands[@]}")
expected["corvane-widget -"]=$(options)
for c in "${commands[@]}"; do
  expected["corvane-widget $c -"]=$(options "$c")
  while read -r opt; do
    values=$(choices "$c" "$opt")
    if [[ -n $values ]]; then
      queries+=("corvane-widget $c $opt ")
      expected["corvane-widget $c $opt "]=$values
    fi
  done < <(options "$c")
done
# A positional argument (check FILE) completes as a file name (the shells
# run in $work).
touch "$work/snapshot-file.json"
queries+=("corvane-widget check snapshot-")
expected["corvane-widget check snapshot-"]=snapshot-file.json

bash_matches() {
  bash -c '
    source "$1"; shift
    function=$(complete -p corvane-widget | sed -E "s/.*-F ([^ ]+) .*/\1/")
    for query in "$@"; do
      read -r -a COMP_WORDS <<<"$query"
      [[ $query == *" " ]] && COMP_WORDS+=("")
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
      "$function"
      for m in "${COMPREPLY[@]}"; do printf "%s\t%s\n" "$query" "$m"; done
    done' bash "$dir/bash/corvane-widget" "${queries[@]}"
}
fish_matches() {
  fish -c 'source $argv[1]
    for query in $argv[2..-1]
      for m in (complete -C "$query")
        printf "%s\t%s\n" $query (string split -f1 \t -- $m)
      end
    end' "$dir/fish/corvane-widget.fish" "${queries[@]}"
}
zsh_matches() { zsh -f "$here/zsh_complete.zsh" "$dir/zsh" "${queries[@]}"; }

[[ -f $dir/zsh/_corvane-widget ]] && zsh -n "$dir/zsh/_corvane-widget" || fail "zsh: the completion does not parse"
[[ $(head -1 "$dir/zsh/_corvane-widget") == "#compdef corvane-widget" ]] || fail "zsh: no #compdef line"
cd "$work"
for shell in bash zsh fish; do
  "${shell}_matches" >"$work/$shell" 2>"$work/$shell.err" || fail "$shell: $(cat "$work/$shell.err")"
  for query in "${queries[@]}"; do
    while read -r word; do
      [[ -z $word ]] && continue
      grep -qxF "$query"$'\t'"$word" "$work/$shell" || fail "$shell: '$query' does not offer $word"
    done <<<"${expected[$query]}"
  done
done
# Values are only what the option lists: nothing else is offered after it.
for shell in bash zsh fish; do
  for query in "${queries[@]}"; do
    [[ $query == *" -"* && $query == *" " ]] || continue
    extra=$(awk -F '\t' -v q="$query" '$1 == q {print $2}' "$work/$shell" |
      grep -vxF -f <(echo "${expected[$query]}") || true)
    [[ -z $extra ]] || fail "$shell: '$query' also offers: $(echo $extra)"
  done
done
((failures == 0)) || exit 1
echo "ok: ${#queries[@]} command lines in bash, zsh and fish"
