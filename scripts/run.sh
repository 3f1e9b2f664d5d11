#!/usr/bin/env bash
# Installs the packages, builds and starts the presenter from its program folder.
# Without a real camera it uses the virtual document camera; without a display it
# runs on a virtual X server and saves a screenshot every few seconds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
bin="${VISORA_BUILD_DIR:-$root/build}/bin"

if ! ls /dev/video* >/dev/null 2>&1 && [ -z "${VISORA_VIRTUAL_CAMERA:-}" ]; then
  export VISORA_VIRTUAL_CAMERA="$root/virtualcam/sample/virtualcam.json"
  echo "run: no camera attached, using the virtual document camera ($VISORA_VIRTUAL_CAMERA)"
fi

# The recorder records sound; without a sound server it gets the virtual microphone.
eval "export $(bash "$root/scripts/virtual-mic.sh" | tail -n1)"

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  display=":${VISORA_DISPLAY_NUMBER:-77}"
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY="$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  shot="${VISORA_SCREENSHOT:-${TMPDIR:-/tmp}/tavimor-screen.png}"
  echo "run: no display found; the presenter runs on a virtual X server ($DISPLAY)."
  echo "run: a screenshot is saved every 3 seconds to $shot (Ctrl+C stops everything)."
  ( while sleep 3; do import -display "$DISPLAY" -window root "$shot.tmp.png" 2>/dev/null && mv -f "$shot.tmp.png" "$shot"; done ) &
  pids+=($!)
fi

cd "$bin"
./Tavimor "$@" &
pids+=($!)
wait "${pids[-1]}"
