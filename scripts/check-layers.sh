#!/usr/bin/env bash
# Every include inside src/core points down the layers (or stays in its own folder):
#   platform < data, settings (siblings that do not include each other) < editor < document
#   < calc < results < shell
# Prints each offending line and exits 1 when there is one. One pass over the sources.
set -euo pipefail
# An optional argument names another core folder (the script's own test uses one).
cd "${1:-$(dirname "$0")/../src/core}"
grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' --include='*.h' --include='*.cpp' -- */ |
    awk '
    BEGIN {
        split("platform:0 data:1 settings:1 editor:2 document:3 calc:4 results:5 shell:6", pairs, " ")
        for (i in pairs) {
            split(pairs[i], pair, ":")
            rank[pair[1]] = pair[2]
        }
        status = 0
    }
    {
        # file:line:text, where text is the include line
        file = $0; sub(/:.*/, "", file)
        rest = substr($0, length(file) + 2)
        line = rest; sub(/:.*/, "", line)
        text = substr(rest, length(line) + 2)
        from = file; sub(/\/.*/, "", from)
        target = text; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
        to = target; sub(/\/.*/, "", to)
        if (!(from in rank)) {
            print "src/core/" file ": folder '\''" from "'\'' is no layer" > "/dev/stderr"
            status = 1
            next
        }
        if (from == to) next
        if (!(to in rank) || rank[to] >= rank[from]) {
            print "src/core/" file ":" line ": " from " may not include " target > "/dev/stderr"
            status = 1
        }
    }
    END {
        if (status == 0) print "core layering: every include points down"
        exit status
    }'
