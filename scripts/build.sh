#!/usr/bin/env bash
# Configures and builds the optimised tree in build/. Extra arguments go to
# CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build build -j "$(nproc)"
