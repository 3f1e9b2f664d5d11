#!/usr/bin/env bash
# Installs the .deb, starts the installed presenter on the virtual camera under
# a virtual X server, and checks that it shows a picture, wrote nothing below
# /usr, and that removing the package leaves nothing of ours there.
#   tests/package/install-check.sh <file.deb>   (as root)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
deb="$(readlink -f "$1")"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" >/dev/null
command -v visora-presenter >/dev/null
program="$(dirname "$(dpkg -L visora-presenter | grep '/visora/Tavimor$')")"

# A display nobody holds: a stale lock would leave the presenter without a screen.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
display=":$n"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

touch "$work/marker"
sleep 1
# Started from its own folder on purpose: the worst place for relative writes.
(cd "$program" && env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" DISPLAY="$display" \
  VISORA_VIRTUAL_CAMERA="$root/virtualcam/sample/virtualcam.json" visora-presenter >"$work/log" 2>&1) &
pids+=($!)
sleep 8
shot="${VISORA_INSTALL_SHOT:-$work/installed.png}"
import -display "$display" -window root "$shot"
spread="$(convert "$shot" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
echo "install-check: screenshot $shot, grey spread $spread"
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || { echo "install-check: the screen is blank"; cat "$work/log"; exit 1; }
# The desktop matches the window to the menu entry by its class.
wmclass="$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/org.visora.Presenter.desktop)"
if [ -z "$wmclass" ] || ! DISPLAY="$display" xdotool search --class "^$wmclass\$" >/dev/null; then
  echo "install-check: no window of the menu entry's class '$wmclass'"; exit 1
fi
kill "${pids[-1]}" 2>/dev/null || true
pkill -f "$program/Tavimor" 2>/dev/null || true
sleep 1

written="$(find /usr -newer "$work/marker" -not -type d 2>/dev/null || true)"
if [ -n "$written" ]; then
  echo "install-check: the installed presenter wrote below /usr:"; echo "$written"; exit 1
fi
[ -f "$work/home/.local/share/visora/Tolvani/Config.ini" ] || { echo "install-check: Config.ini not in the per-user folder"; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get remove -y visora-presenter >/dev/null
left="$(find /usr -path '*visora*' -o -name 'org.visora.Presenter*' | grep -v "^$root" || true)"
if [ -n "$left" ]; then
  echo "install-check: left behind after removal:"; echo "$left"; exit 1
fi
echo "install-check: installed, ran, wrote nothing below /usr, removed cleanly"
