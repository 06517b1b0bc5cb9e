#!/usr/bin/env bash
# Runs two shapetool binaries over one fixed matrix of commands and compares
# everything they give: each file written, standard output, standard error
# and the exit status. The matrix: the example snippets and a few made here
# (every byte class in rot_str, the smallest closed grid, a see-through tiny
# shape, a blank in the name) and a shape from flags alone, in every export
# format as it is, with --fit, with --up y and z, --raw and -o -; a batch
# into --outdir; info and info --json; render, wire and solid; gallery;
# animate, a turntable, a morph and a video; a few refusals; every --help and
# --version.
#
# OLD runs twice first: a difference between those two runs means the
# matrix is not deterministic, and the comparison would prove nothing. 3MF
# archives are compared by their unpacked contents without lib3mf's random
# UUIDs.
#
# Usage: scripts/compare_outputs.sh OLD NEW   (two shapetool executables)
# Exits 0 when NEW gives exactly what OLD gives, 1 listing what differs.
set -euo pipefail
[ $# -eq 2 ] && [ -x "$1" ] && [ -x "$2" ] || {
    echo "usage: scripts/compare_outputs.sh OLD_SHAPETOOL NEW_SHAPETOOL" >&2
    exit 2
}
root=$(cd "$(dirname "$0")/.." && pwd)
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/compare_outputs.XXXXXX")
trap 'rm -rf "$work"' EXIT
formats=$("$new" export --help | sed -n 's/^ *--format \([a-z0-9|]*\) .*/\1/p' | tr '|' ' ')
[ -n "$formats" ] || formats="stl obj ply glb 3mf"

# The inputs: the examples and snippets made from one of them.
inputs=$work/inputs
mkdir "$inputs"
cp "$root"/examples/*.bas "$inputs"
# A snippet like `star` with each FIELD VALUE pair given in place of its own.
variant() {
    local name=$1 line field
    shift
    while IFS= read -r line; do
        for ((field = 1; field < $#; field += 2)); do
            # The examples end their lines with CR LF.
            [[ $line == $'\t\tparams.'"${!field} "* ]] && line="${line%%=*}=              ${@:field+1:1}"$'\r'
        done
        printf '%s\n' "$line"
    done <"$root/examples/star.bas" >"$inputs/$name"
}
variant odd.bas rot_str "$(printf '"rotations: & <x> ]]> \\ \\" \t\351 xy"')"
variant smallest.bas slices 2 bands 3
variant clear.bas color 'type(10,200,30,100)' scale 0.001 slices 40 bands 7
variant "a b.bas" m 6 n1 0.5

# The matrix, one command line a row; a row's files land in a folder of its own.
matrix() {
    local input format
    for input in "$inputs"/*.bas; do
        for format in $formats; do
            echo "export '$input' -o out.$format"
            echo "export '$input' -o out.$format --fit 40"
            echo "export '$input' -o out.$format --up y"
            echo "export '$input' -o out.$format --up z"
            echo "export '$input' -o out.$format --raw"
            echo "export '$input' -o - --format $format"
        done
        echo "info '$input'"
        echo "info '$input' --json --raw"
        echo "render '$input' -o out.png --size 160x120"
        echo "render '$input' -o out.png --size 160x120 --solid --turn 30"
    done
    for format in $formats; do
        echo "export --m 6 --n1 0.5 --slices 30 --bands 40 --color 1,2,3 -o flower.$format"
        echo "export '$inputs' --outdir meshes --format $format"
    done
    echo "info '$inputs' --json"
    echo "info --a 2 --b 0.5 --n3 7"
    echo "render '$inputs' --outdir pictures --size 64x48"
    echo "gallery '$inputs' -o sheet.png --columns 3 --thumb 64x48"
    echo "gallery '$inputs' -o sheet.png --solid --turn 20"
    echo "animate '$inputs/star.bas' -o out.webp --size 64x48 --frames 6"
    echo "animate '$inputs/star.bas' '$inputs/starfish.bas' --loop --turn 180 --wire -o out.gif --size 64x48 --frames 6 --frames-dir frames"
    echo "animate '$inputs/star.bas' -o out.mp4 --size 64x48 --frames 6"
    # Refusals and their messages.
    echo "export '$inputs/star.bas' --slices 1 -o out.stl"
    echo "export '$inputs/star.bas' -o out.xyz"
    echo "export missing.bas -o out.stl"
    echo "render '$inputs/star.bas' -o out.jpg"
    echo "gallery -o sheet.png"
    echo "animate '$inputs/star.bas' -o out.avi"
    echo "animate '$inputs/star.bas' --transparent -o out.mp4"
    echo "info"
    echo "frobnicate"
    echo "--version"
    echo "--help"
    local command
    for command in info export render gallery animate; do
        echo "$command --help"
    done
}

# Runs the matrix with BINARY into folder RUN.
run_matrix() {
    local binary=$1 run=$2 row=0 line
    mkdir -p "$run"
    while IFS= read -r line; do
        row=$((row + 1))
        mkdir "$run/$row"
        printf '%s\n' "$line" >"$run/$row/command"
        (cd "$run/$row" && eval "env -u DISPLAY '$binary' $line" >stdout 2>stderr; echo $? >status) || true
    done < <(matrix)
    # lib3mf names each archive's parts with random UUIDs: 3MF files, and
    # standard output that holds one, are compared unpacked.
    local archive
    while IFS= read -r -d '' archive; do
        [ "$(head -c 4 "$archive" | od -An -tx1 | tr -d ' ')" = 504b0304 ] || continue
        mkdir "$archive.unpacked"
        unzip -qq "$archive" -d "$archive.unpacked"
        rm "$archive"
        find "$archive.unpacked" -type f -exec sed -i -E 's/UUID="[^"]*"/UUID=""/g' {} +
    done < <(find "$run" -type f -print0)
    # Messages name the binary's own path.
    find "$run" -name stderr -exec sed -i "s|$binary|SHAPETOOL|g" {} +
}

run_matrix "$old" "$work/old1"
run_matrix "$old" "$work/old2"
if ! diff -r -q "$work/old1" "$work/old2" >"$work/noise"; then
    echo "The matrix is not deterministic: OLD gave different results in two runs:"
    cat "$work/noise"
    exit 1
fi
run_matrix "$new" "$work/new"
rows=$(ls "$work/old1" | wc -l)
if diff -r -q "$work/old1" "$work/new" >"$work/differences"; then
    echo "Identical: $rows command lines, $(find "$work/new" -type f | wc -l) files and streams each."
    exit 0
fi
echo "Differences over $rows command lines:"
while IFS= read -r difference; do
    echo "$difference"
    file=$(sed -n 's/^Files \(.*\) and .* differ$/\1/p' <<<"$difference")
    if [ -n "$file" ]; then
        row=$(basename "$(dirname "$file")")
        echo "  command: $(cat "$(dirname "$file")/command" 2>/dev/null || echo "row $row")"
        diff "$file" "${file/old1/new}" 2>/dev/null | head -20 | sed 's/^/    /' || true
    fi
done <"$work/differences"
exit 1
