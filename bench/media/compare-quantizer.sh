#!/usr/bin/env bash
# Compares brae-cli's quantiser with ImageMagick's on the benchmarks' photo-like picture:
#   bench/media/compare-quantizer.sh [BUILD_DIR] [SIZE]
# BUILD_DIR defaults to build (it needs bin/photogen and bin/brae-cli, built with the
# benchmarks), SIZE to 1024. The picture is written as an RGB PNG; then
# "convert IN -colors 256 OUT" and "brae-cli quantize IN OUT" each run three times. Printed: the
# best CPU time (user + system) of each with its wall time, and the PSNR of each result against
# the picture (ImageMagick's from "compare -metric PSNR", ours as brae-cli prints it, with
# compare's figure for our file beside it as a cross-check).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
size=${2:-1024}

for program in "$build/bin/photogen" "$build/bin/brae-cli"; do
  [[ -x $program ]] || { echo "missing $program (build with benchmarks on)" >&2; exit 2; }
done
# ImageMagick's own programs, not a wrapper of the same name elsewhere on the PATH.
im_convert=""
for candidate in magick /usr/bin/convert-im6.q16 /usr/bin/convert convert; do
  if command -v "$candidate" >/dev/null 2>&1; then im_convert=$candidate; break; fi
done
im_compare=""
for candidate in /usr/bin/compare-im6.q16 /usr/bin/compare compare; do
  if command -v "$candidate" >/dev/null 2>&1; then im_compare=$candidate; break; fi
done
if [[ -z $im_convert || -z $im_compare ]] || [[ ! -x /usr/bin/time ]]; then
  echo "needs ImageMagick (convert, compare) and /usr/bin/time" >&2
  exit 2
fi
[[ $im_convert == magick ]] && im_convert="magick convert"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/photogen" "$work/photo.png" "$size" >/dev/null

# best_of_3 COMMAND...: runs it three times; prints "CPU WALL" of the run with the least CPU.
best_of_3() {
  local best_cpu="" best_wall=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%U %S %e" -o "$work/time" "$@" >"$work/stdout" 2>"$work/stderr"
    read -r user sys wall <"$work/time"
    local cpu
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    if [[ -z $best_cpu ]] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
      best_cpu=$cpu
      best_wall=$wall
    fi
  done
  echo "$best_cpu $best_wall"
}

# compare prints the PSNR on standard error and exits 1 when the pictures differ.
psnr_of() {
  "$im_compare" -metric PSNR "$work/photo.png" "$1" null: 2>&1 >/dev/null || true
}

read -r im_cpu im_wall < <(best_of_3 $im_convert "$work/photo.png" -colors 256 "$work/im.png")
im_psnr=$(psnr_of "$work/im.png")
read -r our_cpu our_wall < <(best_of_3 "$build/bin/brae-cli" quantize "$work/photo.png" \
  "$work/ours.png")
our_psnr=$(sed -n 's/^PSNR: \([^ ]*\) dB.*/\1/p' "$work/stdout")
our_psnr_by_compare=$(psnr_of "$work/ours.png")

echo "picture: ${size}x${size} RGB, $(identify -format %k "$work/photo.png") colours"
printf '%-38s %5s s CPU (%s s wall), PSNR %s dB\n' "ImageMagick convert -colors 256:" \
  "$im_cpu" "$im_wall" "$im_psnr"
printf '%-38s %5s s CPU (%s s wall), PSNR %s dB (compare: %s)\n' "brae-cli quantize (256 colours):" \
  "$our_cpu" "$our_wall" "$our_psnr" "$our_psnr_by_compare"
