#!/usr/bin/env bash
# Builds the Debian package kel14_<version>_amd64.deb in a tree of its own (PACKAGE_BUILD_DIR,
# default build-package) and leaves it in the repository's top folder. The tree is built as
# the test trees are (RelWithDebInfo, KEL_WERROR as given), so ccache serves it from their
# objects; the packaged programs are stripped.
# tests/package/check.sh installs, starts and removes it (as CI does).
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file find what the programs link.
bash scripts/deps.sh dpkg-dev file
build=${PACKAGE_BUILD_DIR:-build-package}
launcher=()
command -v ccache >/dev/null 2>&1 &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Only the packaged programs are built; installing does not build everything else first.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DKEL_WERROR="${KEL_WERROR:-OFF}" -DKEL_SANITIZE=OFF -DKEL_PACKAGE=ON -DKEL_BUILD_TESTS=OFF -DKEL_BUILD_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target kel14 kel-settings kel-demo kel_package_files
rm -f "$build"/kel14_*.deb
(cd "$build" && cpack -G DEB >cpack.log) || { cat "$build/cpack.log" >&2; exit 1; }
debs=("$build"/kel14_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made no single kel14 package" >&2; exit 1; }
mv -f "${debs[0]}" .
echo "$PWD/$(basename "${debs[0]}")"
