# Readings of a running process, from outside, for the bench scripts that
# source this file. CPU time of all its threads in nanoseconds (schedstat:
# clock ticks are too coarse for hundredths of a percent), its wakeups
# (voluntary context switches), and its private and resident memory (KiB).
cpu_ns() { local t s=0; for t in /proc/$1/task/*/schedstat; do s=$((s + $(cut -d' ' -f1 "$t"))); done; echo "$s"; }
wakeups() { awk '/^voluntary_ctxt_switches/{s+=$2} END{print s}' /proc/$1/task/*/status; }
private_kib() { awk '/^Private_(Clean|Dirty):/{s+=$2} END{print s}' "/proc/$1/smaps_rollup"; }
rss_kib() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
