#!/usr/bin/env bash
# Installs the Debian 12 packages the client, its tests and its benchmarks need, if missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libqt6core5compat6-dev libqt6sql6-sqlite libqt6sql6-odbc
    libsqlite3-dev unixodbc unixodbc-dev tdsodbc libsqliteodbc
    libgtest-dev libbenchmark-dev
    fonts-dejavu-core xvfb xauth python3
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run this command as root or through sudo to install them." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
