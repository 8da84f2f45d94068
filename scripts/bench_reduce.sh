#!/usr/bin/env bash
# The speed and memory of one big reduction, side by side in one run: tarnova-cli reduce of the
# benchmark measurements (five labels, every ratio and abundance: 25 records) of each size
# given, the numpy/scipy script bench/numpy_reduce.py on the same file and, up to 10^5 peaks,
# the independent reference reduction tests/reference/reduce_reference.py (scipy; it writes the
# same IRD), taken in turn ROUNDS times; and the start-up of a typical 75-peak measurement
# (samples/argon_air.pks), 100 runs. With BEFORE set to an earlier tarnova-cli, that program
# reduces the same files in the same rounds, each time just before the build's, and its IRD is
# compared with the build's byte for byte.
# The measurement files are those calculation_bench writes (tarnova_bench_N.pks in the
# temporary folder); it is run once for a size whose file is missing.
#   [BEFORE=CLI] scripts/bench_reduce.sh BUILD [ROUNDS] [PEAKS...]
#   (BUILD: a Release build with benchmarks)
set -euo pipefail
build=$(realpath "$1")
rounds=${2:-3}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
if [ ${#sizes[@]} -eq 0 ]; then
    sizes=(100000 1000000)
fi
here=$(dirname "$(realpath "$0")")/..
cli=$build/src/cli/tarnova-cli
folder=${TMPDIR:-/tmp}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
labels=(--all-numerators --all-abundances --denominator Ar36 --denominator Ar37
        --denominator Ar38 --denominator Ar39 --denominator Ar40)
measure() { # label, command...: wall clock, CPU (user + system) and maximum resident set
    local label=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/times" "$@" >/dev/null 2>&1
    read -r wall user system memory <"$work/times"
    printf '| %s | %.3f s | %.3f s | %.1f MB |\n' "$label" "$wall" \
        "$(echo "$user + $system" | bc)" "$(echo "scale=1; $memory / 1024" | bc)"
}
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| run | wall clock | CPU (user + system) | maximum resident set |"
echo "|---|---|---|---|"
for peaks in "${sizes[@]}"; do
    file=$folder/tarnova_bench_$peaks.pks
    if [ ! -f "$file" ]; then
        "$build/bench/calculation_bench" --benchmark_filter="LoadAndCalculate/$peaks\$" >/dev/null
    fi
    if [ -n "${BEFORE:-}" ]; then
        cmp <("$BEFORE" reduce "$file" "${labels[@]}") <("$cli" reduce "$file" "${labels[@]}") ||
            { echo "$peaks peaks: the IRD differs from that of $BEFORE" >&2; exit 1; }
    fi
    for round in $(seq "$rounds"); do
        if [ -n "${BEFORE:-}" ]; then
            measure "$peaks peaks, earlier tarnova-cli reduce ($round)" "$BEFORE" reduce "$file" \
                "${labels[@]}"
        fi
        measure "$peaks peaks, tarnova-cli reduce ($round)" "$cli" reduce "$file" "${labels[@]}"
        measure "$peaks peaks, numpy/scipy script ($round)" /usr/bin/python3 \
            "$here/bench/numpy_reduce.py" "$file"
        if [ "$peaks" -le 100000 ]; then
            measure "$peaks peaks, reference reduction ($round)" /usr/bin/python3 \
                "$here/tests/reference/reduce_reference.py" --cli "$cli" "$file" "${labels[@]}"
        fi
    done
done
start=$(date +%s%N)
for _ in $(seq 100); do
    "$cli" reduce "$here/samples/argon_air.pks" "${labels[@]}" >/dev/null
done
end=$(date +%s%N)
echo "75 peaks, 100 runs of tarnova-cli reduce: $(((end - start) / 100000)) µs wall clock each"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
