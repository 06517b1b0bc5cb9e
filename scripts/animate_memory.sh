#!/usr/bin/env bash
# shapetool animate's peak memory (GNU time's maximum resident set) at 60 and
# at 240 frames of the benchmark's turntable: 480 x 480, solid, a 999 x 1000
# shape, as lossy WebP, as GIF and as MP4. Frames are encoded as they come,
# not held as pictures, so the longer animation may take no more than twice
# its file and 2 MB beyond the shorter (libwebp and the MP4 writer keep each
# frame encoded until they assemble the file). Fails when it takes more.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# The peak in kilobytes of an animation of $1 frames into $2. The software
# rasteriser's threads run ahead of the drawing by as many frames as their
# timing allows, which moves its peak by a hundred megabytes from run to
# run; drawing on one thread, the growth measured is shapetool's own.
peak() {
    env -u DISPLAY LP_NUM_THREADS=0 /usr/bin/time -f %M build/shapetool animate --slices 999 --bands 999 \
        --frames "$1" -q -o "$2" 2>&1 >/dev/null | tail -n 1
}

failed=0
for format in webp gif mp4; do
    short=$(peak 60 "$folder/short.$format")
    long=$(peak 240 "$folder/long.$format")
    file=$(stat -c %s "$folder/long.$format")
    growth=$(((long - short) * 1024))
    allowed=$((2 * file + 2 * 1024 * 1024))
    verdict=within
    [ "$growth" -le "$allowed" ] || verdict=BEYOND failed=1
    echo "$format: peak ${short} kB at 60 frames, ${long} kB at 240 frames ($((file / 1024)) kB file):" \
        "$((growth / 1024)) kB more, $verdict the $((allowed / 1024)) kB allowed"
done
exit "$failed"
