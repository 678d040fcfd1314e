#!/usr/bin/env bash
# Builds kel-stress and runs both stress runs of the embedded server:
#   bash scripts/stress.sh [edits] [kills]   (defaults 1000 and 100)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/build.sh kel-stress
export QT_QPA_PLATFORM=offscreen
"${BUILD_DIR:-build}/bin/kel-stress" edits "${1:-1000}"
"${BUILD_DIR:-build}/bin/kel-stress" crash "${2:-100}"
