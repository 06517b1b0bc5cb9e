#!/usr/bin/env bash
# Redraws docs/morph.webp, the animation the README opens with: a morph
# through the two-set snippets in examples/, each next to one alike in size so
# that the framing eases between them with little zooming, turning a full
# circle over the loop (20 frames a leg), with shapetool and no display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
shapes=()
for name in starfish cushion crystal lemon bud lantern spinning_top ribbed_ball cactus; do
    shapes+=("examples/$name.bas")
done
env -u DISPLAY build/shapetool animate "${shapes[@]}" --loop --turn 40 --frames 180 --fps 20 --size 240x240 \
    --quality 60 -o docs/morph.webp
