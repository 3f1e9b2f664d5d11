#!/usr/bin/env bash
# Builds the Debian package into build-package/ and checks it: menu entry,
# AppStream data, lintian, and the package's contents and control data.
#   scripts/package.sh                 build and check the .deb
#   scripts/package.sh --install-check also install it, start the installed
#                                      presenter on the virtual camera, check
#                                      that it wrote nothing below /usr, remove it
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
build="${VISORA_PACKAGE_BUILD_DIR:-$root/build-package}"
jobs="$(nproc 2>/dev/null || echo 2)"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVISORA_BUILD_TESTS=OFF -DVISORA_BUILD_BENCH=OFF
cmake --build "$build" -j "$jobs"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
deb="$(ls "$build"/*.deb)"

desktop-file-validate "$root/packaging/org.visora.Presenter.desktop"
appstreamcli validate --no-net "$build/packaging/org.visora.Presenter.metainfo.xml"
lintian --fail-on error "$deb"
bash "$root/tests/package/check-package.sh" "$deb"
echo "package: $deb"

[ "${1:-}" = "--install-check" ] || exit 0
bash "$root/tests/package/install-check.sh" "$deb"
