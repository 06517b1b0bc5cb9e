#!/usr/bin/env bash
# Breaks the code on purpose, one deliberate fault at a time, and says which
# the tests catch: each fault in scripts/faults.txt replaces one exact text in
# one file, the tree is built and the tests run, and the file is restored.
# A suite that is trimmed must still catch every fault it caught before.
#
#   scripts/faults.sh [NAME ...]   every fault, or those whose name contains
#                                  one of the NAMEs
#
# Builds in build-faults/ (the test libraries included), runs the unit,
# off-screen, GL and end-to-end tests on a virtual display (not the package
# test or the fuzz targets, which take minutes), and writes one line per
# fault to build-faults/faults.log and standard output:
#   caught NAME    a test failed
#   compile NAME   the build failed: the compiler caught it
#   missed NAME    every test passed
#   stale NAME     the text is not in the file exactly once: mend the list
set -euo pipefail
cd "$(dirname "$0")/.."
list=scripts/faults.txt
build=$PWD/build-faults
log=$build/faults.log

scripts/deps.sh
# The Khronos glTF validator judges glb files in the tests, as in the test command.
validator=build-tools/gltf-validator
[ -d "$validator/node_modules/gltf-validator" ] ||
    npm install --silent --no-audit --no-fund --prefix "$validator" gltf-validator@2.0.0-dev.3.10
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
mkdir -p "$build"
: >"$log"

wanted() {
    [ $# -eq 1 ] && return 0
    local name=$1 pattern
    shift
    for pattern in "$@"; do [[ $name == *"$pattern"* ]] && return 0; done
    return 1
}

# Replaces OLD, which must stand exactly once in FILE, by NEW.
break_file() {
    local file=$1 old=$2 new=$3 text
    text=$(<"$file")
    local rest=${text/"$old"/}
    [ ${#rest} -eq $((${#text} - ${#old})) ] || return 1
    [ "${rest/"$old"/}" = "$rest" ] || return 1
    printf '%s\n' "${text/"$old"/"$new"}" >"$file"
}

# One program at a time on the display: the end-to-end tests move the focus.
# A test that hangs fails after five minutes.
tests="--no-tests=error --stop-on-failure --timeout 300"

try_fault() {
    local name=$1 file=$2 old=$3 new=$4 outcome kept
    kept=$(mktemp)
    cp -p "$file" "$kept"
    if ! break_file "$file" "$old" "$new"; then
        outcome=stale
    elif ! cmake --build "$build" -j "$(nproc)" >"$build/fault_build.log" 2>&1; then
        outcome=compile
    elif (cd "$build" && ../scripts/virtual_display.sh sh -c "ctest -L 'unit|offscreen|gl' $tests -j $(nproc) &&
        ctest -L e2e $tests" </dev/null >"$build/fault_test.log" 2>&1); then
        outcome=missed
    else
        outcome=caught
    fi
    cp -p "$kept" "$file"
    touch "$file"
    rm -f "$kept"
    echo "$outcome $name" | tee -a "$log"
}

# The list (standard input, so the tests read none of it): blocks of "fault: NAME", "file: PATH", "old: TEXT", "new: TEXT";
# "<NL>" in a text stands for a line break; lines starting with # are comments.
name='' file='' old='' new=''
while IFS= read -r line || [ -n "$line" ]; do
    case $line in
    'fault: '*) name=${line#fault: } ;;
    'file: '*) file=${line#file: } ;;
    'old: '*) old=${line#old: } ;;
    'new: '*)
        new=${line#new: }
        if wanted "$name" "$@"; then
            try_fault "$name" "$file" "${old//<NL>/$'\n'}" "${new//<NL>/$'\n'}"
        fi
        ;;
    esac
done <"$list"
cmake --build "$build" -j "$(nproc)" >/dev/null
echo "$(grep -c '^caught' "$log") caught, $(grep -c '^compile' "$log") by the compiler," \
    "$(grep -c '^missed' "$log") missed, $(grep -c '^stale' "$log") stale"
