#!/usr/bin/env bash
# Builds everything and runs every test: unit tests, the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the off-screen tests
# with no display at all, and the GL tests on a virtual display. Exits
# non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/build.sh -DSUPERSHAPE_WERROR=ON
(cd build && ctest -L unit --no-tests=error --output-on-failure -j "$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DSUPERSHAPE_SANITIZE=ON -DSUPERSHAPE_WERROR=ON
cmake --build build-sanitize -j "$jobs" --target unit_tests
(cd build-sanitize && ctest -L unit --no-tests=error --output-on-failure -j "$jobs")

(cd build && env -u DISPLAY ctest -L offscreen --no-tests=error --output-on-failure -j "$jobs")

# One program at a time on the display: the end-to-end tests move the focus.
(cd build && ../scripts/virtual_display.sh ctest -L "gl|e2e" --no-tests=error --output-on-failure)
echo "All tests passed."
