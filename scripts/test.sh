#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every fuzz target for a short while and then every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
fuzz_seconds="${TARNOVA_FUZZ_SECONDS:-10}"

# Every source file keeps the project's .clang-format layout.
unformatted=$(git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run 2>&1 | grep -c "warning:" || true)
if [ "$unformatted" != "0" ]; then
    echo "clang-format: $unformatted places differ from .clang-format; run clang-format -i" >&2
    exit 1
fi

# Inside the core every include points down the layers.
bash scripts/check-layers.sh

# Fuzz targets: clang with libFuzzer, core only.
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNOVA_FUZZ=ON -DTARNOVA_SANITIZE=ON -DTARNOVA_GUI=OFF -DTARNOVA_TESTS=OFF
cmake --build build/fuzz
for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    cp -r samples/. "$work/" 2>/dev/null || true
    [ -d "fuzz/seeds/${name#fuzz_}" ] && cp -r "fuzz/seeds/${name#fuzz_}/." "$work/"
    echo "== $name for ${fuzz_seconds}s"
    "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=4096 -max_len=65536 \
        -print_final_stats=0 "$work" 2>&1 | tail -n 3
    rm -rf "$work"
done

# Unit, command-line and widget tests, sanitized.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNOVA_SANITIZE=ON
cmake --build build/asan
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen
ctest --test-dir build/asan --output-on-failure -j2
