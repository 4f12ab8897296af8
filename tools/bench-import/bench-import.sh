#!/usr/bin/env bash
# lumvik-import against `gphoto2 --get-all-files` followed by `sync -f`, both
# over libgphoto2's "Directory Browse" driver on the same card of camera-sized
# JPEG pictures; both end with every file on the disk. A timed tool run: each
# side runs three times into an empty folder and the best time counts.
#
#   tools/bench-import/bench-import.sh [BUILD, build] [PICTURES, 80]
set -euo pipefail

build=$(realpath "${1:-build}")
pictures=${2:-80}
import="$build/app/import/lumvik-import"
demo_camera="$build/tools/demo-camera/lumvik-demo-camera"
for tool in "$import" "$demo_camera" gphoto2 convert python3 bc; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/var/tmp}/bench-import-XXXXXX")
trap 'rm -rf "$work"' EXIT
card="$work/card"
mkdir -p "$card/DCIM/100CANON"

# A camera's picture: the demo camera's EXIF block with its thumbnail, then
# fine noise that compresses like a detailed photograph, some 5 MB at 4000x3000.
"$demo_camera" "$work/demo" >/dev/null
convert -size 4000x3000 xc:gray50 -attenuate 0.7 +noise Gaussian -quality 92 "$work/noise.jpg"
python3 - "$work/demo/CF/DCIM/100CANON/IMG_0001.JPG" "$work/noise.jpg" "$work/picture.jpg" <<'PY'
import sys
def segments(data):
    at = 2
    while data[at] == 0xFF and data[at + 1] not in (0xDA,):
        length = int.from_bytes(data[at + 2:at + 4], "big")
        yield data[at:at + 2 + length], data[at + 1]
        at += 2 + length
    yield data[at:], None
demo, noise = (open(p, "rb").read() for p in sys.argv[1:3])
exif = next(s for s, marker in segments(demo) if marker == 0xE1)
rest = b"".join(s for s, marker in segments(noise) if marker not in (0xE0, 0xE1))
open(sys.argv[3], "wb").write(b"\xff\xd8" + exif + rest)
PY
for n in $(seq 1 "$pictures"); do
  cp "$work/picture.jpg" "$card/DCIM/100CANON/$(printf 'IMG_%04d.JPG' "$n")"
done
bytes=$(du -sb "$card" | cut -f1)

# Seconds of the best of three runs of the command, each into an empty "$work/out".
best() {
  local fastest="" start end seconds
  for _ in 1 2 3; do
    rm -rf "$work/out" "$work/home"
    mkdir -p "$work/out"
    sync
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    seconds=$(echo "$end - $start" | bc)
    if [ -z "$fastest" ] || [ "$(echo "$seconds < $fastest" | bc)" = 1 ]; then
      fastest=$seconds
    fi
    [ "$(find "$work/out" -type f | wc -l)" -eq "$pictures" ] || { echo "a run lost files" >&2; exit 1; }
  done
  echo "$fastest"
}

gphoto2_then_sync() {
  (cd "$work/out" && gphoto2 --quiet --camera "Directory Browse" --port "disk:$card" --get-all-files)
  sync -f "$work/out"
}

lumvik_import() {
  env -u DISPLAY -u QT_QPA_PLATFORM LUMVIK_HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
    "$import" --camera "gphoto2:Directory Browse@disk:$card" "$work/out"
}

theirs=$(best gphoto2_then_sync)
ours=$(best lumvik_import)
printf '%d pictures, %.1f MB in all\n' "$pictures" "$(echo "$bytes / 1000000" | bc -l)"
printf 'gphoto2 --get-all-files, sync -f: %.2f s\n' "$theirs"
printf 'lumvik-import: %.2f s\n' "$ours"
printf 'lumvik-import / (gphoto2 --get-all-files, sync -f): %.2f\n' "$(echo "$ours / $theirs" | bc -l)"
