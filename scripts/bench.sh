#!/usr/bin/env bash
# Runs every benchmark program of a built tree (BUILD_DIR, default build) with the given
# arguments; a program that fails or crashes fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
status=0
for program in "${BUILD_DIR:-build}"/bench/bench_*; do
    [[ -f $program && -x $program ]] || continue
    echo "== $program $*"
    rc=0
    "$program" "$@" || rc=$?
    if ((rc != 0)); then
        echo "FAILED: $program exited with status $rc" >&2
        status=1
    fi
done
exit $status
