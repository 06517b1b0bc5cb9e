#!/bin/sh
# The desktop's way to start the editor: in the person's own supershape
# folder, whose shapes/ folder Save writes into, made when missing. A file
# opened from the file manager is passed on.
set -e
documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
# Without a documents folder of its own, xdg-user-dir names the home folder.
if [ -z "$documents" ] || [ "$documents" = "$HOME" ]; then
    documents="$HOME/Documents"
fi
folder="$documents/Supershape"
mkdir -p "$folder/shapes"
cd "$folder"
exec "$(dirname "$0")/supershape" "$@"
