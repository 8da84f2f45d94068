#!/usr/bin/env bash
# A report of the argon sample printed through a real spooler: a private CUPS scheduler with a
# cups-pdf queue (scripts/private-cupsd.sh). Checks the PDF the queue wrote (its pages, and ink
# where the layout puts the data-point table and the graph's frame) and the texts of the same
# report written directly as a PDF (the spooler turns fonts into outlines, so its PDF has no
# text to read). Exits 77 (skipped) when no spooler can be had here.
#
# usage: print_through_cups.sh TARNOVA-CLI SOURCE-DIR
set -euo pipefail
cli=$1
source_dir=$2
for tool in pdfinfo pdftoppm pdftotext python3; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool (package poppler-utils)"; exit 77; }
done

work=$(mktemp -d /tmp/tarnova-spooler.XXXXXX)
chmod 755 "$work" # the scheduler's filters read the jobs in it as user lp
queue="tarnova-test-$$"
cleanup() {
    bash "$source_dir/scripts/private-cupsd.sh" stop "$work/cups" || true
    rm -rf "$work" || true
}
trap cleanup EXIT

set +e
environment=$(bash "$source_dir/scripts/private-cupsd.sh" start "$work/cups" "$queue")
status=$?
set -e
if [ $status -eq 77 ]; then
    echo "skipped: no spooler here"
    exit 77
fi
[ $status -eq 0 ] || { echo "the private spooler failed ($status)"; exit 1; }
eval "$environment"

sample="$source_dir/samples/argon_air.pks"
choices=(--ini "$work/none.ini" --numerator Ar40 --denominator Ar36 --all-abundances)
records=$("$cli" reduce "$sample" "${choices[@]}" --output-flags none | grep -c $'\t[AR]\t')

# Through the spooler.
"$cli" report "$sample" "${choices[@]}" --printer "$queue"
printed=""
for _ in $(seq 1 120); do
    printed=$(ls "$work/cups/out/"*.pdf 2>/dev/null | head -n 1 || true)
    if [ -n "$printed" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then
        break
    fi
    printed=""
    sleep 0.5
done
[ -n "$printed" ] || { echo "the queue wrote no PDF"; tail -n 20 "$work/cups/log/error_log"; exit 1; }
# cups-pdf names the file after the job, which the report names "Tarnova - Result".
case $(basename "$printed") in
Tarnova_-_Result*) ;;
*) echo "job not named after the report: $(basename "$printed")"; exit 1 ;;
esac
pages=$(pdfinfo "$printed" | sed -n 's/^Pages: *//p')
if [ "$pages" != "$records" ]; then
    echo "the spooler printed $pages pages for $records reports"
    exit 1
fi
pdftoppm -q -r 100 -gray -aa no -aaVector no -thinlinemode solid "$printed" "$work/page"
for page in "$work"/page-*.pgm; do
    python3 "$source_dir/tests/spooler/ink_check.py" "$page" 100
done

# Directly into a PDF file: the same pages, with their texts.
"$cli" report "$sample" "${choices[@]}" --output "$work/report.pdf"
[ "$(pdfinfo "$work/report.pdf" | sed -n 's/^Pages: *//p')" = "$records" ] ||
    { echo "the PDF file does not have $records pages"; exit 1; }
text=$(pdftotext -layout "$work/report.pdf" -)
for expected in "argon_air.pks" "Ar40/Ar36" "データ数:" "平均値:" "時刻" "データ" "r = "; do
    grep -qF -- "$expected" <<<"$text" || { echo "no \"$expected\" in the report"; exit 1; }
done
echo "printed $pages pages through $queue"
