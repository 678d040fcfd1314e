#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. BUILD_DIR, KEL_WERROR and
# KEL_SANITIZE choose the tree, as for build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "${BUILD_DIR:-build}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
