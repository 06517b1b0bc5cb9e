#!/usr/bin/env bash
# Builds and runs the benchmarks: the shape evaluation and edits, the closed
# mesh and its file export, the bloom's blur, the strip drawing and the
# editor's frame on a virtual display, the off-screen pictures and sheet and
# the animations with no display, the editor's Export beside shapetool's,
# and the animations' peak memory. Arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build/bench/bench_shape "$@"
build/bench/bench_mesh "$@"
build/bench/bench_blur "$@"
scripts/virtual_display.sh build/bench/bench_render "$@"
scripts/virtual_display.sh build/bench/bench_frame "$@"
env -u DISPLAY build/bench/bench_offscreen "$@"
env -u DISPLAY build/bench/bench_animate "$@"
build/bench/bench_export "$@"
scripts/animate_memory.sh
