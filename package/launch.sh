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
# The editor's standard error is kept to show with its status, and passed on;
# its standard output goes through on descriptor 3.
exec 3>&1
result=$("$editor" "$@" 2>&1 1>&3 3>&- && echo 0 || echo $?)
exec 3>&-
status=${result##*
}
messages=${result%"$status"}
if [ -n "$messages" ]; then
    printf '%s' "$messages" >&2
fi
if [ "$status" -ne 0 ]; then
    if [ -z "$messages" ]; then
        messages="the editor ended with status $status"
    fi
    notify "$(printf '%s' "$messages" | tail -n 3)"
fi
exit "$status"
