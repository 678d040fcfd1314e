#!/usr/bin/env bash
# Installs the Debian 12 packages the client, its tests and its benchmarks need, if missing;
# a script that needs more names them as arguments.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-translations-l10n libqt6core5compat6-dev libqt6sql6-sqlite libqt6sql6-odbc
    libsqlite3-dev unixodbc unixodbc-dev tdsodbc libsqliteodbc
    libgtest-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
    libxlsxwriter-dev poppler-utils
    fonts-dejavu-core fonts-liberation2 xvfb xauth openbox xdotool x11-utils xclip sqlite3 python3
    tzdata
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Root installs directly; anyone else through sudo, asked for only now that it is needed.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them as root (apt-get install ${missing[*]}) or install sudo." >&2
        exit 1
    fi
    echo "Installing ${missing[*]} through sudo" >&2
    as_root=(sudo)
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
