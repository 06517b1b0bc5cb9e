#!/usr/bin/env bash
# Formats the C++ code with Debian 12's clang-format-14 and .clang-format
# (other versions of clang-format format differently).
#
#   scripts/format.sh          formats every tracked .cpp and .h file in place
#   scripts/format.sh --check  changes nothing; lists the files that are not
#                              formatted and fails when there is one
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format-14 >/dev/null || scripts/deps.sh
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
    unformatted=()
    for file in "${files[@]}"; do
        clang-format-14 --dry-run --Werror "$file" 2>/dev/null || unformatted+=("$file")
    done
    if [ ${#unformatted[@]} -gt 0 ]; then
        echo "Not formatted (scripts/format.sh formats them):"
        printf '  %s\n' "${unformatted[@]}"
        exit 1
    fi
    echo "Every C++ file is formatted."
else
    clang-format-14 -i "${files[@]}"
fi
