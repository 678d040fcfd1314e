#!/usr/bin/env bash
# Configures and builds one tree. BUILD_DIR (default build), BUILD_TYPE, KEL_WERROR and
# KEL_SANITIZE (ON/OFF); arguments name the targets to build (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
build_type=${BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
    -DKEL_WERROR="${KEL_WERROR:-OFF}" -DKEL_SANITIZE="${KEL_SANITIZE:-OFF}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
