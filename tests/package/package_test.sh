#!/usr/bin/env bash
# The Debian package as a person's machine gets it: built with CPack, judged
# by lintian, desktop-file-validate and appstreamcli, then unpacked into a
# scratch root and run from there with nothing of the source or build tree
# on the path: the programs, the file type and its thumbnailer, and the
# desktop's launcher on the display from a fresh home folder.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR (on an X display)
set -euo pipefail
build=$1 source=$2
scratch=$(mktemp -d) editor=
trap 'kill "$editor" 2>/dev/null || true; rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/supershape_*.deb)
# lintian leaves a cache file in its temporary folder: the scratch one, which goes at the end.
tags=$(TMPDIR=$scratch lintian --no-tag-display-limit "$deb" 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$tags" ] || fail "lintian: $tags"
dpkg-deb -x "$deb" "$scratch/root"
share=$scratch/root/usr/share
desktop-file-validate "$share"/applications/*.desktop
appstreamcli validate --no-net --no-color "$share"/metainfo/*.metainfo.xml >/dev/null

export PATH="$scratch/root/usr/bin:/usr/bin:/bin" HOME="$scratch/home"
cd "$scratch"
[ "$(shapetool --version)" = "shapetool $(dpkg-deb -f "$deb" Version)" ] || fail "shapetool --version"
supershape --help | grep -q '^Usage: supershape' || fail "supershape --help"
cp "$source/examples/star.bas" star.bas
env -u DISPLAY shapetool render star.bas -q -o star.png --size 64x48
[ "$(identify -format %wx%h star.png)" = 64x48 ] || fail "shapetool render"

# Completion reads each command's flags from its help.
completed=$(bash -c 'source "$1"; COMP_WORDS=(shapetool export --fo); COMP_CWORD=2; _shapetool; echo "${COMPREPLY[@]}"' \
    - "$share/bash-completion/completions/shapetool" 2>/dev/null)
[ "$completed" = --format ] || fail "bash completion gave \"$completed\""

# Saved shapes are known by their content; a BASIC file that ends in .bas is not one.
update-mime-database "$share/mime"
printf '10 PRINT "HELLO"\n' >hello.bas
query() { XDG_DATA_DIRS="$share:/usr/share" XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$1"; }
[ "$(query star.bas)" = text/x-supershape ] && [ "$(query hello.bas)" != text/x-supershape ] || fail "file type"
# The thumbnailer's command as a file manager runs it: %i in, %o out, %s the size.
command=$(sed -n 's/^Exec=//p' "$share"/thumbnailers/*.thumbnailer)
thumbnail() { env -u DISPLAY sh -c "$(echo "$command" | sed "s|%i|$1|; s|%o|$2|; s|%s|256|g")"; }
thumbnail star.bas thumb.png && [ "$(identify -format %wx%h thumb.png)" = 256x256 ] || fail "thumbnail"
! thumbnail hello.bas none.png && [ ! -e none.png ] || fail "a thumbnail of a file that is no snippet"

# The launcher makes the documents folder's Supershape/shapes; Save writes there, and the next start opens it.
launch() {
    supershape-launch "$@" & editor=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$editor" | head -n 1)
    sleep 1
}
launch
xdotool mousemove --window "$window" 120 75 sleep 0.3 click 1 sleep 1
saved=$(ls "$HOME"/Documents/Supershape/shapes/shape_*.bas) || fail "Save from the launcher"
xdotool windowfocus "$window" key Escape
wait "$editor"
launch "$saved"
xdotool windowfocus "$window" key Escape
wait "$editor" || fail "the launcher could not open $saved"
echo "package: lintian clean, desktop entry and metainfo valid, programs, file type, thumbnailer and launcher work"
