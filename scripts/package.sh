#!/usr/bin/env bash
# Builds the Debian package and prints the path of the .deb as its last line.
#   scripts/package.sh                    installs what is missing, builds a release in
#                                         build-package/ and packs it
#   scripts/package.sh BUILD_DIR [OUT]    packs a build folder that is already built
#                                         (OUT: where the .deb goes, BUILD_DIR/package
#                                         by default)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  scripts/deps.sh
  build=build-package
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIB_BUILD_TESTS=OFF \
    "${launcher[@]}" >/dev/null
  cmake --build "$build" -j2 >&2
else
  build=$1
fi
out=$(realpath -m "${2:-$build/package}")
mkdir -p "$out"
rm -f "$out"/*.deb
(cd "$build" && cpack -G DEB -B "$out") >&2
debs=("$out"/*.deb)
[ -f "${debs[0]}" ] || { echo "package.sh: cpack made no .deb" >&2; exit 1; }
echo "${debs[0]}"
