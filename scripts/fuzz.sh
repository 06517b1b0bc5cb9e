#!/usr/bin/env bash
# The fuzz targets (tests/fuzz/), built with clang in build-fuzz/ with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/fuzz.sh TARGET [SECONDS]  fuzz TARGET (snippet, command_line, mesh
#                                     or panel) for SECONDS (default 600) from
#                                     its corpus, tests/fuzz/corpus/TARGET;
#                                     inputs that reach new paths go to
#                                     build-fuzz/found/TARGET, a failing one to
#                                     build-fuzz/crashes/
#   scripts/fuzz.sh --ci [SECONDS]    replay every corpus, then fuzz each
#                                     target SECONDS (default 30) from a fixed
#                                     seed: what the test command runs
#   scripts/fuzz.sh --merge TARGET    add to the corpus the inputs in
#                                     build-fuzz/found/TARGET that reach
#                                     something it does not (-merge=1)
#   scripts/fuzz.sh --build           only build the targets
set -euo pipefail
cd "$(dirname "$0")/.."
# Absolute paths: a target may run in a folder of its own.
root=$PWD
targets=(snippet command_line mesh panel)

build() {
    scripts/deps.sh
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUPERSHAPE_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$(nproc)" --target fuzz_targets >build-fuzz/build.log 2>&1 || {
        cat build-fuzz/build.log
        exit 1
    }
}

# libFuzzer's options for a target: the longest input worth trying, a
# dictionary where the input has a grammar, and limits that make a hang or a
# leak of memory a failure.
options() {
    local target=$1
    declare -A longest=([snippet]=8192 [command_line]=512 [mesh]=512 [panel]=4096)
    echo "-max_len=${longest[$target]} -timeout=10 -rss_limit_mb=2048"
    [ -f "tests/fuzz/$target.dict" ] && echo "-dict=$root/tests/fuzz/$target.dict"
    return 0
}

run() {
    local target=$1
    shift
    # shellcheck disable=SC2046 # the options are separate words
    env -u DISPLAY "$root/build-fuzz/tests/fuzz/${target}_fuzz" $(options "$target") "$@"
}

# The inputs a target starts from: its corpus and, for the snippet reader,
# the example snippets, which the corpus does not copy.
seeds() {
    echo "$root/tests/fuzz/corpus/$1"
    [ "$1" = snippet ] && echo "$root/examples"
    return 0
}

fuzz() {
    local target=$1 seconds=$2
    shift 2
    # libFuzzer reads anything else as 0, which is "run for ever".
    [[ $seconds =~ ^[1-9][0-9]{0,6}$ ]] || {
        echo "scripts/fuzz.sh: SECONDS is a whole number from 1 to 9999999, not '$seconds'"
        exit 1
    }
    mkdir -p "build-fuzz/found/$target" build-fuzz/crashes
    # shellcheck disable=SC2046 # one word a folder
    run "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$root/build-fuzz/crashes/$target-" \
        "$@" "$root/build-fuzz/found/$target" $(seeds "$target")
}

case ${1:-} in
--build)
    build
    ;;
--ci)
    build
    for target in "${targets[@]}"; do
        # shellcheck disable=SC2046 # one word a file
        run "$target" $(find $(seeds "$target") -type f) >"build-fuzz/$target.replay.log" 2>&1 || {
            cat "build-fuzz/$target.replay.log"
            echo "$target: a corpus input fails"
            exit 1
        }
    done
    echo "Every corpus input passes."
    for target in "${targets[@]}"; do
        fuzz "$target" "${2:-30}" -seed=1 >"build-fuzz/$target.fuzz.log" 2>&1 || {
            tail -n 40 "build-fuzz/$target.fuzz.log"
            echo "$target: fuzzing found a failing input (build-fuzz/crashes/)"
            exit 1
        }
        echo "$target: $(grep -E '^Done|stat::number_of_executed_units' "build-fuzz/$target.fuzz.log" | tr '\n' ' ')"
    done
    ;;
--merge)
    [[ " ${targets[*]} " == *" ${2:-none} "* ]] || {
        echo "scripts/fuzz.sh: --merge takes a target: ${targets[*]}"
        exit 1
    }
    build
    run "$2" -merge=1 "$root/tests/fuzz/corpus/$2" "$root/build-fuzz/found/$2"
    ;;
snippet | command_line | mesh | panel)
    build
    fuzz "$1" "${2:-600}"
    ;;
*)
    sed -n '2,19p' "$0"
    exit 1
    ;;
esac
