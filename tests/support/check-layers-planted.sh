#!/usr/bin/env bash
# The layer check must fail on a copy of the presenter with an upward include planted.
set -u
root="$1"
t="$(mktemp -d)"
trap 'rm -rf "$t"' EXIT
cp -r "$root/presenter" "$t/"
echo '#include "RDragScene.h"' >> "$t/presenter/camera/RCamera.cpp"
out="$(bash "$root/scripts/check-layers.sh" "$t/presenter")" && { echo "planted include passed the check"; exit 1; }
grep -q 'RCamera.cpp:.*RDragScene.h of the scene layer, above camera' <<<"$out" || { echo "unclear message: $out"; exit 1; }
echo "planted include caught"
