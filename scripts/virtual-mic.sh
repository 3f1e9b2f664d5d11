#!/usr/bin/env bash
# Makes sure a sound server answers; without one, starts a private PulseAudio
# with a virtual microphone "Visora_Microphone" that plays a 440 Hz tone.
# Safe to run again. The last line printed is the server address, for example
#   PULSE_SERVER=unix:/tmp/visora-runtime-0/pulse/native
# so callers can export it:  eval "$(scripts/virtual-mic.sh | tail -n1)"
set -euo pipefail

runtime="${XDG_RUNTIME_DIR:-/tmp/visora-runtime-$(id -u)}"
socket="$runtime/pulse/native"

answers() { PULSE_SERVER="unix:$socket" pactl info >/dev/null 2>&1; }

if [ -n "${PULSE_SERVER:-}" ] && pactl info >/dev/null 2>&1; then
  echo "virtual-mic: sound server answers at $PULSE_SERVER" >&2
  echo "PULSE_SERVER=$PULSE_SERVER"
  exit 0
fi
if answers; then
  echo "virtual-mic: sound server answers at $socket" >&2
  echo "PULSE_SERVER=unix:$socket"
  exit 0
fi

command -v pulseaudio >/dev/null || { echo "virtual-mic: pulseaudio missing (scripts/install-deps.sh)" >&2; exit 1; }
mkdir -p "$runtime"
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"

# The system-wide mode does not work here; a per-user server runs as root too.
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=stderr --log-level=error \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$socket" \
  --load="module-null-sink sink_name=visora_sink" \
  --load="module-sine sink=visora_sink frequency=440" \
  --load="module-remap-source master=visora_sink.monitor source_name=Visora_Microphone source_properties=device.description=Visora_Microphone" \
  --load="module-always-sink" 2>&1 | grep -v "running as root" >&2 || true

for _ in $(seq 50); do answers && break; sleep 0.1; done
if ! answers; then
  echo "virtual-mic: PulseAudio did not start" >&2
  exit 1
fi
echo "virtual-mic: started PulseAudio with Visora_Microphone at $socket" >&2
echo "PULSE_SERVER=unix:$socket"
