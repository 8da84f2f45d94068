#!/usr/bin/env bash
# Puts small hand-made faults into the core, one at a time, and tells for each whether the core
# tests notice it: a check that the tests still catch what they should.
#
#   bash scripts/fault-check.sh [--faults FILE] [--out FILE] [--from N] BUILD_DIR...
#
# FILE (scripts/faults.tsv by default) holds one fault per line: a path under src/core, a text
# that occurs exactly once in that file, and its replacement, separated by tabs. Each BUILD_DIR is
# a configured build tree; its source tree is the one its CMakeCache.txt names, so a second
# worktree at another commit compares that commit's tests with these. For every tree and fault the
# file is changed, tarnova_core_tests is rebuilt and run (without the tests labelled slow, stopping
# at the first failure), and the file is put back. A result line is "killed", "survived" or
# "no-build" (the fault does not compile), or "no-fault" where the text is not found once; they go
# to stdout and to --out as tab-separated lines. --from N starts at the N-th fault.
# Builds wait for the lock /tmp/tarnova-build.lock, so that only one build runs at a time.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
faults=$here/faults.tsv
out=/dev/null
from=1
while [[ $# -gt 0 ]]; do
    case $1 in
    --faults) faults=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    *) break ;;
    esac
done
[[ $# -ge 1 ]] || { echo "usage: $0 [--faults FILE] [--out FILE] [--from N] BUILD_DIR..." >&2; exit 2; }
lock=/tmp/tarnova-build.lock

build() {
    flock "$lock" cmake --build "$1" --target tarnova_core_tests </dev/null >"$1/fault-build.log" 2>&1
}

for tree in "$@"; do
    tree=$(cd "$tree" && pwd)
    source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$tree/CMakeCache.txt")
    commit=$(git -C "$source" rev-parse --short HEAD)
    build "$tree" || { echo "$tree does not build without faults" >&2; exit 1; }
    number=0
    while IFS=$'\t' read -r file text replacement; do
        [[ -z $file || $file == \#* ]] && continue
        number=$((number + 1))
        [[ $number -lt $from ]] && continue
        target=$source/src/core/$file
        saved=$(mktemp)
        cp -p "$target" "$saved"
        # Restores the file whatever happens, also when the script is interrupted.
        trap 'cp -p "$saved" "$target"; touch "$target"' EXIT
        : >"$tree/fault-run.log"
        if ! python3 - "$target" "$text" "$replacement" <<'PY'; then
import sys
path, text, replacement = sys.argv[1:]
content = open(path, encoding="utf-8").read()
if content.count(text) != 1:
    sys.exit(f"{path}: the text occurs {content.count(text)} times: {text}")
open(path, "w", encoding="utf-8").write(content.replace(text, replacement))
PY
            result=no-fault
        elif ! build "$tree"; then
            result=no-build
        elif timeout 600 env QT_QPA_PLATFORM=offscreen "$tree/tests/tarnova_core_tests" \
            --gtest_fail_fast --gtest_filter='-MillionValues/*' </dev/null >"$tree/fault-run.log" 2>&1; then
            result=survived
        else
            result=killed
        fi
        killer=$(sed -n 's/^\[  FAILED  \] \([^ ]*\).*/\1/p' "$tree/fault-run.log" | head -1)
        cp -p "$saved" "$target"
        touch "$target"
        rm -f "$saved"
        trap - EXIT
        line=$(printf '%s\t%s\t%s\t%s\t%s\t%s' "$commit" "$number" "$file" "$text" "$result" "$killer")
        echo "$line"
        echo "$line" >>"$out"
    done <"$faults"
    build "$tree"
done
