#!/usr/bin/env bash
# Instruction counts of the paired figures of a benchmark program (bench/grid/PairedRatio.h),
# which do not move with the machine's load: the program runs under callgrind, each side of
# each figure once after a warm-up, and the ratio project / baseline is printed per figure
# (baseline / project for a speed-up).
#   bench/callgrind-ratios.sh build/bench/grid/grid_bench [--benchmark_filter=...]
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 BENCHMARK_PROGRAM [ARGUMENTS...]" >&2
    exit 2
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
valgrind --tool=callgrind --collect-atstart=no --dump-instr=no --callgrind-out-file="$out/cg.%p" "$@" >"$out/log" 2>&1 \
    || { cat "$out/log" >&2; exit 1; }
# Each dump names its figure and side; its summary line holds the instructions counted.
for f in "$out"/cg.*.*; do
    name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$f")
    count=$(sed -n 's/^summary: //p' "$f")
    [ -n "$name" ] && echo "$name $count"
done | sort | awk '
    { split($1, part, "/"); side = part[length(part)]; figure = substr($1, 1, length($1) - length(side) - 1)
      count[figure, side] = $2; figures[figure] = 1 }
    END {
        for (f in figures) {
            p = count[f, "project"]; b = count[f, "baseline"]
            if (p > 0 && b > 0)
                printf "%s: project %d, baseline %d instructions; project / baseline %.3f, baseline / project %.2f\n", f, p, b, p / b, b / p
        }
    }'
