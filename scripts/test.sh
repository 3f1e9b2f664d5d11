#!/usr/bin/env bash
# Installs the packages, builds and runs the whole test suite headless.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"

extra=()
jobs="$(nproc 2>/dev/null || echo 2)"
if [ "${1:-}" = "--sanitize" ]; then
  # One test at a time: sanitized code is slow enough that parallel tests
  # would only measure the machine.
  jobs=1
  export VISORA_BUILD_DIR="${VISORA_BUILD_DIR:-$root/build-asan}"
  export VISORA_BUILD_TYPE=Debug
  extra=(-DVISORA_SANITIZE=ON -DVISORA_BUILD_BENCH=OFF)
fi
build="${VISORA_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" "${extra[@]}"

export QT_QPA_PLATFORM=offscreen
# The recorder's tests record sound: a private sound server when none answers.
eval "export $(bash "$root/scripts/virtual-mic.sh" | tail -n1)"
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 600
