#!/usr/bin/env bash
# Lists every #include that runs from a module to one on its own floor or
# above, and exits non-zero when there is any. The floors, from the ground
# up, are the order in which the modules may lean on each other: a file may
# include its own module and modules on lower floors only. A module's tests
# (tests/MODULE/) stand on its floor; tests/support, tests/e2e, tests/fields
# (a saved field through every module) and bench/ stand on top.
set -euo pipefail
cd "$(dirname "$0")/.."

floors=(
    "runtime"
    "params output"
    "shape snippet font animation"
    "mesh scene panel"
    "export"
    "screen offscreen explore"
    "app tool"
)
declare -A floor_of
for floor in "${!floors[@]}"; do
    for module in ${floors[$floor]}; do
        floor_of[$module]=$floor
    done
done
top=${#floors[@]}

# The module a file belongs to, or nothing for files outside the modules.
module_of() {
    local path=$1 first=${1%%/*}
    if [ "$first" = tests ]; then
        path=${path#tests/}
        first=${path%%/*}
    fi
    [ -n "${floor_of[$first]+set}" ] && echo "$first"
    return 0
}

arrows=0
while IFS= read -r file; do
    from=$(module_of "$file")
    case "$file" in
        bench/* | tests/support/* | tests/e2e/* | tests/fields/*) from_floor=$top ;;
        *) [ -n "$from" ] || continue; from_floor=${floor_of[$from]} ;;
    esac
    while IFS= read -r included; do
        to=${included%%/*}
        [ -n "${floor_of[$to]+set}" ] || continue
        [ "$to" = "$from" ] && continue
        if [ "${floor_of[$to]}" -ge "$from_floor" ]; then
            echo "$file -> $included"
            arrows=$((arrows + 1))
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp')

if [ "$arrows" -gt 0 ]; then
    echo "$arrows includes run from a module to one on its own floor or above"
    exit 1
fi
echo "No include runs back up."
