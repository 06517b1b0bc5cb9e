#!/usr/bin/env bash
# Builds and runs the benchmarks: the shape evaluation and edits, and the
# strip drawing on a virtual display. Arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build/bench/bench_shape "$@"
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_render "$@"
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_frame "$@"
