#!/usr/bin/env bash
# Checks the include arrows and the code's form, builds everything and runs
# every test: unit tests, the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the off-screen tests
# with no display at all, the GL, end-to-end and package tests (the Debian
# package built, judged and run unpacked) on a virtual display, and the fuzz
# targets over their corpora and for a bounded time. Exits non-zero when
# anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/deps.sh
scripts/include_arrows.sh
scripts/format.sh --check
scripts/build.sh -DSUPERSHAPE_WERROR=ON
# The Khronos glTF validator judges the glb files the tests write.
validator=build-tools/gltf-validator
[ -d "$validator/node_modules/gltf-validator" ] || npm install --silent --no-audit --no-fund --prefix "$validator" gltf-validator@2.0.0-dev.3.10

# The sanitized build and the fuzz targets compile in the background, at low
# priority, while the tests of the first build run: the display tests mostly
# wait on the editor.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DSUPERSHAPE_SANITIZE=ON -DSUPERSHAPE_WERROR=ON >/dev/null
(nice -n 19 cmake --build build-sanitize -j "$jobs" --target unit_tests >build-sanitize/build.log 2>&1 &&
    nice -n 19 scripts/fuzz.sh --build) &
sanitized_build=$!
trap 'kill "$sanitized_build" 2>/dev/null || true' EXIT

(cd build && ctest -L unit --no-tests=error --output-on-failure -j "$jobs")
(cd build && env -u DISPLAY ctest -L offscreen --no-tests=error --output-on-failure -j "$jobs")
# One program at a time on the display: the end-to-end tests move the focus.
(cd build && ../scripts/virtual_display.sh ctest -L "gl|e2e|package" --no-tests=error --output-on-failure)

if ! wait "$sanitized_build"; then
    cat build-sanitize/build.log
    exit 1
fi
# The GL driver stays loaded, or LeakSanitizer takes what it keeps for leaks
# (tests/support/keep_libraries_loaded.cpp); ASan is then not the first
# library, which is as it should be for the programs the tests start.
(cd build-sanitize && LD_PRELOAD="$PWD/tests/libkeep_libraries_loaded.so" ASAN_OPTIONS=verify_asan_link_order=0 \
    ctest -L unit --no-tests=error --output-on-failure -j "$jobs")
# Every corpus replayed, then each fuzz target for half a minute from a fixed seed.
scripts/fuzz.sh --ci
echo "All tests passed."
