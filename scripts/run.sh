#!/usr/bin/env bash
# Builds the editor and starts it in the repository's folder, where Save
# writes into shapes/; an argument, a saved snippet, is passed on. Without a display it runs once on a virtual one,
# saves a screenshot as supershape.png and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
# The editor writes snippets into an existing shapes/ folder only.
mkdir -p shapes
if [ -n "${DISPLAY:-}" ]; then
    exec build/supershape "$@"
fi

echo "No display: running on Xvfb and saving a screenshot instead."
scripts/virtual_display.sh bash -c '
    build/supershape "$@" & editor=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$editor" | head -n 1)
    sleep 2
    import -window "$window" supershape.png
    xdotool windowfocus "$window" key Escape
    wait "$editor"
' run.sh "$@"
echo "Saved supershape.png"
