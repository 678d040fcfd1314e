#!/usr/bin/env bash
# Installs what is missing, builds the client and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/build.sh kel14 kel-settings
exec build/bin/kel14
