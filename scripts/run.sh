#!/usr/bin/env bash
# Installs what is missing, builds the client and starts it. On first use it creates the
# demo database and the settings file beside the client (kel-demo); later runs reuse them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/build.sh kel14 kel-settings kel-demo
data=build/bin/Data
if [ ! -e "$data/KEL" ]; then
    if [ -e "$data/kel-demo.sqlite" ]; then
        echo "$data/KEL is missing; write it with build/bin/kel-settings," \
             "or rebuild the demo with build/bin/kel-demo --force" >&2
        exit 1
    fi
    build/bin/kel-demo
fi
exec build/bin/kel14
