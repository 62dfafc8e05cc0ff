# Shared by the desktop tests; sourced, not run.

# Skips (77) when one of the tools is missing, unless CI is set: there a
# missing tool is a failure, since scripts/setup installs them all.
require_tools() {
  local t
  for t in "$@"; do
    if ! command -v "$t" >/dev/null; then
      if [[ ${CI:-} == true ]]; then echo "missing $t (scripts/setup installs it)" >&2; exit 1; fi
      echo "skipping: $t is not installed (scripts/setup installs it)"; exit 77
    fi
  done
}

# Waits until `$@` succeeds, for at most $1 seconds.
until_ok() {
  local deadline=$1; shift
  local end=$((SECONDS + deadline))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < end)) || return 1
    sleep 0.1
  done
}
