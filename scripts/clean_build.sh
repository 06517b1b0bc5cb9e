#!/usr/bin/env bash
# Shows that the two programs and their Debian package build with only what
# `scripts/deps.sh --programs` installs: a fresh Debian 12 is made in a
# chroot with debootstrap, the committed tree is copied in, and there the
# programs are built without tests or benchmarks and packaged.
#
#   scripts/clean_build.sh [FOLDER]   (root; FOLDER defaults to build-clean/)
#
# Leaves the chroot and the package (FOLDER/supershape_*.deb) in FOLDER.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || {
    echo "scripts/clean_build.sh: run as root, for debootstrap and chroot" >&2
    exit 1
}
folder=$(realpath -m "${1:-build-clean}")
root=$folder/debian12
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap

[ -x "$root/bin/bash" ] || debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
rm -rf "$root/src"
mkdir -p "$root/src"
git archive HEAD | tar -x -C "$root/src"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root /bin/bash -euc '
    cd /src
    scripts/deps.sh --programs
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSUPERSHAPE_BUILD_TESTS=OFF
    cmake --build build -j "$(nproc)"
    (cd build && cpack -G DEB)
    build/shapetool --version
    dpkg-deb -f build/supershape_*.deb Package Version Depends'
cp "$root"/src/build/supershape_*.deb "$folder"
echo "Built in a clean Debian 12: $(ls "$folder"/supershape_*.deb)"
