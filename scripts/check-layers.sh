#!/usr/bin/env bash
# Fails when a presenter layer includes a header of a layer above it.
# Layers, lowest first: common, camera, scene, tools, app.
#   scripts/check-layers.sh [presenter-folder]
set -euo pipefail
dir="${1:-$(cd "$(dirname "$0")/.." && pwd)/presenter}"
layers=(common camera scene tools app)

declare -A owner rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
  for h in "$dir/${layers[$i]}"/*.h; do
    [ -e "$h" ] && owner[$(basename "$h")]=${layers[$i]}
  done
done

bad=0
for layer in "${layers[@]}"; do
  for f in "$dir/$layer"/*.h "$dir/$layer"/*.cpp; do
    [ -e "$f" ] || continue
    while IFS=: read -r line inc; do
      name="$(basename "$inc")"
      other="${owner[$name]:-}"
      [ -n "$other" ] || continue
      if [ "${rank[$other]}" -gt "${rank[$layer]}" ]; then
        echo "check-layers: ${f#"$dir"/}:$line includes $name of the $other layer, above $layer"
        bad=1
      fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$f" | sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
  done
done

if [ "$bad" -ne 0 ]; then
  echo "check-layers: dependencies must run app -> tools -> scene -> camera -> common"
  exit 1
fi
echo "check-layers: no include runs up a layer"
