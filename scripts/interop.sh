#!/usr/bin/env bash
# Lets PrusaSlicer judge what shapetool writes: each example exported with
# --fit 40 as STL and 3MF must be one manifold object 40 mm at its largest,
# standing upright (its Z extent is the editor's Y extent), and the default
# shape must slice into G-code. ADMesh then reads the STL of every ring and
# twisted example and of random draws with rings and twists, and of three
# examples and five draws at 999 x 999 within 100,000 triangles, with a base
# and without: one part and nothing repaired; and PrusaSlicer slices a ring.
# Shells of 2 mm of every example and of 20 random draws, with and without
# --base 2: two parts (the outer surface and the cavity), nothing repaired,
# and with a 3 mm drain one part, or a refusal that says why; PrusaSlicer
# slices one of each. Then every example and 50 draws on a base (see
# there). Installs prusa-slicer and admesh when they are missing.
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
# ADMesh reads FILE: PARTS parts (N+ for at least N) and nothing repaired.
admesh_check() {
    local report parts repairs
    report=$(admesh "$1")
    parts=$(echo "$report" | sed -n 's/^Number of parts *: *\([0-9]*\).*/\1/p')
    repairs=$(echo "$report" | awk -F: '/^(Degenerate facets|Edges fixed|Facets removed|Facets added|Facets reversed|Backwards edges|Normals fixed)/ { s += $2 } END { print s + 0 }')
    echo "$(basename "$1"): admesh: $parts part(s), $repairs repairs"
    { [ "$parts" = "$2" ] || { [ "${2%+}" != "$2" ] && [ "$parts" -ge "${2%+}" ]; }; } && [ "$repairs" = 0 ] || failed=1
}
# Rings and twists: ADMesh finds one part and repairs nothing.
build/shapetool random --rings-and-twists --count 12 --seed 7 --outdir "$scratch/draws" -q
for snippet in $(grep -l 'params\.t[ow]' examples/*.bas) "$scratch"/draws/*.bas; do
    file="$scratch/$(basename "$snippet" .bas).stl"
    build/shapetool export "$snippet" --fit 40 -q -o "$file"
    admesh_check "$file" 1
done
# Two million triangles in 100,000, with a base and without: still one part
# that needs no repair.
build/shapetool random --count 5 --seed 39 --outdir "$scratch/budget" -q
for snippet in examples/spinning_top.bas examples/urchin.bas examples/lantern.bas "$scratch"/budget/*.bas; do
    for base in "" 2; do
        file="$scratch/$(basename "$snippet" .bas)_budget${base:+_base}.stl"
        build/shapetool export "$snippet" --slices 999 --bands 999 --fit 40 ${base:+--base $base} \
            --triangles 100000 -q -o "$file"
        admesh_check "$file" 1
    done
done
# Shells: the outer surface and one cavity, or several where export says it
# left necks thinner than two walls solid between them.
build/shapetool random --count 20 --seed 11 --outdir "$scratch/shell_draws" -q
for snippet in examples/*.bas "$scratch"/shell_draws/*.bas; do
    for base in "" "--base 2"; do
        file="$scratch/shell_$(basename "$snippet" .bas)${base:+_based}.stl"
        # shellcheck disable=SC2086
        summary=$(build/shapetool export "$snippet" --fit 40 --shell 2 $base -o "$file" 2>&1)
        case $summary in
        *"solid in "*) admesh_check "$file" 2+ ;;
        *) admesh_check "$file" 2 ;;
        esac
        # A 3 mm drain joins the cavity it reaches to the outside: one part
        # fewer. Where no floor takes it, export says why and writes nothing.
        drained="${file%.stl}_drained.stl"
        # shellcheck disable=SC2086
        if summary=$(build/shapetool export "$snippet" --fit 40 --shell 2 --drain 3 $base -o "$drained" 2>&1); then
            case $summary in
            *"solid in "*) admesh_check "$drained" 1+ ;;
            *) admesh_check "$drained" 1 ;;
            esac
        else
            case $summary in
            *"drain would pass through"* | *"drain finds no floor"*) echo "$(basename "$drained"): ${summary##*: }" ;;
            *)
                echo "$summary"
                failed=1
                ;;
            esac
            [ ! -e "$drained" ] || failed=1
        fi
    done
done
for sliced in shell_lemon_based shell_lemon_based_drained; do
    if prusa-slicer --export-gcode --output "$scratch/shell.gcode" "$scratch/$sliced.stl" >"$scratch/slice.log" 2>&1; then
        echo "$sliced.stl: sliced, $(grep -c '^G1' "$scratch/shell.gcode") moves"
    else
        cat "$scratch/slice.log"
        failed=1
    fi
done
if prusa-slicer --export-gcode --output "$scratch/ring.gcode" "$scratch/donut.stl" >"$scratch/slice.log" 2>&1; then
    echo "donut.stl at --fit 40: sliced, $(grep -c '^G1' "$scratch/ring.gcode") moves"
else
    cat "$scratch/slice.log"
    failed=1
fi

# Flat bases: every example and 50 random draws with --fit 40 --base 2. The
# STL closed, one part and nothing repaired (ADMesh); the faces turned flat
# down that touch the lowest plane wholly in it, to a micrometre, and the
# area of the faces there what info --print says lies flat on the bed;
# the volume PrusaSlicer measures within 1 % of info's; the 3MF one
# manifold part; and each sliced with PrusaSlicer's defaults, unless info
# warns that it still stands on too little, which it then says.
build/shapetool random --count 50 --seed 11 --outdir "$scratch/based_draws" -q
for snippet in examples/*.bas "$scratch"/based_draws/*.bas; do
    name=$(basename "$snippet" .bas)
    stl="$scratch/based_$name.stl"
    build/shapetool export "$snippet" --fit 40 --base 2 -q -o "$stl"
    build/shapetool export "$snippet" --fit 40 --base 2 -q -o "$scratch/based_$name.3mf"
    report=$(admesh --write-ascii-stl="$scratch/ascii.stl" "$stl")
    parts=$(echo "$report" | sed -n 's/^Number of parts *: *\([0-9]*\).*/\1/p')
    repairs=$(echo "$report" | awk -F: '/^(Degenerate facets|Edges fixed|Facets removed|Facets added|Facets reversed|Backwards edges|Normals fixed)/ { s += $2 } END { print s + 0 }')
    # The lowest height; how far above it a face turned down that touches it
    # reaches; and the area of the faces lying within a micrometre of it.
    read -r low off cap < <(awk '
        $1 == "facet" { down[int(n / 3)] = $5 < -0.999999 }
        $1 == "vertex" { x[n] = $2; y[n] = $3; z[n] = $4 + 0; if (n == 0 || z[n] < low) low = z[n]; n++ }
        END { for (i = 0; i < n; i += 3) {
                  top = z[i]; bottom = z[i]
                  for (k = 1; k < 3; k++) { if (z[i + k] > top) top = z[i + k]; if (z[i + k] < bottom) bottom = z[i + k] }
                  if (down[i / 3] && bottom - low <= 0.001 && top - low > off) off = top - low
                  if (top - low > 0.001) continue
                  a = ((x[i + 1] - x[i]) * (y[i + 2] - y[i]) - (x[i + 2] - x[i]) * (y[i + 1] - y[i])) / 2
                  area += a < 0 ? -a : a }
              printf "%.6f %.6f %.4f\n", low, off, area }' off=0 "$scratch/ascii.stl")
    json=$(build/shapetool info --print --json --fit 40 --base 2 "$snippet")
    flat=$(echo "$json" | sed -n 's/.*"flat_mm2": \([0-9.e+-]*\).*/\1/p')
    volume=$(echo "$json" | sed -n 's/.*"volume_mm3": \([0-9.e+-]*\).*/\1/p')
    warning=$(echo "$json" | sed -n 's/.*"warning": "\(.*\)".*/\1/p')
    prusa=$(prusa-slicer --info "$stl" 2>&1 | sed -n 's/^volume = //p')
    manifold=$(prusa-slicer --info "$scratch/based_$name.3mf" 2>&1 | sed -n 's/^manifold = //p')
    verdict=$(awk -v off="$off" -v cap="$cap" -v flat="$flat" -v volume="$volume" -v prusa="$prusa" 'BEGIN {
        if (off > 0.001) print "cap off its plane by " off " mm"
        else if (cap < flat * 0.999 || cap > flat * 1.001) print "cap " cap " mm2, info says " flat
        else if (prusa < volume * 0.99 || prusa > volume * 1.01) print "volume " prusa " mm3, info says " volume
        else print "ok" }')
    if [ -n "$warning" ]; then
        sliced="not sliced: $warning"
    elif prusa-slicer --export-gcode --output "$scratch/based.gcode" "$stl" >"$scratch/slice.log" 2>&1; then
        sliced="sliced"
    else
        sliced="SLICING FAILED: $(grep -m1 -i error "$scratch/slice.log")"
        failed=1
    fi
    echo "based $name: admesh $parts part(s), $repairs repairs; 3MF manifold $manifold; cap $cap mm2 ($verdict); $sliced"
    [ "$parts" = 1 ] && [ "$repairs" = 0 ] && [ "$manifold" = yes ] && [ "$verdict" = ok ] || failed=1
done
exit $failed
