#!/usr/bin/env bash
# Builds libgphoto2's virtual PTP camera, a port driver that presents a
# "Nikon DSC D750" at usb:001,001 whose card is a folder, from Debian's
# libgphoto2 source package, against the installed library:
#
#   scripts/vcamera.sh DIR    makes DIR/iolibs (the port drivers: the virtual
#                             camera and the system's disk driver) for a card
#                             in DIR/card, which the driver's build fixes.
#   scripts/vcamera.sh DIR COMMAND...   then runs COMMAND on the virtual camera,
#                             with a picture on its card when it has none:
#                             build/app/Lumvik_utilities, or gphoto2 --summary
#
# IOLIBS=DIR/iolibs makes libgphoto2 (gphoto2, or the program with
# LUMVIK_CAMERA=gphoto2) see the virtual camera and no real one. The card
# needs a DCIM/100XXXXX/ folder with JPEG pictures; a release copies the first
# of them into DCIM/100GPHOT/. Building again is quick when nothing changed.
set -euo pipefail

dir=$(realpath -m "${1:?usage: $0 DIR}")
iolibs="$dir/iolibs"
version=$(dpkg-query -W -f='${Version}' libgphoto2-dev)
portlibs=$(pkg-config --variable=driverdir libgphoto2_port)
stamp="$iolibs/built-from"
shift

run_on_camera() {
  [ $# -gt 0 ] || return 0
  if [ ! -d "$dir/card/DCIM" ]; then
    mkdir -p "$dir/card/DCIM/100CANON"
    convert -size 640x480 gradient:skyblue-green "$dir/card/DCIM/100CANON/IMG_0001.JPG"
  fi
  IOLIBS="$iolibs" LUMVIK_CAMERA="gphoto2:Nikon DSC D750@usb:001,001" exec "$@"
}

if [ "$(cat "$stamp" 2>/dev/null)" = "$version $dir" ]; then
  run_on_camera "$@"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

# apt-get source needs a deb-src entry; a fresh Debian has none. Our own file
# beside the system's, for the release's main component only.
if ! apt-cache showsrc libgphoto2 2>/dev/null | grep -q '^Package:'; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  $sudo tee /etc/apt/sources.list.d/lumvik-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -q
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The source of the installed version when the archive still has it.
(cd "$work" && { apt-get source -q --only-source "libgphoto2=$version" >/dev/null 2>&1 ||
  apt-get source -q --only-source libgphoto2 >/dev/null; })
port=$(echo "$work"/libgphoto2-*/libgphoto2_port)

# Without this #undef the driver emulates a camera instead of replaying a
# recorded session.
sed -i '/#undef FUZZ_PTP/d' "$port/vusb/vcamera.h"
cat >"$work/config.h" <<'EOF'
#define GETTEXT_PACKAGE "libgphoto2_port-12"
#define _GNU_SOURCE 1
#include <time.h>
EOF

mkdir -p "$iolibs" "$dir/card"
rm -f "$stamp"
(cd "$port" && gcc -O2 -shared -fPIC -w -DFUZZ_PTP -D_GPHOTO2_INTERNAL_CODE -I"$work" -I. -I.. \
  -DVCAMERADIR=\""$dir/card"\" vusb/vusb.c vusb/vcamera.c -o "$iolibs/vusb.so" -lgphoto2_port)
cp "$portlibs/disk.so" "$iolibs/"
echo "$version $dir" >"$stamp"
echo "virtual camera: IOLIBS=$iolibs, card $dir/card"
run_on_camera "$@"
