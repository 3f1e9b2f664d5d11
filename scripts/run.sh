#!/usr/bin/env bash
# Installs the packages, builds the programs (not the tests) and starts the presenter
# from its program folder. Without a real camera it uses the virtual document camera;
# without a display it runs on a virtual X server and saves a screenshot every few
# seconds. Ctrl+C, or the presenter ending, ends everything this script started.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"

# Only what the presenter runs: the tests and benchmarks build with scripts/test.sh.
build="${VISORA_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${VISORA_BUILD_TYPE:-RelWithDebInfo}"
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" \
  --target Tavimor Brisklet Brisklet_en scanner virtualcam
bin="$build/bin"

if ! ls /dev/video* >/dev/null 2>&1 && [ -z "${VISORA_VIRTUAL_CAMERA:-}" ]; then
  export VISORA_VIRTUAL_CAMERA="$root/virtualcam/sample/virtualcam.json"
  echo "run: no camera attached, using the virtual document camera ($VISORA_VIRTUAL_CAMERA)"
fi

pids=()      # each started in its own process group, ended with its children
pulse=""     # the sound server this script started, if any
tmp="$(mktemp -d)"
cleanup() {
  trap - INT TERM
  for p in "${pids[@]}"; do kill -- "-$p" 2>/dev/null || kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -n "$pulse" ]; then
    PULSE_SERVER="$pulse" pactl exit 2>/dev/null || true
  fi
  rm -rf "$tmp"
  if [ -n "${shot:-}" ]; then rm -f "$shot.tmp.png"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The recorder records sound; without a sound server it gets the virtual microphone.
# A server that already answered is left running; one started here is ended.
mic="$(bash "$root/scripts/virtual-mic.sh" 2>"$tmp/mic.log" | tail -n1)"
cat "$tmp/mic.log" >&2
export "${mic?}"
if grep -q "started PulseAudio" "$tmp/mic.log"; then pulse="$PULSE_SERVER"; fi

start() { setsid "$@" & pids+=($!); }

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Xvfb picks a free display itself and writes its number once it accepts clients.
  start Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log"
  for _ in $(seq 100); do
    grep -q '[0-9]' "$tmp/display" 2>/dev/null && break
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  number="$(tr -dc 0-9 <"$tmp/display")"
  if [ -z "$number" ] || ! DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
    echo "run: the virtual X server did not start:" >&2
    cat "$tmp/xvfb.log" >&2
    exit 1
  fi
  export DISPLAY=":$number"
  shot="${VISORA_SCREENSHOT:-${TMPDIR:-/tmp}/tavimor-screen.png}"
  echo "run: no display found; the presenter runs on a virtual X server ($DISPLAY)."
  echo "run: a screenshot is saved every 3 seconds to $shot (Ctrl+C stops everything)."
  start bash -c 'while sleep 3; do
      import -display "$1" -window root "$2.tmp.png" 2>/dev/null && mv -f "$2.tmp.png" "$2"
    done' screenshots "$DISPLAY" "$shot"
fi

cd "$bin"
start ./Tavimor "$@"
wait "${pids[-1]}"
