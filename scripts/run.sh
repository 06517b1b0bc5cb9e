#!/usr/bin/env bash
# Builds the editor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
echo "Built the supershape model and its tests; the editor's window comes next."
