#!/usr/bin/env bash
# The layer check on a small core of its own: each include below either passes or is named.
set -euo pipefail
check=$1
core=$(mktemp -d)
trap 'rm -rf "$core"' EXIT

# file, include line, "ok" or the message expected for it
cases=(
    'platform/a.cpp|#include "calc/x.h"|src/core/platform/a.cpp:1: platform may not include calc/x.h'
    'data/b.cpp|#include "settings/y.h"|src/core/data/b.cpp:1: data may not include settings/y.h'
    'settings/c.h|#include "data/z.h"|src/core/settings/c.h:1: settings may not include data/z.h'
    'editor/d.cpp|#include "nowhere/x.h"|src/core/editor/d.cpp:1: editor may not include nowhere/x.h'
    'results/e.cpp|#include "shell/s.h"|src/core/results/e.cpp:1: results may not include shell/s.h'
    'bogus/f.h|#include "platform/p.h"|src/core/bogus/f.h: folder '"'"'bogus'"'"' is no layer'
    'calc/g.cpp|#include "platform/w.h"|ok'
    'calc/h.cpp|#include "calc/v.h"|ok'
    'editor/i.cpp|  #  include "shell/q.h"|src/core/editor/i.cpp:1: editor may not include shell/q.h'
    'document/j.cpp|#include <vector>|ok'
    'settings/k.cpp|#include "platform/t.h"|ok'
)
expected=$(mktemp)
for entry in "${cases[@]}"; do
    IFS='|' read -r file include message <<<"$entry"
    mkdir -p "$core/$(dirname "$file")"
    printf '%s\n' "$include" >"$core/$file"
    [ "$message" = ok ] || echo "$message" >>"$expected"
done

status=0
actual=$(bash "$check" "$core" 2>&1 >/dev/null) || status=$?
if [ "$status" -ne 1 ]; then
    echo "exit status $status instead of 1" >&2
    exit 1
fi
if ! diff <(sort "$expected") <(sort <<<"$actual"); then
    echo "the messages differ (< expected, > printed)" >&2
    exit 1
fi

# Without the offending files the check passes.
for entry in "${cases[@]}"; do
    IFS='|' read -r file include message <<<"$entry"
    [ "$message" = ok ] || rm "$core/$file"
done
rmdir "$core/bogus"
bash "$check" "$core" | grep -qx "core layering: every include points down"
rm -f "$expected"
