#!/usr/bin/env bash
# Installs what is missing, then:
#   - checks the clang-format layout and the layers of the core,
#   - builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang, -O0), the
#     fuzz targets included (the core instrumented for them), runs each fuzz target for a short
#     while and every test but the slow sweeps,
#   - builds everything as a Release (GCC, -O3; test code at -O1), which brings warnings only
#     the optimizer sees, runs every test, installs into a scratch prefix, checks the desktop
#     files, the manual pages and that the installed tarnova-cli draws without loading Qt
#     itself, makes the Debian package and has lintian check it.
# Warnings are errors in every build here. ccache is used when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
fuzz_seconds="${TARNOVA_FUZZ_SECONDS:-10}"
common=(-G Ninja -DTARNOVA_WERROR=ON)
if command -v ccache >/dev/null; then
    common+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Every source file keeps the project's .clang-format layout.
unformatted=$(git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run 2>&1 | grep -c "warning:" || true)
if [ "$unformatted" != "0" ]; then
    echo "clang-format: $unformatted places differ from .clang-format; run clang-format -i" >&2
    exit 1
fi

# Inside the core every include points down the layers.
bash scripts/check-layers.sh

# The sanitized build, fuzz targets included.
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
CC=clang CXX=clang++ cmake -S . -B build/asan-clang "${common[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DTARNOVA_SANITIZE=ON -DTARNOVA_FUZZ=ON
cmake --build build/asan-clang

# Fuzz targets, two at a time, each from its seed corpus fuzz/corpus/<name> (copied, so the
# corpus stays as committed). The last status line names the edges reached (cov:); a finding
# stops the test command.
fuzz_one() {
    local target=$1 name work
    name=$(basename "$target")
    work=$(mktemp -d)
    cp -r "fuzz/corpus/${name#fuzz_}/." "$work/"
    if ! "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=4096 -max_len=65536 \
        -artifact_prefix="$work/" "$work" >"$work.log" 2>&1; then
        tail -n 40 "$work.log"
        echo "$name: the input that failed is kept in $work" >&2
        return 1
    fi
    echo "$name (${fuzz_seconds}s): $(grep -E 'DONE' "$work.log" | tail -n 1)"
    rm -rf "$work" "$work.log"
}
export -f fuzz_one
export fuzz_seconds
find build/asan-clang/fuzz -maxdepth 1 -name 'fuzz_*' -type f -executable | sort |
    xargs -r -n 1 -P 2 bash -c 'fuzz_one "$0"'

# Unit, command-line and widget tests, sanitized; the slow sweeps run in the Release stage.
ctest --test-dir build/asan-clang --output-on-failure -j2 --label-exclude slow

# The Release build as users and packagers make it, tests included, and the benchmarks compiled
# (so that they keep building; they are run by hand, see docs/PERFORMANCE.md).
cmake -S . -B build/release-tests "${common[@]}" -DCMAKE_BUILD_TYPE=Release -DTARNOVA_BENCH=ON
cmake --build build/release-tests
ctest --test-dir build/release-tests --output-on-failure -j2

# What `cmake --install` and the package deliver.
prefix=$(mktemp -d)
cmake --install build/release-tests --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix"/share/applications/*.desktop
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml
update-mime-database "$prefix/share/mime"
grep -q "application/x-tarnova-pks" "$prefix/share/mime/globs2"
bash -n "$prefix/share/bash-completion/completions/tarnova-cli"
# tarnova-cli maps neither Qt nor CUPS; its drawing commands run in the installed drawing program.
if LD_TRACE_LOADED_OBJECTS=1 "$prefix/bin/tarnova-cli" | grep -E "libQt|libcups"; then
    echo "tarnova-cli loads the drawing libraries" >&2
    exit 1
fi
test -x "$prefix/libexec/tarnova/tarnova-cli-draw"
HOME="$prefix" "$prefix/bin/tarnova-cli" graph samples/argon_air.pks --numerator Ar40 \
    --denominator Ar36 --output "$prefix/graph.png"
test -s "$prefix/graph.png"
# The manual pages typeset without a warning (UTF-8, as man reads them).
for page in docs/*.1; do
    warnings=$(preconv -e utf-8 "$page" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done
rm -rf "$prefix"
rm -f build/release-tests/tarnova_*.deb
(cd build/release-tests && cpack >/dev/null)
dpkg-deb --field build/release-tests/tarnova_*.deb Package Version Depends
lintian --fail-on error,warning build/release-tests/tarnova_*.deb
