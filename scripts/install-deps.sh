#!/usr/bin/env bash
# Installs every Debian package the presenter and the recorder need to build, run and test.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake pkg-config git
  # Qt 5
  qtbase5-dev qtbase5-dev-tools qtmultimedia5-dev libqt5multimedia5-plugins
  libqt5svg5 qttools5-dev qttools5-dev-tools qttranslations5-l10n
  # TIFF reading and writing for snapshots
  qt5-image-formats-plugins
  # cameras on Linux go through GStreamer's V4L2 source; Qt's camera service
  # needs the camerabin element of the "bad" set
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  # image processing
  libopencv-dev
  # JPEG snapshots written with libjpeg-turbo directly
  libjpeg62-turbo-dev
  # offline text recognition: Tesseract with its Chinese and English models
  libtesseract-dev libleptonica-dev tesseract-ocr tesseract-ocr-chi-sim tesseract-ocr-eng
  # recorder: camera capture, microphone through FFmpeg's
  # libraries, H.264 (libx264) and AAC encoding through libavcodec, colour conversion
  # with libswscale, ffprobe checks in tests (the ffmpeg program finishes old leftovers)
  libopencv-videoio-dev ffmpeg libavdevice-dev libavformat-dev libavcodec-dev
  libavfilter-dev libavutil-dev libswresample-dev libswscale-dev
  # the virtual microphone for tests and machines without sound hardware; the
  # sync beeper plays into it through libpulse-simple
  pulseaudio pulseaudio-utils libpulse-dev
  # the bad-picture corpus of the tests is written with zlib
  zlib1g-dev
  # QR codes: zxing-cpp reads them, libqrencode makes them (share address, test codes)
  libzxing-dev libqrencode-dev
  # sharing the class view with browsers: WebSockets beside Qt's own TCP server;
  # headless Chromium and its WebDriver play the shared page in tests
  libqt5websockets5-dev chromium chromium-driver
  # publishing tests: a local RTMP server (started by the test on a loopback port)
  nginx-light libnginx-mod-rtmp
  # PDF checks in tests
  poppler-utils
  # headless display for tests, screenshots and the run command (xdotool clicks through it)
  xvfb xauth x11-utils imagemagick xdotool
  # opening a folder or a finished file in the desktop's program
  xdg-utils
  # a CJK font so Chinese texts render
  fonts-wqy-microhei
  # the Debian package: shared-library dependencies, checks
  dpkg-dev file lintian desktop-file-utils appstream
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"

# The tests start their own nginx; the system service the package brings must
# not stay on port 80.
if [[ " ${missing[*]} " == *" nginx-light "* ]] && [ -d /run/systemd/system ]; then
  $SUDO systemctl disable --now nginx.service || true
fi
