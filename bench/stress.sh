#!/usr/bin/env bash
# Stress run: a million ascending inserts, removals from the smallest upwards
# until a thousand records are left, then every listing. Reports time and
# peak memory, and checks under LeakSanitizer that everything is released.
# Usage: bench/stress.sh [COUNT]   (builds build/ and build-asan/ first)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000000}

cmake -S . -B build >/dev/null && cmake --build build -j2 >/dev/null
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVAVL_SANITIZE=ON >/dev/null
cmake --build build-asan -j2 --target morvavl >/dev/null

script=build/stress-script.txt
build/tools/morvavl-generate stress "$count" >"$script"
echo "script: $(wc -l <"$script") lines"

/usr/bin/time -f "release: %e s, peak RSS %M KiB, exit %x" \
  build/morvavl <"$script" >build/stress-answers.txt
echo "answers: $(wc -l <build/stress-answers.txt) lines;" \
  "level count at the end: $(tail -n 1 build/stress-answers.txt)"

ASAN_OPTIONS=detect_leaks=1 /usr/bin/time -f "sanitized: %e s, exit %x" \
  build-asan/morvavl <"$script" 2>build/stress-asan.txt | cmp - build/stress-answers.txt
if [ -s build/stress-asan.txt ] && grep -q ERROR build/stress-asan.txt; then
  cat build/stress-asan.txt
  exit 1
fi
echo "sanitized run: same answers, no leak or error reported"
