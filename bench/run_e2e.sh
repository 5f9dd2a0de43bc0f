#!/usr/bin/env bash
# End-to-end benchmark: times, alternating within one run, morvavl on a
# generated script against the floor program (the same answers, one write
# per line, nothing computed) and the straightforward std::map/std::endl
# program, with output to /dev/null; adds the tree-only time of the same
# operations. Prints median wall times, ratios, peak memory, and what one
# write(2) of an answer line costs here: the floor is little else, so every
# ratio against it, or against the std::map program, depends on that cost.
# The floor's answers are kept in a scratch directory under $TMPDIR (820 MB
# for the listing script), removed at the end.
# Usage: bench/run_e2e.sh [KIND] [COUNT] [RUNS]   (build first with
#   cmake -S . -B build && cmake --build build -j2)
#
# bench/run_e2e.sh scaling [RUNS] [N...] instead times, alternating, the
# scaling scripts of morvavl-generate (N inserts, then 100,000 commands of one
# kind) for each N (default 10000 100000 1000000) and prints the time per
# command of each kind: the script's median minus the median of its inserts
# alone.
#
# MORVAVL=path/to/morvavl times another build of the program.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-mixed}
bin=build/bench
program=${MORVAVL:-build/morvavl}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

if [ "$kind" = scaling ]; then
  runs=${2:-5}
  sizes=("${@:3}")
  [ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
  kinds=(base id position name)
  echo "scaling: $runs alternating runs, output to /dev/null; per command:" \
    "(median - median of base) / commands"
  printf '%9s %-9s %9s %9s %12s\n' N kind commands "median s" "us/command"
  for n in "${sizes[@]}"; do
    declare -A times=()
    for k in "${kinds[@]}"; do
      build/tools/morvavl-generate "scale-$k" "$n" >"$work/$k"
    done
    for ((i = 0; i < runs; i++)); do
      for k in "${kinds[@]}"; do
        start=$EPOCHREALTIME
        "$program" <"$work/$k" >/dev/null
        times[$k]+="$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {print b - a}') "
      done
    done
    base=$(median "${times[base]}")
    for k in "${kinds[@]}"; do
      commands=$(($(head -n 1 "$work/$k") - n))
      m=$(median "${times[$k]}")
      awk -v n="$n" -v k="$k" -v c="$commands" -v m="$m" -v b="$base" 'BEGIN {
        printf "%9d %-9s %9d %9.3f %12s\n", n, k, c, m,
          c ? sprintf("%.3f", (m - b) * 1e6 / c) : "-"
      }'
    done
    unset times
  done
  exit 0
fi

count=${2:-1000000}
runs=${3:-7}

build/tools/morvavl-generate "$kind" "$count" >"$work/script"
"$program" <"$work/script" >"$work/answers"

# One timed run: prints "seconds peak-KiB".
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" <"$work/script" >/dev/null
  cat "$work/time"
}

declare -A times mem
for ((i = 0; i < runs; i++)); do
  for prog in morvavl floor map; do
    case $prog in
    morvavl) read -r t m < <(measure "$program") ;;
    floor) read -r t m < <(measure "$bin/floor" "$work/answers") ;;
    map) read -r t m < <(measure "$bin/map_baseline") ;;
    esac
    times[$prog]+="$t "
    mem[$prog]=$m
  done
done
tree_line=$("$bin/tree_only" <"$work/script")

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
answers=$(wc -l <"$work/answers")
awk -v a="$m_morvavl" -v f="$m_floor" -v m="$m_map" -v t="$tree" -v n="$answers" 'BEGIN {
  printf "morvavl / std::map version: %.2f\n", a / m
  printf "morvavl / (floor + tree only): %.2f\n", a / (f + t)
  printf "one write(2) of an answer line, from the floor: %.3f us (%d lines)\n", f * 1e6 / n, n
}'
