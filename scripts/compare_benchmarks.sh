#!/usr/bin/env bash
# Runs the benchmarks of two builds in turn on this machine, five times each,
# and prints each benchmark's median real time for both and the change:
# a change must not make any benchmark slower beyond noise (5 %).
#
# Usage: scripts/compare_benchmarks.sh OLD_BUILD NEW_BUILD [ROUNDS]
#        (two build folders with bench/, such as a worktree's build/ and build/)
# Google Benchmark's arguments can follow in BENCHMARK_ARGS.
set -euo pipefail
[ $# -ge 2 ] || {
    echo "usage: scripts/compare_benchmarks.sh OLD_BUILD NEW_BUILD [ROUNDS]" >&2
    exit 2
}
cd "$(dirname "$0")/.."
old=$(realpath "$1") new=$(realpath "$2") rounds=${3:-5}
results=$(mktemp -d "${TMPDIR:-/tmp}/compare_benchmarks.XXXXXX")
trap 'rm -rf "$results"' EXIT

# The benchmarks and how each runs: on a virtual display or with none.
run() {
    local binary=$1 out=$2 csv=$results/run.csv
    local arguments=(--benchmark_out="$csv" --benchmark_out_format=csv ${BENCHMARK_ARGS:-})
    case $(basename "$binary") in
    bench_render | bench_frame) scripts/virtual_display.sh "$binary" "${arguments[@]}" ;;
    *) env -u DISPLAY "$binary" "${arguments[@]}" ;;
    esac >/dev/null 2>&1 || true
    grep '^"' "$csv" >>"$out" || true
}

for bench in bench_shape bench_mesh bench_blur bench_render bench_frame bench_offscreen; do
    for round in $(seq "$rounds"); do
        run "$old/bench/$bench" "$results/old"
        run "$new/bench/$bench" "$results/new"
    done
done

# "name",iterations,real_time,cpu_time,time_unit,...: the median real time of each name, in its unit.
median() {
    sort -t, -k1,1 -k3,3g "$1" | awk -F, '
        { name = $1; times[name] = times[name] " " $3; unit[name] = $5; count[name]++ }
        END { for (n in times) { split(substr(times[n], 2), t, " "); print n, t[int((count[n] + 1) / 2)], unit[n] } }' |
        sort
}
join <(median "$results/old") <(median "$results/new") | awk '
    BEGIN { worst = 0; printf "%-60s %14s %14s %8s\n", "benchmark (median of rounds)", "old", "new", "change" }
    { change = ($4 - $2) / $2 * 100; if (change > worst) worst = change
      printf "%-60s %12.4g%s %12.4g%s %+7.1f%%\n", $1, $2, $3, $4, $5, change }
    END { printf "slowest change: %+.1f%%\n", worst; exit worst > 5 }'
