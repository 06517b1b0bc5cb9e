#!/usr/bin/env bash
# Installs the Debian packages that are missing, and does nothing when all
# are there.
#
#   scripts/deps.sh             what the build, the tests and the editor need
#   scripts/deps.sh --programs  only what the two programs and their Debian
#                               package need to build (README)
set -euo pipefail

# The programs: compilers, their libraries, and the package's own tools
# (the icon's rasters from its SVG with librsvg and
# ImageMagick, dpkg-shlibdeps and file for the dependencies).
programs=(
    g++ cmake make pkg-config
    libcli11-dev nlohmann-json3-dev libglfw3-dev libimgui-dev libgl1-mesa-dev libglu1-mesa-dev libx11-dev
    libtinygltf-dev lib3mf-dev libegl-dev libstb-dev libwebp-dev libgif-dev libopenh264-dev libegl-mesa0
    libgl1-mesa-dri libopenvdb-dev libboost-iostreams-dev
    imagemagick librsvg2-bin dpkg-dev file
)
# The tests, benchmarks, fuzz targets and the judges of what they write
# (ffmpeg reads the MP4 files back).
tests=(
    libgtest-dev libbenchmark-dev libassimp-dev ffmpeg
    xvfb xauth xdotool x11-utils unzip clang-format-14
    lintian desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin man-db
    clang libclang-rt-14-dev
)

packages=("${programs[@]}")
if [ "${1:-}" != --programs ]; then
    packages+=("${tests[@]}")
    # The glTF validator runs on Node.js; a machine may have its own.
    command -v npm >/dev/null || packages+=(nodejs npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
# Another package manager at work (an unattended upgrade) is waited for, not
# taken for a failure.
"${as_root[@]}" apt-get -o DPkg::Lock::Timeout=300 update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y --no-install-recommends \
    "${missing[@]}"
