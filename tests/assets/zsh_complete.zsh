#!/usr/bin/env zsh
# Prints what zsh's completion system offers for each command line given
# (the cursor at its end), one "LINE<TAB>MATCH" per match: an interactive zsh
# on a pseudo-terminal, with the completion functions of FOLDER in front of
# $fpath, whose compadd also prints what it adds.
# Usage: zsh -f zsh_complete.zsh FOLDER LINE...
zmodload zsh/zpty || exit 1
folder=$1; shift
zpty session zsh -f -i
zpty -w session "PROMPT=''; fpath=(${(q)folder} \$fpath); autoload -U compinit; compinit -u -D"
# Markers are written split in two so that the terminal's echo of these
# lines never reads as one.
zpty -w session 'compadd () {
  if [[ ${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]]; then builtin compadd "$@"; return $?; fi
  local -a added; builtin compadd -A added "$@"
  local m; for m in $added; do print -r -- "<ma""tch>$m"; done
  builtin compadd "$@"
}'
zpty -w session "zstyle ':completion:*' menu no; bindkey '^I' complete-word"
zpty -w session "finished() { print -r -- '<fini''shed>' }; zle -N finished; bindkey '^T' finished"
for query in "$@"; do
  zpty -n -w session "$query"$'\t'
  zpty -n -w session $'\C-T'
  while zpty -r session line; do
    line=${${line//$'\r'/}%$'\n'}
    [[ $line == *'<finished>'* ]] && break
    [[ $line == *'<match>'* ]] && print -r -- "$query"$'\t'"${line##*<match>}"
  done
  zpty -n -w session $'\C-U'
done
zpty -d session
