#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need,
# when any is missing. Safe to run again: it does nothing when all are there.
set -euo pipefail

packages=(
    g++ cmake make pkg-config
    libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    libglfw3-dev libimgui-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
    libtinygltf-dev lib3mf-dev libassimp-dev
    libegl-dev libegl-mesa0 libstb-dev
    xvfb xauth xdotool imagemagick
    unzip help2man dpkg-dev lintian desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin
    clang libclang-rt-14-dev
)

# The glTF validator runs on Node.js; a machine may have its own.
command -v npm >/dev/null || packages+=(nodejs npm)

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
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
