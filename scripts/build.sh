#!/usr/bin/env bash
# Configures and builds into build/ (or $VISORA_BUILD_DIR). Extra arguments go to CMake.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VISORA_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${VISORA_BUILD_TYPE:-RelWithDebInfo}" "$@"
cmake --build "$build" -j "$jobs"
