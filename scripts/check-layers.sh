#!/usr/bin/env bash
# Every include inside src/core points down the layers (or stays in its own folder):
#   platform < data, settings (siblings that do not include each other) < editor < document
#   < calc < results < shell
# Prints each offending line and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../src/core"
declare -A rank=([platform]=0 [data]=1 [settings]=1 [editor]=2 [document]=3 [calc]=4
                 [results]=5 [shell]=6)
status=0
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    text=${rest#*:}
    from=${file%%/*}
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
    to=${target%%/*}
    if [ -z "${rank[$from]+x}" ]; then
        echo "src/core/$file: folder '$from' is no layer" >&2
        status=1
        continue
    fi
    [ "$from" = "$to" ] && continue
    if [ -z "${rank[$to]+x}" ] || [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
        echo "src/core/$file:$line: $from may not include $target" >&2
        status=1
    fi
done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' --include='*.h' --include='*.cpp' -- */)
[ "$status" -eq 0 ] && echo "core layering: every include points down"
exit "$status"
