#!/usr/bin/env bash
# Builds and runs the benchmarks: the shape evaluation and edits, the closed
# mesh and its file export, the bloom's blur, and the strip drawing on a
# virtual display. Arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build/bench/bench_shape "$@"
build/bench/bench_mesh "$@"
build/bench/bench_blur "$@"
scripts/virtual_display.sh build/bench/bench_render "$@"
scripts/virtual_display.sh build/bench/bench_frame "$@"
