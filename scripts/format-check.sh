#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format makes of it
# (.clang-format); `clang-format -i` on the named files mends it.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 1; }
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "every C++ file is formatted"
