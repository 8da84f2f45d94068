#!/usr/bin/env bash
# The speed of batch reductions: COUNT typical measurements (75 peaks, 6 records each, written
# by make_archive.py) reduced to one CSV table by one call of tarnova-cli reduce, with one and
# with two jobs, and the same with an IRD file per measurement; beside a shell loop of single
# tarnova-cli reduce calls, timed on the first LOOP measurements and scaled to COUNT.
#   scripts/bench_batch.sh CLI [COUNT] [LOOP]
set -euo pipefail
cli=$(realpath "$1")
count=${2:-10000}
loop=${3:-500}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_archive.py" "$work/archive" --count "$count"
choice=(--numerator Ar37 --numerator Ar38 --numerator Ar39 --numerator Ar40
        --denominator Ar36 --abundance Ar36 --abundance Ar40)
cd "$work"
measure() { # label, command...: wall clock and CPU time (user + system) in seconds
    local label=$1
    shift
    /usr/bin/time -f "%e %U %S" -o times "$@" >/dev/null 2>&1 || true
    read -r wall user system <times
    printf '| %s | %.2f s | %.2f s |\n' "$label" "$wall" "$(echo "$user + $system" | bc)"
}
echo "| $count measurements | wall clock | CPU (user + system) |"
echo "|---|---|---|"
for jobs in 1 2; do
    measure "one call, --jobs $jobs, CSV table" "$cli" reduce archive "${choice[@]}" \
        --table t$jobs.csv --jobs "$jobs" --quiet
done
cmp t1.csv t2.csv
measure "one call, --jobs 2, CSV table and an IRD file each" "$cli" reduce archive \
    "${choice[@]}" --table t.csv --output ird --jobs 2 --quiet
mkdir -p single
names=(archive/*)
printf '%s\n' "${names[@]:0:$loop}" | xargs -n1 basename >names
/usr/bin/time -f "%e %U %S" -o times bash -c '
    while read -r name; do
        "$0" reduce "archive/$name" "${@}" --output "single/${name%.*}.IRD" || exit 1
    done <names' "$cli" "${choice[@]}"
read -r wall user system <times
scale=$(echo "$count / $loop" | bc -l)
printf '| shell loop of single calls, first %d, scaled to %d | %.0f s | %.0f s |\n' "$loop" \
    "$count" "$(echo "$wall * $scale" | bc -l)" "$(echo "($user + $system) * $scale" | bc -l)"
for name in $(cat names); do
    cmp "single/${name%.*}.IRD" "ird/${name%.*}.IRD"
done
echo "(the IRD files of the loop equal those of the batch)"
