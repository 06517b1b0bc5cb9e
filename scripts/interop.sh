#!/usr/bin/env bash
# Lets PrusaSlicer judge what shapetool writes: each example exported with
# --fit 40 as STL and 3MF must be one manifold object 40 mm at its largest,
# standing upright (its Z extent is the editor's Y extent), and the default
# shape must slice into G-code. ADMesh then reads the STL of every ring and
# twisted example and of random draws with rings and twists, and of three
# examples and five draws at 999 x 999 within 100,000 triangles, with a base
# and without: one part and nothing repaired; and PrusaSlicer slices a ring. Installs prusa-slicer and
# admesh when they are missing.
# Heavy (PrusaSlicer's start alone takes seconds), so it is not part of the
# tests; prints what it checked and exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
if ! command -v prusa-slicer >/dev/null || ! command -v admesh >/dev/null; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends prusa-slicer admesh
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export -n DISPLAY

failed=0
for snippet in examples/*.bas; do
    # The editor's extents: "  extent      X x Y x Z (...)".
    read -r ex ey ez < <(build/shapetool info "$snippet" | awk '$1 == "extent" { print $2, $4, $6 }')
    for format in stl 3mf; do
        file="$scratch/$(basename "$snippet" .bas).$format"
        build/shapetool export "$snippet" --fit 40 -q -o "$file"
        info=$(prusa-slicer --info "$file" 2>&1)
        size=$(echo "$info" | sed -n 's/^size_\([xyz]\) = \(.*\)/\2/p' | tr '\n' ' ')
        manifold=$(echo "$info" | sed -n 's/^manifold = \(.*\)/\1/p')
        # 40 mm at the largest, and the editor's Y extent as the Z extent.
        verdict=$(echo "$ex $ey $ez $size" | awk '
            function abs(v) { return v < 0 ? -v : v }
            function max(a, b, c) { return a > b ? (a > c ? a : c) : (b > c ? b : c) }
            { ok = abs(max($4, $5, $6) - 40) < 0.01 && abs($6 - 40 * $2 / max($1, $2, $3)) < 0.01
              print ok ? "ok" : "WRONG" }')
        echo "$(basename "$file"): manifold = $manifold, size = $size($verdict)"
        [ "$manifold" = yes ] && [ "$verdict" = ok ] || failed=1
    done
done

# The start values, given as one flag that keeps them.
build/shapetool export --scale 1 --fit 40 -q -o "$scratch/default.stl"
if prusa-slicer --export-gcode --raft-layers 2 --support-material --output "$scratch/default.gcode" \
    "$scratch/default.stl" >"$scratch/slice.log" 2>&1; then
    echo "default.stl at --fit 40: sliced, $(grep -c '^G1' "$scratch/default.gcode") moves"
else
    cat "$scratch/slice.log"
    failed=1
fi
# Rings and twists: ADMesh finds one part and repairs nothing.
build/shapetool random --rings-and-twists --count 12 --seed 7 --outdir "$scratch/draws" -q
# One part, nothing repaired.
admesh_check() {
    local file=$1 report parts repairs
    report=$(admesh "$file")
    parts=$(echo "$report" | sed -n 's/^Number of parts *: *\([0-9]*\).*/\1/p')
    repairs=$(echo "$report" | awk -F: '/^(Degenerate facets|Edges fixed|Facets removed|Facets added|Facets reversed|Backwards edges|Normals fixed)/ { s += $2 } END { print s + 0 }')
    echo "$(basename "$file"): admesh: $parts part(s), $repairs repairs"
    [ "$parts" = 1 ] && [ "$repairs" = 0 ] || failed=1
}
for snippet in $(grep -l 'params\.t[ow]' examples/*.bas) "$scratch"/draws/*.bas; do
    file="$scratch/$(basename "$snippet" .bas).stl"
    build/shapetool export "$snippet" --fit 40 -q -o "$file"
    admesh_check "$file"
done
# Two million triangles in 100,000, with a base and without: still one part
# that needs no repair.
build/shapetool random --count 5 --seed 39 --outdir "$scratch/budget" -q
for snippet in examples/spinning_top.bas examples/urchin.bas examples/lantern.bas "$scratch"/budget/*.bas; do
    for base in "" 2; do
        file="$scratch/$(basename "$snippet" .bas)_budget${base:+_base}.stl"
        build/shapetool export "$snippet" --slices 999 --bands 999 --fit 40 ${base:+--base $base} \
            --triangles 100000 -q -o "$file"
        admesh_check "$file"
    done
done
if prusa-slicer --export-gcode --output "$scratch/ring.gcode" "$scratch/donut.stl" >"$scratch/slice.log" 2>&1; then
    echo "donut.stl at --fit 40: sliced, $(grep -c '^G1' "$scratch/ring.gcode") moves"
else
    cat "$scratch/slice.log"
    failed=1
fi
exit $failed
