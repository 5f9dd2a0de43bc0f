#!/usr/bin/env bash
# Functions stay short enough to hold in one's head: about 60 lines at most.
# A switch over the refusal rules and a table of options are exempt.
# Usage: check-function-size.sh BUILD (a build configured with
# CMAKE_EXPORT_COMPILE_COMMANDS=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
exempt="'refusalNote'|'optionsOf'"
found=$(for file in src/*.cpp tools/*/*.cpp web/*.cpp; do
  clang-tidy -p "$build" --quiet -checks='-*,readability-function-size' \
    -config='{CheckOptions: [{key: readability-function-size.LineThreshold, value: 60}]}' \
    "$file" 2>/dev/null | grep 'warning:' || true
done | grep -vE "function ($exempt) exceeds" || true)
if [ -n "$found" ]; then
  echo "$found"
  exit 1
fi
echo "function size: every function within 60 lines, but the exempt"
