#!/usr/bin/env bash
# The Debian package as a person's machine gets it: built with CPack, judged
# by lintian, desktop-file-validate and appstreamcli, then unpacked into a
# scratch root and run from there with nothing of the source or build tree
# on the path: the programs, their manual pages, the icon, the file type and
# its thumbnailer, and the desktop's launcher on the display from a fresh
# home folder.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR (on an X display)
set -euo pipefail
build=$1 source=$2
scratch=$(mktemp -d) launcher= editor=
trap 'kill $launcher $editor 2>/dev/null || true; rm -rf "$scratch"' EXIT
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

# The copyright names every part of other projects that the programs carry.
for part in "Dear ImGui" CLI11 nlohmann-json tinygltf stb; do
    grep -q "$part" "$share"/doc/supershape/copyright || fail "the copyright does not name $part"
done
# Manual pages fit 80 columns and say what --help dumps did not.
for page in "$share"/man/man1/*.1.gz; do
    wide=$(MANWIDTH=80 man -l "$page" 2>&1 | awk 'length > 80' | head -n 1)
    [ -z "$wide" ] || fail "$(basename "$page") has a line wider than 80 columns: $wide"
done
for section in "EXIT STATUS" EXAMPLES FILES "SEE ALSO"; do
    zgrep -q "^.SH \"*$section" "$share"/man/man1/shapetool.1.gz || fail "shapetool(1) has no $section"
done

# The icon: drawn in vectors, and its 16 px raster's main colour (the most
# frequent fully opaque one) stands out at 3:1 (WCAG's contrast of relative
# luminances) on white and on a dark theme's grey.
icons=$share/icons/hicolor
app_id=$(basename "$share"/applications/*.desktop .desktop)
grep -q '<path' "$icons/scalable/apps/$app_id.svg" && ! grep -q -E '<image|base64' "$icons/scalable/apps/$app_id.svg" ||
    fail "the scalable icon is no vector drawing"
contrast() {
    convert "$1" -depth 8 txt:- | awk -v ground="$2" '
        function channel(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
        function hex(h) { return index("0123456789abcdef", tolower(h)) - 1 }
        function byte(s, i) { return 16 * hex(substr(s, i, 1)) + hex(substr(s, i + 1, 1)) }
        function luminance(s) { return 0.2126 * channel(byte(s, 1)) + 0.7152 * channel(byte(s, 3)) + 0.0722 * channel(byte(s, 5)) }
        /^[0-9]/ && length($3) == 9 && substr($3, 8, 2) == "FF" { count[substr($3, 2, 6)]++ }
        END {
            for (c in count) if (count[c] > most) { most = count[c]; colour = c }
            a = luminance(colour) + 0.05; b = luminance(ground) + 0.05
            ratio = a > b ? a / b : b / a
            if (ratio >= 3) print "ok"; else print colour " at " ratio ":1 on " ground
        }'
}
for ground in ffffff 2d2d2d; do
    verdict=$(contrast "$icons/16x16/apps/$app_id.png" $ground)
    [ "$verdict" = ok ] || fail "the 16 px icon: $verdict"
done
# The file type has an icon of its own, installed.
mime_icon=$(sed -n 's/.*<icon name="\([^"]*\)".*/\1/p' "$share"/mime/packages/supershape.xml)
[ -n "$mime_icon" ] && [ -e "$icons/scalable/mimetypes/$mime_icon.svg" ] || fail "the file type's icon"

export PATH="$scratch/root/usr/bin:/usr/bin:/bin" HOME="$scratch/home"
mkdir "$HOME"
cd "$scratch"
# The installed programs run: shapetool here and as the thumbnailer, the editor from the launcher.
[ "$(shapetool --version)" = "shapetool $(dpkg-deb -f "$deb" Version)" ] || fail "shapetool --version"
cp "$source/examples/star.bas" star.bas

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
# What it draws, and that it refuses what is no snippet, are shapetool's tests'.
thumbnail star.bas thumb.png && [ "$(identify -format %wx%h thumb.png)" = 256x256 ] || fail "thumbnail"

# The launcher: started by a relative path; without a usable home it says so and makes nothing.
(cd "$scratch/root/usr/bin" && ./supershape-launch --version) | grep -q '^supershape ' || fail "./supershape-launch"
for home in unset / "$scratch/none"; do
    setting=(HOME="$home") && [ "$home" = unset ] && setting=(-u HOME)
    env "${setting[@]}" supershape-launch 2>launch.err && fail "the launcher started with HOME $home"
    grep -q 'home folder' launch.err || fail "the launcher's message with HOME $home: $(cat launch.err)"
done
[ ! -e "$scratch/none" ] || fail "the launcher made a home folder"
# A damaged snippet opened from the file manager, named relative to where the launcher starts: its
# message on standard error and as a notification.
mkdir -p work fake && printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"$0.said"\n' >fake/notify-send && chmod +x fake/notify-send
printf 'junk\n' >work/damaged.bas
status=0 && (cd work && PATH="$scratch/fake:$PATH" supershape-launch damaged.bas 2>../launch.err) || status=$?
said="work/damaged.bas:1: expected"
# The launcher's watcher says it as the editor ends.
for _ in $(seq 50); do [ -e fake/notify-send.said ] && break || sleep 0.1; done
[ $status = 2 ] && grep -q "$said" launch.err && grep -q "$said" fake/notify-send.said ||
    fail "a damaged snippet from the launcher ($status): $(cat launch.err)"

# The launcher makes the documents folder's Supershape/shapes; Save writes there, and the next start opens it,
# named relative to the folder it starts in. The window is the desktop entry's, found by its class, with its icon.
class=$(sed -n 's/^StartupWMClass=//p' "$share"/applications/*.desktop)
launch() {
    supershape-launch "$@" & launcher=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --classname "^$class\$" | head -n 1)
    [ -n "$class" ] && [ -n "$window" ] || fail "no window of the desktop entry's StartupWMClass \"$class\""
    editor=$(xdotool getwindowpid "$window")
    sleep 1
}
launch
[ "$(xprop -id "$window" WM_CLASS)" = "WM_CLASS(STRING) = \"$class\", \"$class\"" ] ||
    fail "the window's class is not \"$class\": $(xprop -id "$window" WM_CLASS)"
# The icon may come a moment after the window appears, later on a loaded machine.
for _ in $(seq 100); do xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (16 x 16)' && break || sleep 0.1; done
xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (16 x 16)' || fail "the window has no 16 px icon"
xdotool mousemove --window "$window" 120 75 sleep 0.3 click 1 sleep 1
saved=$(ls "$HOME"/Documents/Supershape/shapes/shape_*.bas) || fail "Save from the launcher"
# The installed examples are the presets: the first by name (the list opens upwards), chosen in the bar Explore,
# saves as it was.
for point in "452 454" "548 433" "548 290" "120 75"; do
    xdotool mousemove --window "$window" $point sleep 0.3 click 1 sleep 0.7
done
first=$(ls "$share"/supershape/examples/*.bas | head -n 1)
cmp -s "$first" "$(ls -t "$HOME"/Documents/Supershape/shapes/shape_*.bas | head -n 1)" ||
    fail "the first installed example, chosen as a preset, did not save as $first"
xdotool windowfocus "$window" key Escape
wait "$launcher"
cp "$saved" work/mine.bas
cd work
launch mine.bas
xdotool windowfocus "$window" key Escape
wait "$launcher" || fail "the launcher could not open work/mine.bas"
echo "package: lintian clean, desktop entry and metainfo valid; manual pages, icon, copyright, programs, file type," \
    "thumbnailer and launcher work"
