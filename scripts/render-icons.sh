#!/usr/bin/env bash
# Renders the presenter's icon set from its SVG sources.
#
#   presenter/resources/images/svg/<name>.svg       -> presenter/resources/images/<name>.png
#   presenter/resources/images/svg/anim/detecting.svg -> presenter/resources/images/detecting.gif
#   presenter/resources/images/svg/anim/scanning.svg  -> presenter/resources/images/scanning.gif
#
# Each SVG carries its own output size (width/height attributes): tool-bar and
# compare-view icons 96x96, cursors 32x32, dialog row icons 64x64, result icons
# 59x59, the window icon 128x128. The rendered files are committed, so the build
# never needs this script; run it again after editing an SVG.
#
# Needs Debian packages librsvg2-bin (rsvg-convert) and imagemagick (convert).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
img="$here/presenter/resources/images"
src="$img/svg"

for tool in rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "render-icons: $tool not found (apt-get install librsvg2-bin imagemagick)" >&2; exit 1; }
done

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

count=0
for svg in "$src"/*.svg; do
  name="$(basename "$svg" .svg)"
  rsvg-convert --format=png --output="$img/$name.png" "$svg"
  count=$((count + 1))
done
echo "render-icons: $count PNG files"

# render_frames SOURCE PATTERN REPLACEMENT...: one PNG frame per replacement of
# the exact text PATTERN in SOURCE, written to $tmp/frame-NN.png
render_frames() {
  local source="$1" pattern="$2"; shift 2
  local i=0 value
  rm -f "$tmp"/frame-*.png
  for value in "$@"; do
    sed "s|$pattern|$value|" "$source" > "$tmp/frame.svg"
    rsvg-convert --format=png --output="$(printf '%s/frame-%02d.png' "$tmp" "$i")" "$tmp/frame.svg"
    i=$((i + 1))
  done
}

# make_gif DELAY OUT: the frames so far into a looping GIF with 1-bit transparency
make_gif() {
  convert -delay "$1" -loop 0 -dispose Background "$tmp"/frame-*.png \
    -channel A -threshold 50% +channel "$2"
}

# Detecting spinner: 12 frames, the ring of dots turned by 30 degrees each.
angles=()
for k in $(seq 0 11); do angles+=("rotate($((k * 30)) 29.5 29.5)"); done
render_frames "$src/anim/detecting.svg" "rotate(0 29.5 29.5)" "${angles[@]}"
make_gif 8 "$img/detecting.gif"

# Scanning line: 20 frames, the line going down the frame from y=22 to y=218.
moves=()
for k in $(seq 0 19); do moves+=("translate(0 $(( (22 + k * 196 / 19) - 30 )))"); done
render_frames "$src/anim/scanning.svg" "translate(0 0)" "${moves[@]}"
make_gif 7 "$img/scanning.gif"

echo "render-icons: detecting.gif, scanning.gif"
