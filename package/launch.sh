#!/bin/sh
# The desktop's way to start the editor: in the person's own supershape
# folder, whose shapes/ folder Save writes into, made when missing. A file
# opened from the file manager is passed on. Started from the menu or the
# file manager, nobody reads standard error: a failure is then also shown as
# a desktop notification, when notify-send is there.
set -eu
title="Supershape Editor"

# Shows `$1` as a notification when standard error is no terminal; without
# notify-send it stays in the journal alone.
notify() {
    if [ ! -t 2 ] && command -v notify-send >/dev/null 2>&1; then
        notify-send --app-name="$title" --icon=@APP_ID@ "$title" "$1" 2>/dev/null || true
    fi
}

# Says `$1` on standard error (the journal, from the desktop), and notifies.
tell() {
    printf 'supershape-launch: %s\n' "$1" >&2
    notify "$1"
}

# The editor beside this script and the files named relative to the folder
# it starts in, resolved before changing folder.
editor=$(cd "$(dirname "$0")" && pwd -P)/supershape
for argument do
    shift
    case $argument in
    /* | -*) ;;
    *) argument=$PWD/$argument ;;
    esac
    set -- "$@" "$argument"
done

# The root folder is no one's home: shapes saved there would be lost to everyone.
if [ -z "${HOME:-}" ] || [ "$HOME" = / ] || [ ! -d "$HOME" ] || [ ! -w "$HOME" ]; then
    tell "no usable home folder (HOME is \"${HOME:-}\"), where the editor keeps Documents/Supershape; not started"
    exit 1
fi
documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
# Without a documents folder of its own, xdg-user-dir names the home folder.
if [ -z "$documents" ] || [ "$documents" = "$HOME" ]; then
    documents="$HOME/Documents"
fi
folder="$documents/Supershape"
if ! mkdir -p "$folder/shapes" 2>/dev/null || ! cd "$folder"; then
    tell "cannot make or enter $folder/shapes; not started"
    exit 1
fi

if [ -t 2 ]; then
    exec "$editor" "$@"
fi
# Nobody reads standard error. What the editor says there, which is only ever
# why it failed, is passed on and shown once it ends, by a watcher reading it
# through a FIFO; the editor takes over this process, so that the desktop's
# signals and its exit status stay its own. The FIFO's name is gone before
# the editor starts.
fifo=$(mktemp -u "${TMPDIR:-/tmp}/supershape-launch.XXXXXX")
trap 'rm -f "$fifo"; exit 1' INT TERM HUP
if ! mkfifo -m 600 "$fifo" 2>/dev/null; then
    exec "$editor" "$@"
fi
(
    trap - INT TERM HUP
    messages=$(cat <"$fifo")
    if [ -n "$messages" ]; then
        printf '%s\n' "$messages" >&2
        notify "$(printf '%s\n' "$messages" | tail -n 3)"
    fi
) &
exec 2>"$fifo"
rm -f "$fifo"
trap - INT TERM HUP
exec "$editor" "$@"
