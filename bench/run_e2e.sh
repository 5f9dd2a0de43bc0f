#!/usr/bin/env bash
# End-to-end benchmark: times, alternating within one run, morvavl on a
# generated script against the floor program (the same answers, one write
# per line, nothing computed) and the straightforward std::map/std::endl
# program, with output to /dev/null; adds the tree-only time of the same
# operations. Prints median wall times, ratios and peak memory.
# Usage: bench/run_e2e.sh [KIND] [COUNT] [RUNS]   (build first with
#   cmake -S . -B build && cmake --build build -j2)
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-mixed}
count=${2:-1000000}
runs=${3:-7}
bin=build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/gen_script" "$kind" "$count" >"$work/script"
build/morvavl <"$work/script" >"$work/answers"

# One timed run: prints "seconds peak-KiB".
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" <"$work/script" >/dev/null
  cat "$work/time"
}

declare -A times mem
for ((i = 0; i < runs; i++)); do
  for prog in morvavl floor map; do
    case $prog in
    morvavl) read -r t m < <(measure build/morvavl) ;;
    floor) read -r t m < <(measure "$bin/floor" "$work/answers") ;;
    map) read -r t m < <(measure "$bin/map_baseline") ;;
    esac
    times[$prog]+="$t "
    mem[$prog]=$m
  done
done
tree_line=$("$bin/tree_only" <"$work/script")

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
m_morvavl=$(median "${times[morvavl]}")
m_floor=$(median "${times[floor]}")
m_map=$(median "${times[map]}")
tree=$(sed -E 's/.*tree ([0-9.]+) s.*/\1/' <<<"$tree_line")

echo "script: $kind, $count commands, $runs alternating runs, output to /dev/null"
printf '%-28s %8s %10s\n' program "median s" "peak KiB"
printf '%-28s %8s %10s\n' morvavl "$m_morvavl" "${mem[morvavl]}"
printf '%-28s %8s %10s\n' "floor (writes only)" "$m_floor" "${mem[floor]}"
printf '%-28s %8s %10s\n' "std::map + std::endl" "$m_map" "${mem[map]}"
echo "tree only: $tree_line"
awk -v a="$m_morvavl" -v f="$m_floor" -v m="$m_map" -v t="$tree" 'BEGIN {
  printf "morvavl / std::map version: %.2f\n", a / m
  printf "morvavl / (floor + tree only): %.2f\n", a / (f + t)
}'
